// ut::FileName: a file or folder path held in normal form ("/" separators, no "." segments,
// ".." folded where it can be), with the folder, relative/absolute tests and joining.
#pragma once
/// @file
/// File and folder paths held in normal form.

#include "OdString.h"
#include "ut/UtExport.h"

namespace ut {

/// FileName: a POSIX path in normal form. Normalising turns every backslash into "/", collapses
/// runs of "/", drops "." segments and a trailing "/", and folds "name/.." away. A ".." that
/// climbs above the root of an absolute path is dropped ("/.." is "/"); one at the start of a
/// relative path is kept ("../a"). A relative path that folds to nothing is "."; the empty path
/// stays empty. Folding is lexical: symbolic links are not consulted, nor is the disk. No length
/// limit applies.
class UT_API FileName {
 public:
  FileName() = default;
  explicit FileName(const OdString& path);

  /// isEmpty: true for the empty path only.
  bool isEmpty() const { return m_path.isEmpty(); }
  /// isRelative: true unless the path starts with "/" (the empty path is relative).
  bool isRelative() const;

  /// makeAbsolute: a relative path becomes `folder` joined with it (then normalised, so a
  /// leading ".." climbs out of `folder`); an absolute path is left as it is. The result is
  /// relative only when `folder` is (an empty `folder` changes nothing). Answers this name.
  FileName& makeAbsolute(const OdString& folder);

  /// getPath: the path with `levels` trailing segments taken away: 0 gives the whole path,
  /// 1 the folder that holds the file. Climbing past the root of an absolute path stays at "/";
  /// past the start of a relative path it adds "..": the folder of "a.txt" is "." and the one
  /// above it "..". A negative level counts as 0; the empty path answers empty.
  OdString getPath(int levels) const;
  /// getFullPath: the whole normalised path (not made absolute against any current folder).
  OdString getFullPath() const { return m_path; }
  /// getName: the last segment ("c.txt" for "/a/c.txt"); empty for "/", "." and the empty path.
  OdString getName() const;
  /// getExtension: the last segment's text after its last ".", without the dot; empty when
  /// there is none or the name only starts with "." (".profile").
  OdString getExtension() const;

  /// normalise: the normal form of `path` described above.
  static OdString normalise(const OdString& path);

  bool operator==(const FileName& other) const { return m_path == other.m_path; }
  bool operator!=(const FileName& other) const { return !(*this == other); }

 private:
  OdString m_path;
};

}  // namespace ut
