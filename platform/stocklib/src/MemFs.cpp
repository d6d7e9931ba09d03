// In-memory files and the SQLite file system "memvfs" that serves them to SQLite.
#include "stocklib/MemFs.h"

#include <sqlite3.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <new>

namespace stocklib {

// ---------------------------------------------------------------------------------------------
// MemFile

MemFile::MemFile(const OdString& name) : m_name(name) {}
MemFile::~MemFile() = default;

uint64_t MemFile::size() const {
  std::lock_guard<std::mutex> lock(m_mutex);
  return m_size;
}

void MemFile::piecesLocked(const std::function<void(unsigned char*, std::size_t)>& each) const {
  uint64_t left = m_size;
  for (std::size_t i = 0; left > 0; ++i) {
    std::size_t piece = static_cast<std::size_t>(left < kBlockSize ? left : kBlockSize);
    each(m_blocks[i].get(), piece);
    left -= piece;
  }
}

void MemFile::readBlocks(const std::function<void(uint64_t)>& start,
                         const std::function<void(const void*, std::size_t)>& visit) const {
  std::lock_guard<std::mutex> lock(m_mutex);
  start(m_size);
  piecesLocked(visit);
}

void MemFile::fill(uint64_t size, const std::function<void(void*, std::size_t)>& fill) {
  std::lock_guard<std::mutex> lock(m_mutex);
  resizeLocked(0);
  resizeLocked(size);
  piecesLocked(fill);
}

void MemFile::resizeLocked(uint64_t size) {
  std::size_t blocks = static_cast<std::size_t>((size + kBlockSize - 1) / kBlockSize);
  if (size < m_size && blocks > 0) {
    // Bytes past the end stay zero, so that growing again shows zeros.
    std::size_t inLast = static_cast<std::size_t>(size - (blocks - 1) * kBlockSize);
    std::memset(m_blocks[blocks - 1].get() + inLast, 0, kBlockSize - inLast);
    for (std::size_t i = blocks; i < m_blocks.size() && i * kBlockSize < m_size; ++i)
      std::memset(m_blocks[i].get(), 0, kBlockSize);
  }
  m_blocks.resize(blocks);
  for (auto& b : m_blocks)
    if (!b) b = std::make_unique<unsigned char[]>(kBlockSize);
  m_size = size;
}

void MemFile::write(const void* data, std::size_t size, uint64_t offset) {
  std::lock_guard<std::mutex> lock(m_mutex);
  if (offset + size > m_size) resizeLocked(offset + size);
  const unsigned char* in = static_cast<const unsigned char*>(data);
  while (size > 0) {
    std::size_t block = static_cast<std::size_t>(offset / kBlockSize);
    std::size_t at = static_cast<std::size_t>(offset % kBlockSize);
    std::size_t n = std::min(size, kBlockSize - at);
    if (in) {
      std::memcpy(m_blocks[block].get() + at, in, n);
      in += n;
    } else {
      std::memset(m_blocks[block].get() + at, 0, n);
    }
    offset += n;
    size -= n;
  }
}

std::size_t MemFile::read(void* data, std::size_t size, uint64_t offset) const {
  std::lock_guard<std::mutex> lock(m_mutex);
  if (offset >= m_size) return 0;
  std::size_t total = static_cast<std::size_t>(std::min<uint64_t>(size, m_size - offset));
  unsigned char* out = static_cast<unsigned char*>(data);
  std::size_t left = total;
  while (left > 0) {
    std::size_t block = static_cast<std::size_t>(offset / kBlockSize);
    std::size_t at = static_cast<std::size_t>(offset % kBlockSize);
    std::size_t n = std::min(left, kBlockSize - at);
    std::memcpy(out, m_blocks[block].get() + at, n);
    out += n;
    offset += n;
    left -= n;
  }
  return total;
}

void MemFile::truncate(uint64_t size) {
  std::lock_guard<std::mutex> lock(m_mutex);
  resizeLocked(size);
}

// ---------------------------------------------------------------------------------------------
// MemFs

MemFs& MemFs::instance() {
  static MemFs* fs = new MemFs();  // outlives every database that may still close a file
  return *fs;
}

std::shared_ptr<MemFile> MemFs::createUnique() {
  std::lock_guard<std::mutex> lock(m_mutex);
  OdString name;
  do {
    name = OdString::formatted(L"memfile-%d-%llu", static_cast<int>(::getpid()),
                               static_cast<unsigned long long>(++m_counter));
  } while (m_files.count(name));
  auto file = std::make_shared<MemFile>(name);
  m_files[name] = file;
  return file;
}

std::shared_ptr<MemFile> MemFs::open(const OdString& name, bool create) {
  std::lock_guard<std::mutex> lock(m_mutex);
  auto it = m_files.find(name);
  if (it != m_files.end()) return it->second;
  if (!create || name.isEmpty()) return nullptr;
  auto file = std::make_shared<MemFile>(name);
  m_files[name] = file;
  return file;
}

bool MemFs::install(const std::shared_ptr<MemFile>& file) {
  if (!file || file->filename().isEmpty()) return false;
  std::lock_guard<std::mutex> lock(m_mutex);
  m_files[file->filename()] = file;
  return true;
}

bool MemFs::remove(const OdString& name) {
  std::lock_guard<std::mutex> lock(m_mutex);
  return m_files.erase(name) > 0;
}

bool MemFs::exists(const OdString& name) const {
  std::lock_guard<std::mutex> lock(m_mutex);
  return m_files.count(name) > 0;
}

// ---------------------------------------------------------------------------------------------
// The SQLite file system

namespace {

std::mutex g_vfsMutex;
int g_registrations = 0;
int g_openFiles = 0;
bool g_registered = false;

struct VfsFile {
  sqlite3_file base;  // first: SQLite sees only this
  std::shared_ptr<MemFile>* file;
  int lock;
  bool ownsReserved;
  bool deleteOnClose;
};

MemFile& fileOf(sqlite3_file* f) {
  return **reinterpret_cast<VfsFile*>(f)->file;
}

void dropIfUnused() {
  if (g_registered && g_registrations == 0 && g_openFiles == 0) {
    sqlite3_vfs* vfs = sqlite3_vfs_find("memvfs");
    if (vfs) sqlite3_vfs_unregister(vfs);
    g_registered = false;
  }
}

int xClose(sqlite3_file* f) {
  VfsFile* v = reinterpret_cast<VfsFile*>(f);
  if (v->deleteOnClose) MemFs::instance().remove((*v->file)->filename());
  delete v->file;
  v->file = nullptr;
  std::lock_guard<std::mutex> lock(g_vfsMutex);
  --g_openFiles;
  dropIfUnused();
  return SQLITE_OK;
}

int xRead(sqlite3_file* f, void* buffer, int amount, sqlite3_int64 offset) {
  std::size_t n =
      fileOf(f).read(buffer, static_cast<std::size_t>(amount), static_cast<uint64_t>(offset));
  if (n < static_cast<std::size_t>(amount)) {
    std::memset(static_cast<char*>(buffer) + n, 0, static_cast<std::size_t>(amount) - n);
    return SQLITE_IOERR_SHORT_READ;
  }
  return SQLITE_OK;
}

int xWrite(sqlite3_file* f, const void* buffer, int amount, sqlite3_int64 offset) {
  try {
    fileOf(f).write(buffer, static_cast<std::size_t>(amount), static_cast<uint64_t>(offset));
  } catch (const std::bad_alloc&) {
    return SQLITE_IOERR_NOMEM;
  }
  return SQLITE_OK;
}

int xTruncate(sqlite3_file* f, sqlite3_int64 size) {
  fileOf(f).truncate(static_cast<uint64_t>(size));
  return SQLITE_OK;
}

int xSync(sqlite3_file*, int) {
  return SQLITE_OK;
}

int xFileSize(sqlite3_file* f, sqlite3_int64* size) {
  *size = static_cast<sqlite3_int64>(fileOf(f).size());
  return SQLITE_OK;
}

// Locks among the connections of this process, with SQLite's five levels.
int xLock(sqlite3_file* f, int level) {
  VfsFile* v = reinterpret_cast<VfsFile*>(f);
  if (v->lock >= level) return SQLITE_OK;
  MemFile& file = fileOf(f);
  std::lock_guard<std::mutex> guard(file.lockMutex());
  MemFile::LockState& s = file.lockState();
  if (level == SQLITE_LOCK_SHARED) {
    if (s.pending || s.exclusive) return SQLITE_BUSY;
    ++s.shared;
    v->lock = SQLITE_LOCK_SHARED;
    return SQLITE_OK;
  }
  if (level == SQLITE_LOCK_RESERVED) {
    if (s.reserved) return SQLITE_BUSY;
    s.reserved = true;
    v->ownsReserved = true;
    v->lock = SQLITE_LOCK_RESERVED;
    return SQLITE_OK;
  }
  // EXCLUSIVE (through PENDING): no new readers; wait for the others to leave.
  if (v->lock < SQLITE_LOCK_PENDING) {
    if (s.pending) return SQLITE_BUSY;
    s.pending = true;
    v->lock = SQLITE_LOCK_PENDING;
  }
  if (s.shared > 1) return SQLITE_BUSY;
  s.exclusive = true;
  v->lock = SQLITE_LOCK_EXCLUSIVE;
  return SQLITE_OK;
}

int xUnlock(sqlite3_file* f, int level) {
  VfsFile* v = reinterpret_cast<VfsFile*>(f);
  if (v->lock <= level) return SQLITE_OK;
  MemFile& file = fileOf(f);
  std::lock_guard<std::mutex> guard(file.lockMutex());
  MemFile::LockState& s = file.lockState();
  if (v->lock >= SQLITE_LOCK_PENDING) s.pending = false;
  if (v->lock == SQLITE_LOCK_EXCLUSIVE) s.exclusive = false;
  if (v->ownsReserved) {
    s.reserved = false;
    v->ownsReserved = false;
  }
  if (level == SQLITE_LOCK_NONE && s.shared > 0) --s.shared;
  v->lock = level;
  return SQLITE_OK;
}

int xCheckReservedLock(sqlite3_file* f, int* out) {
  MemFile& file = fileOf(f);
  std::lock_guard<std::mutex> guard(file.lockMutex());
  const MemFile::LockState& s = file.lockState();
  *out = s.reserved || s.pending || s.exclusive;
  return SQLITE_OK;
}

int xFileControl(sqlite3_file*, int, void*) {
  return SQLITE_NOTFOUND;
}
int xSectorSize(sqlite3_file*) {
  return 4096;
}
int xDeviceCharacteristics(sqlite3_file*) {
  return SQLITE_IOCAP_POWERSAFE_OVERWRITE;
}

const sqlite3_io_methods g_io = {
    1,  // version 1: no shared memory, so SQLite never uses WAL on these files
    xClose,
    xRead,
    xWrite,
    xTruncate,
    xSync,
    xFileSize,
    xLock,
    xUnlock,
    xCheckReservedLock,
    xFileControl,
    xSectorSize,
    xDeviceCharacteristics,
    nullptr,
    nullptr,
    nullptr,
    nullptr,
    nullptr,
    nullptr};

sqlite3_vfs* defaultVfs() {
  return sqlite3_vfs_find(nullptr);
}

int xOpen(sqlite3_vfs*, const char* name, sqlite3_file* f, int flags, int* outFlags) {
  VfsFile* v = reinterpret_cast<VfsFile*>(f);
  v->base.pMethods = nullptr;
  std::shared_ptr<MemFile> file;
  try {
    if (name)
      file = MemFs::instance().open(OdString::fromUtf8(name, std::strlen(name)),
                                    (flags & SQLITE_OPEN_CREATE) != 0);
    else
      file = std::make_shared<MemFile>(OdString(L"(temporary)"));
  } catch (const std::bad_alloc&) {
    return SQLITE_NOMEM;
  }
  if (!file) return SQLITE_CANTOPEN;
  v->file = new (std::nothrow) std::shared_ptr<MemFile>(std::move(file));
  if (!v->file) return SQLITE_NOMEM;
  v->lock = SQLITE_LOCK_NONE;
  v->ownsReserved = false;
  v->deleteOnClose = name && (flags & SQLITE_OPEN_DELETEONCLOSE);
  v->base.pMethods = &g_io;
  if (outFlags) *outFlags = flags;
  std::lock_guard<std::mutex> lock(g_vfsMutex);
  ++g_openFiles;
  return SQLITE_OK;
}

int xDelete(sqlite3_vfs*, const char* name, int) {
  MemFs::instance().remove(OdString::fromUtf8(name, std::strlen(name)));
  return SQLITE_OK;
}

int xAccess(sqlite3_vfs*, const char* name, int flags, int* out) {
  std::shared_ptr<MemFile> file =
      MemFs::instance().open(OdString::fromUtf8(name, std::strlen(name)), false);
  *out = file && (flags != SQLITE_ACCESS_EXISTS || file->size() > 0);
  return SQLITE_OK;
}

int xFullPathname(sqlite3_vfs*, const char* name, int size, char* out) {
  std::size_t n = std::strlen(name);
  if (n + 1 > static_cast<std::size_t>(size)) return SQLITE_CANTOPEN;
  std::memcpy(out, name, n + 1);
  return SQLITE_OK;
}

int xRandomness(sqlite3_vfs*, int n, char* out) {
  return defaultVfs()->xRandomness(defaultVfs(), n, out);
}
int xSleep(sqlite3_vfs*, int micro) {
  return defaultVfs()->xSleep(defaultVfs(), micro);
}
int xCurrentTime(sqlite3_vfs*, double* t) {
  return defaultVfs()->xCurrentTime(defaultVfs(), t);
}
int xGetLastError(sqlite3_vfs*, int, char*) {
  return 0;
}
int xCurrentTimeInt64(sqlite3_vfs*, sqlite3_int64* t) {
  return defaultVfs()->xCurrentTimeInt64(defaultVfs(), t);
}

sqlite3_vfs g_vfs = {2,
                     static_cast<int>(sizeof(VfsFile)),
                     512,
                     nullptr,
                     "memvfs",
                     nullptr,
                     xOpen,
                     xDelete,
                     xAccess,
                     xFullPathname,
                     nullptr,
                     nullptr,
                     nullptr,
                     nullptr,
                     xRandomness,
                     xSleep,
                     xCurrentTime,
                     xGetLastError,
                     xCurrentTimeInt64,
                     nullptr,
                     nullptr,
                     nullptr};

}  // namespace

int register_memvfs() {
  std::lock_guard<std::mutex> lock(g_vfsMutex);
  ++g_registrations;
  if (!g_registered) {
    sqlite3_initialize();
    if (sqlite3_vfs_register(&g_vfs, 0) == SQLITE_OK) g_registered = true;
  }
  return g_registrations;
}

int unregister_memvfs() {
  std::lock_guard<std::mutex> lock(g_vfsMutex);
  if (g_registrations > 0) --g_registrations;
  dropIfUnused();
  return g_registrations;
}

bool memvfs_registered() {
  std::lock_guard<std::mutex> lock(g_vfsMutex);
  return g_registered;
}

}  // namespace stocklib
