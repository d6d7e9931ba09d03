// In-memory files (MemFs, MemFile) and the SQLite file system "memvfs" under which a library
// location "memvfs://NAME" is the in-memory file NAME.
#pragma once
/// @file
/// In-memory files and the file system that stores libraries in them.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <vector>

#include "OdString.h"
#include "stocklib/StocklibExport.h"

namespace stocklib {

/// MemFile: bytes held in blocks of blocksize(). Safe to use from several threads.
class STOCKLIB_API MemFile {
 public:
  static constexpr std::size_t kBlockSize = 64 * 1024;

  explicit MemFile(const OdString& name);
  ~MemFile();
  MemFile(const MemFile&) = delete;
  MemFile& operator=(const MemFile&) = delete;

  const OdString& filename() const { return m_name; }
  uint64_t size() const;
  std::size_t blocksize() const { return kBlockSize; }
  /// readBlocks: tells `start` the size, then hands `visit` the file's bytes in order, one
  /// block-sized piece at a time (pointer, length; the lengths add up to that size), holding the
  /// file's lock throughout so that no writer changes them meanwhile. The callbacks must not use
  /// this file.
  void readBlocks(const std::function<void(uint64_t)>& start,
                  const std::function<void(const void*, std::size_t)>& visit) const;
  /// fill: sets the size to `size` (zeros) and hands `fill` the pieces to write, in order, under
  /// the lock. An error thrown by `fill` passes out and leaves the size set.
  void fill(uint64_t size, const std::function<void(void*, std::size_t)>& fill);
  /// write: writes `size` bytes at `offset`, growing the file; a null `data` writes zeros.
  void write(const void* data, std::size_t size, uint64_t offset);
  /// read: copies up to `size` bytes from `offset`; answers how many were available.
  std::size_t read(void* data, std::size_t size, uint64_t offset) const;
  /// truncate: sets the size; growing fills with zeros.
  void truncate(uint64_t size);

 private:
  void resizeLocked(uint64_t size);
  // piecesLocked: each block's bytes up to size(), in order; the caller holds the lock.
  void piecesLocked(const std::function<void(unsigned char*, std::size_t)>& each) const;
  const OdString m_name;
  mutable std::mutex m_mutex;
  uint64_t m_size = 0;
  std::vector<std::unique_ptr<unsigned char[]>> m_blocks;

 public:
  // Lock state of SQLite connections on this file (used by the VFS only).
  struct LockState {
    int shared = 0;
    bool reserved = false;
    bool pending = false;
    bool exclusive = false;
  };
  LockState& lockState() { return m_locks; }
  std::mutex& lockMutex() { return m_lockMutex; }

 private:
  LockState m_locks;
  std::mutex m_lockMutex;
};

/// MemFs: the process's named in-memory files.
class STOCKLIB_API MemFs {
 public:
  static MemFs& instance();
  /// createUnique: a new empty file under a name no file has had in this process.
  std::shared_ptr<MemFile> createUnique();
  /// open: the file of that name; when absent, a new one if `create`, else null.
  std::shared_ptr<MemFile> open(const OdString& name, bool create);
  /// remove: takes the name away at once; holders of the file keep its bytes until they let go.
  /// False when no file has that name.
  bool remove(const OdString& name);
  /// install: makes `file` (made detached, with the name it is to have) the file of its name,
  /// replacing any file of that name, whose holders keep its old bytes. Lets a caller fill a
  /// file completely before anyone can see it. False for a null file or an empty name.
  [[nodiscard]] bool install(const std::shared_ptr<MemFile>& file);
  bool exists(const OdString& name) const;

 private:
  MemFs() = default;
  mutable std::mutex m_mutex;
  std::map<OdString, std::shared_ptr<MemFile>> m_files;
  uint64_t m_counter = 0;
};

/// register_memvfs: installs the "memvfs" SQLite file system; counted, so that every call needs
/// one unregister_memvfs. Answers the registration count after the call.
STOCKLIB_API int register_memvfs();
/// unregister_memvfs: undoes one registration. The file system is dropped when the count reaches
/// zero and no database has a file open through it (else when the last such file closes).
/// Answers the count after the call (never below zero).
STOCKLIB_API int unregister_memvfs();
/// memvfs_registered: whether the file system is installed in SQLite now.
STOCKLIB_API bool memvfs_registered();

}  // namespace stocklib
