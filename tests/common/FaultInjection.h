// Fault injection for the library-store tests: a SQLite file system that wraps the default one
// and fails its Nth read, write, sync or truncate (once, or from then on, as a full disk does),
// and SQLite allocation hooks that fail the Nth allocation; the fault points a sweep samples and
// SQLite's own check of a file afterwards.
#pragma once

#include <sqlite3.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

namespace sltest {

/// kFaultSamples: at most this many fault points per change and mode.
constexpr uint64_t kFaultSamples = 24;

/// faultPoints: fault points 1..total, every one when few, else kFaultSamples spread evenly
/// (both ends included).
inline std::vector<uint64_t> faultPoints(uint64_t total) {
  std::vector<uint64_t> out;
  if (total <= kFaultSamples) {
    for (uint64_t n = 1; n <= total; ++n)
      out.push_back(n);
    return out;
  }
  for (uint64_t i = 0; i < kFaultSamples; ++i)
    out.push_back(1 + i * (total - 1) / (kFaultSamples - 1));
  return out;
}

/// integrityOk: `PRAGMA integrity_check` of a file answers "ok".
inline bool integrityOk(const std::string& file) {
  sqlite3* db = nullptr;
  if (sqlite3_open_v2(file.c_str(), &db, SQLITE_OPEN_READONLY, nullptr) != SQLITE_OK) {
    sqlite3_close(db);
    return false;
  }
  sqlite3_stmt* s = nullptr;
  bool ok = sqlite3_prepare_v2(db, "PRAGMA integrity_check", -1, &s, nullptr) == SQLITE_OK &&
            sqlite3_step(s) == SQLITE_ROW &&
            std::string(reinterpret_cast<const char*>(sqlite3_column_text(s, 0))) == "ok";
  sqlite3_finalize(s);
  sqlite3_close(db);
  return ok;
}

/// FaultCounter: counts operations from arm(); the `failAt`-th (1-based, 0: none) fails, and
/// every later one too when persistent.
class FaultCounter {
 public:
  void arm(uint64_t failAt, bool persistent) {
    m_failAt = failAt;
    m_persistent = persistent;
    m_count = 0;
  }
  uint64_t count() const { return m_count; }
  uint64_t failures() const { return m_failures; }

 protected:
  // true when the operation now counted is to fail.
  bool fail() {
    ++m_count;
    bool failing = m_failAt && (m_count == m_failAt || (m_persistent && m_count > m_failAt));
    if (failing) ++m_failures;
    return failing;
  }
  uint64_t m_failAt = 0;
  bool m_persistent = false;
  uint64_t m_count = 0;
  uint64_t m_failures = 0;
};

/// FaultVfs: while installed, it is SQLite's default file system. Counts every read, write,
/// sync and truncate of every file.
class FaultVfs : public FaultCounter {
 public:
  static FaultVfs& instance() {
    static FaultVfs vfs;
    return vfs;
  }
  void install() {
    m_base = sqlite3_vfs_find(nullptr);
    m_vfs = *m_base;
    m_vfs.iVersion = 1;
    m_vfs.zName = "fault";
    m_vfs.szOsFile = static_cast<int>(sizeof(File)) + m_base->szOsFile;
    m_vfs.pNext = nullptr;
    m_vfs.xOpen = &FaultVfs::open;
    sqlite3_vfs_register(&m_vfs, 1);
  }
  void uninstall() {
    sqlite3_vfs_unregister(&m_vfs);
    sqlite3_vfs_register(m_base, 1);
  }

 private:
  struct File {
    sqlite3_file base;  // our methods
    sqlite3_file* inner;
  };

  static sqlite3_file* inner(sqlite3_file* f) { return reinterpret_cast<File*>(f)->inner; }

  static int open(sqlite3_vfs* vfs, const char* name, sqlite3_file* f, int flags, int* out) {
    FaultVfs& self = instance();
    File* file = reinterpret_cast<File*>(f);
    file->inner = reinterpret_cast<sqlite3_file*>(file + 1);
    file->base.pMethods = nullptr;
    int rc = self.m_base->xOpen(self.m_base, name, file->inner, flags, out);
    if (file->inner->pMethods) file->base.pMethods = &kMethods;
    (void)vfs;
    return rc;
  }
  static int close(sqlite3_file* f) { return inner(f)->pMethods->xClose(inner(f)); }
  static int read(sqlite3_file* f, void* p, int n, sqlite3_int64 at) {
    if (instance().fail()) return SQLITE_IOERR_READ;
    return inner(f)->pMethods->xRead(inner(f), p, n, at);
  }
  static int write(sqlite3_file* f, const void* p, int n, sqlite3_int64 at) {
    if (instance().fail()) return instance().m_persistent ? SQLITE_FULL : SQLITE_IOERR_WRITE;
    return inner(f)->pMethods->xWrite(inner(f), p, n, at);
  }
  static int truncate(sqlite3_file* f, sqlite3_int64 size) {
    if (instance().fail()) return SQLITE_IOERR_TRUNCATE;
    return inner(f)->pMethods->xTruncate(inner(f), size);
  }
  static int sync(sqlite3_file* f, int flags) {
    if (instance().fail()) return SQLITE_IOERR_FSYNC;
    return inner(f)->pMethods->xSync(inner(f), flags);
  }
  static int fileSize(sqlite3_file* f, sqlite3_int64* size) {
    return inner(f)->pMethods->xFileSize(inner(f), size);
  }
  static int lock(sqlite3_file* f, int level) { return inner(f)->pMethods->xLock(inner(f), level); }
  static int unlock(sqlite3_file* f, int level) {
    return inner(f)->pMethods->xUnlock(inner(f), level);
  }
  static int reserved(sqlite3_file* f, int* out) {
    return inner(f)->pMethods->xCheckReservedLock(inner(f), out);
  }
  static int control(sqlite3_file* f, int op, void* arg) {
    return inner(f)->pMethods->xFileControl(inner(f), op, arg);
  }
  static int sectorSize(sqlite3_file* f) { return inner(f)->pMethods->xSectorSize(inner(f)); }
  static int device(sqlite3_file* f) {
    return inner(f)->pMethods->xDeviceCharacteristics(inner(f));
  }
  static constexpr sqlite3_io_methods kMethods = {
      1,       &close,  &read,     &write,   &truncate,   &sync,   &fileSize,
      &lock,   &unlock, &reserved, &control, &sectorSize, &device, nullptr,
      nullptr, nullptr, nullptr,   nullptr,  nullptr};

  sqlite3_vfs* m_base = nullptr;
  sqlite3_vfs m_vfs{};
};

/// FaultMalloc: SQLite's allocator, failing the counted allocations. install() needs SQLite
/// shut down (no connection open).
class FaultMalloc : public FaultCounter {
 public:
  static FaultMalloc& instance() {
    static FaultMalloc m;
    return m;
  }
  [[nodiscard]] bool install() {
    if (sqlite3_shutdown() != SQLITE_OK) return false;
    sqlite3_config(SQLITE_CONFIG_GETMALLOC, &m_base);
    sqlite3_mem_methods mine = m_base;
    mine.xMalloc = &FaultMalloc::allocate;
    mine.xRealloc = &FaultMalloc::reallocate;
    if (sqlite3_config(SQLITE_CONFIG_MALLOC, &mine) != SQLITE_OK) return false;
    return sqlite3_initialize() == SQLITE_OK;
  }
  void uninstall() {
    sqlite3_shutdown();
    sqlite3_config(SQLITE_CONFIG_MALLOC, &m_base);
    sqlite3_initialize();
  }

 private:
  static void* allocate(int n) {
    return instance().fail() ? nullptr : instance().m_base.xMalloc(n);
  }
  static void* reallocate(void* p, int n) {
    return instance().fail() ? nullptr : instance().m_base.xRealloc(p, n);
  }
  sqlite3_mem_methods m_base{};
};

}  // namespace sltest
