// Host hook: finds a reference file (a library named by a drawing) on disk. The module installs
// the default lookup when it is initialised; a host replaces it with setInstance afterwards.
#pragma once
/// @file

#include "OdString.h"
#include "sl_db/SlDbExport.h"

class OdDbDatabase;

namespace sl_db {

/// FileFinder: the default lookup tries the name, then the drawing's folder; a host derives to
/// search its own project folders.
class SLDB_API FileFinder {
 public:
  FileFinder() = default;
  /// The finder holds no state; copies are interchangeable.
  FileFinder(const FileFinder&) = default;
  /// The finder holds no state; copies are interchangeable.
  FileFinder& operator=(const FileFinder&) = default;

  /// findReferenceFile: true with `foundPath` set when the file was found: an absolute
  /// `fileName` as it is, a relative one taken in the drawing's folder (never the working
  /// folder; for a drawing not saved yet, as given), else a file of the same name and extension
  /// in the drawing's folder. False for a null name or drawing (`foundPath` untouched) and when
  /// nothing exists (`foundPath` empty).
  virtual bool findReferenceFile(OdString& foundPath, const wchar_t* fileName, OdDbDatabase* db);
  virtual ~FileFinder();

  /// setInstance: makes `finder` current (not owned; null for none).
  static void setInstance(FileFinder* finder);
  /// getInstance: the current finder, or null.
  static FileFinder* getInstance();

 private:
  static FileFinder* m_pInstance;
};

}  // namespace sl_db
