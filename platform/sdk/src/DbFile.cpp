// The drawing file: writing through a synced temporary file, and reading that checks every
// size against the bytes left and builds a separate drawing that replaces the old contents
// only when everything was read. Layout: docs/FORMATS.md, "Drawing files".
#include <dirent.h>
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <map>
#include <memory>

#include "DbDatabase.h"
#include "DbDictionary.h"
#include "DbEntity.h"
#include "DbFileFaults.h"
#include "DbFilerImpl.h"
#include "DbImpl.h"

using OdDbDetail::BufferReader;
using OdDbDetail::BufferWriter;
using OdDbDetail::ObjectAccess;
using OdDbDetail::SizingWriter;

namespace {

const std::uint8_t kMagic[8] = {'S', 'L', 'D', 'R', 'A', 'W', 0x1A, '\n'};
const std::uint16_t kMajor = 1;
const std::uint16_t kMinor = 0;
// Smallest encodings, for checking counts against the bytes left.
const std::uint64_t kMinClassRecord = 4 * 4 + 3 * 4;
const std::uint64_t kMinObjectRecord = 8 + 4 + 8 + 8;
// Objects up to this size are filed once, through memory; larger ones are streamed.
const std::size_t kKeepLimit = 64u << 10;

// The write fault of odDbSetWriteFault: the operation number that fails, and whether the
// ones after it fail too.
std::atomic<std::uint64_t> g_faultAt{0};
std::atomic<bool> g_faultPersists{false};
std::atomic<std::uint64_t> g_operations{0};

/// faulted: counts one file operation of a write; true (errno set) when it is to fail.
bool faulted(int err) {
  std::uint64_t n = ++g_operations;
  std::uint64_t at = g_faultAt.load();
  if (at == 0 || n < at || (n > at && !g_faultPersists.load())) return false;
  errno = err;
  return true;
}

std::string native(const OdString& path) {
  return path.toUtf8();
}

OdString errnoText(int err) {
  return OdString(std::strerror(err));
}

OdString absolutePath(const std::string& path) {
  char resolved[PATH_MAX];
  if (realpath(path.c_str(), resolved)) return OdString(resolved);
  return OdString::fromUtf8(path);
}

/// lockTarget: one name per drawing file for its change lock, also before the file exists.
std::string lockTarget(const std::string& path) {
  char resolved[PATH_MAX];
  if (realpath(path.c_str(), resolved)) return resolved;
  std::string::size_type slash = path.find_last_of('/');
  std::string folder = slash == std::string::npos ? "." : path.substr(0, slash + 1);
  std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
  if (realpath(folder.c_str(), resolved)) return std::string(resolved) + "/" + name;
  return path;
}

/// Buffered output to a file descriptor that keeps the running CRC-32C of what it wrote. Runs of
/// at least kPassThrough bytes go to `write` as they are, after what is buffered.
class FileSink {
 public:
  explicit FileSink(int fd) : m_fd(fd), m_buffer(new std::uint8_t[kCapacity]) {}
  void append(const void* data, std::size_t size) {
    if (size > kCapacity - m_used || size >= kPassThrough) {
      flush();
      if (size >= kPassThrough) return put(static_cast<const std::uint8_t*>(data), size);
    }
    std::memcpy(m_buffer.get() + m_used, data, size);
    m_used += size;
  }
  void flush() {
    put(m_buffer.get(), m_used);
    m_used = 0;
  }
  std::uint32_t crc() const { return m_crc; }

 private:
  static constexpr std::size_t kCapacity = 1 << 20;
  static constexpr std::size_t kPassThrough = kCapacity;
  void put(const std::uint8_t* p, std::size_t size) {
    m_crc = OdDbDetail::crc32c(m_crc, p, size);
    while (size) {
      ssize_t n = faulted(ENOSPC) ? -1 : ::write(m_fd, p, size);
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) throw OdError(eFileWriteError, OdString(L"write failed: ") + errnoText(errno));
      p += n;
      size -= static_cast<std::size_t>(n);
    }
  }
  int m_fd;
  std::unique_ptr<std::uint8_t[]> m_buffer;
  std::size_t m_used = 0;
  std::uint32_t m_crc = 0;
};

/// A file filer that writes straight into a FileSink and counts what it wrote.
class SinkWriter : public OdDbDetail::WriterOf<SinkWriter> {
 public:
  SinkWriter(FileSink& sink, OdDbDatabase* db) : WriterOf(kFileFiler, db), m_sink(sink) {}
  void append(const void* data, std::size_t size) {
    m_sink.append(data, size);
    m_size += size;
  }
  std::uint64_t size() const { return m_size; }

 private:
  FileSink& m_sink;
  std::uint64_t m_size = 0;
};

OdDbClassRecord classRecordOf(const OdDbObject* object) {
  if (const auto* proxy = dynamic_cast<const OdDbProxyObject*>(object)) {
    return proxy->originalClass();
  }
  const OdRxClass* cls = object->isA();
  OdDbClassRecord record;
  record.name = cls->name();
  record.dxfName = cls->dxfName();
  record.appName = cls->appName();
  record.parentName = cls->myParent() ? cls->myParent()->name() : OdString();
  record.dwgVersion = cls->getClassVersion(&record.maintVersion);
  record.proxyFlags = cls->proxyFlags();
  return record;
}

/// Opens a closed object for read for the length of a scope.
class ReadScope {
 public:
  explicit ReadScope(OdDbObject* object) : m_object(object) {
    if (!object->isReadEnabled()) {
      ObjectAccess::open(object, OdDb::kForRead, true);
      m_opened = true;
    }
  }
  ~ReadScope() {
    if (m_opened) ObjectAccess::setClosed(m_object);
  }
  ReadScope(const ReadScope&) = delete;
  ReadScope& operator=(const ReadScope&) = delete;

 private:
  OdDbObject* m_object;
  bool m_opened = false;
};

void writeContents(OdDbDatabase::Impl& db, FileSink& sink) {
  std::vector<OdDbObject*> objects;
  for (auto& [handle, stub] : db.content.stubs) {
    if (stub->object && !stub->object->isErased()) objects.push_back(stub->object.get());
  }
  std::vector<OdDbClassRecord> classes;
  std::map<OdString, std::uint32_t> classIndex;
  std::vector<std::uint32_t> objectClass;
  for (OdDbObject* object : objects) {
    OdDbClassRecord record = classRecordOf(object);
    auto [it, added] = classIndex.emplace(record.name, static_cast<std::uint32_t>(classes.size()));
    if (added) classes.push_back(record);
    objectClass.push_back(it->second);
  }

  SinkWriter out(sink, db.self);
  out.wrBytes(kMagic, sizeof kMagic);
  out.wrUInt16(kMajor);
  out.wrUInt16(kMinor);
  std::vector<std::uint8_t> header;
  BufferWriter h(header, OdDbFiler::kFileFiler, db.self);
  h.wrInt16(static_cast<std::int16_t>(db.content.measurement));
  h.wrInt16(static_cast<std::int16_t>(db.content.insunits));
  h.wrUInt64(db.content.handseed);
  h.wrDbHandle(db.content.nod.handle());
  h.wrDbHandle(db.content.modelSpace.handle());
  out.wrUInt32(static_cast<std::uint32_t>(header.size()));
  out.wrBytes(header.data(), header.size());

  out.wrUInt32(static_cast<std::uint32_t>(classes.size()));
  for (const OdDbClassRecord& c : classes) {
    out.wrString(c.name);
    out.wrString(c.dxfName);
    out.wrString(c.appName);
    out.wrString(c.parentName);
    out.wrInt32(c.dwgVersion);
    out.wrInt32(c.maintVersion);
    out.wrInt32(c.proxyFlags);
  }

  // An object is filed once into a warm buffer; one that outgrows it is only counted, then
  // filed again straight into the file, so its data is never gathered in memory.
  out.wrUInt64(objects.size());
  std::vector<std::uint8_t> data;
  for (std::size_t i = 0; i < objects.size(); ++i) {
    OdDbObject* object = objects[i];
    data.clear();
    SizingWriter sizing(data, kKeepLimit, OdDbFiler::kFileFiler, db.self);
    {
      ReadScope scope(object);
      object->dwgOutFields(&sizing);
    }
    out.wrDbHandle(object->objectId().handle());
    out.wrUInt32(objectClass[i]);
    out.wrDbHandle(object->ownerId().handle());
    out.wrUInt64(sizing.size());
    if (sizing.keptAll()) {
      out.wrBytes(data.data(), data.size());
      continue;
    }
    std::uint64_t before = out.size();
    {
      ReadScope scope(object);
      object->dwgOutFields(&out);
    }
    std::uint64_t written = out.size() - before;
    if (written != sizing.size()) {
      throw OdError(eFileWriteError,
                    OdString(L"object ") + object->objectId().handle().ascii() + L" (" +
                        classes[objectClass[i]].name +
                        OdString::formatted(L") filed %llu bytes, then %llu",
                                            static_cast<unsigned long long>(sizing.size()),
                                            static_cast<unsigned long long>(written)));
    }
  }
  sink.flush();
  std::uint32_t crc = sink.crc();
  out.wrUInt32(crc);
  sink.flush();
}

}  // namespace

void odDbSetWriteFault(std::uint64_t failAt, bool persistent) {
  g_faultPersists = persistent;
  g_faultAt = failAt;
  g_operations = 0;
}

std::uint64_t odDbWriteOperations() {
  return g_operations.load();
}

namespace {
const char kTempMark[] = ".sltmp-";

/// removeStaleTemporaries: removes the temporary files that earlier writes of `target` left
/// behind when they were killed: "<target>.sltmp-" and six characters.
void removeStaleTemporaries(const std::string& target) {
  std::string::size_type slash = target.find_last_of('/');
  std::string folder = slash == std::string::npos ? "." : target.substr(0, slash + 1);
  std::string prefix = (slash == std::string::npos ? target : target.substr(slash + 1)) + kTempMark;
  DIR* dir = ::opendir(folder.c_str());
  if (!dir) return;
  while (dirent* e = ::readdir(dir)) {
    std::string name = e->d_name;
    if (name.size() == prefix.size() + 6 && name.compare(0, prefix.size(), prefix) == 0)
      ::unlink((slash == std::string::npos ? name : folder + name).c_str());
  }
  ::closedir(dir);
}
}  // namespace

void OdDbDatabase::Impl::write(const OdString& path) {
  if (path.isEmpty()) throw OdError(eFileWriteError, OdString(L"no file name to write to"));
  std::string target = native(path);
  std::unique_ptr<OdDbDetail::DrawingLock> forThisWrite;
  const std::string locked = lockTarget(target);
  if (!changeLock || changeLock->target() != locked)
    forThisWrite = OdDbDetail::DrawingLock::acquire(locked, path, eFileWriteError);
  std::string temp = target + kTempMark + "XXXXXX";
  int fd = ::mkstemp(temp.data());
  if (fd < 0) {
    throw OdError(eFileWriteError, OdString(L"cannot create a temporary file beside ") + path +
                                       L": " + errnoText(errno));
  }
  try {
    FileSink sink(fd);
    writeContents(*this, sink);
    if (faulted(EIO) || ::fsync(fd) != 0) {
      throw OdError(eFileWriteError, OdString(L"cannot flush ") + path + L": " + errnoText(errno));
    }
    ::fchmod(fd, 0644);
    int closed = ::close(fd);
    if (faulted(EIO) || closed != 0) {
      fd = -1;
      throw OdError(eFileWriteError, OdString(L"cannot close ") + path + L": " + errnoText(errno));
    }
    fd = -1;
    if (faulted(EIO) || ::rename(temp.c_str(), target.c_str()) != 0) {
      throw OdError(eFileWriteError, OdString(L"cannot rename the temporary file to ") + path +
                                         L": " + errnoText(errno));
    }
  } catch (...) {
    if (fd >= 0) ::close(fd);
    ::unlink(temp.c_str());
    throw;
  }
  // A killed earlier write left its temporary file; this one succeeded, so they are garbage.
  removeStaleTemporaries(target);
  // Make the rename itself durable.
  std::string folder = target.substr(0, target.find_last_of('/') + 1);
  int dir = ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY);
  if (dir >= 0) {
    ::fsync(dir);
    ::close(dir);
  }
  content.filename = absolutePath(target);
}

namespace {

/// The bytes of a whole file, in memory that is neither zero-filled first nor faulted in one
/// small page at a time (large buffers ask for huge pages).
class FileBytes {
 public:
  explicit FileBytes(std::size_t size) : m_size(size) {
    constexpr std::size_t kHuge = 2u << 20;
    void* p = nullptr;
    if (size >= kHuge) {
      if (::posix_memalign(&p, kHuge, (size + kHuge - 1) / kHuge * kHuge) == 0) {
        ::madvise(p, size, MADV_HUGEPAGE);
      } else {
        p = nullptr;
      }
    } else {
      p = std::malloc(size ? size : 1);
    }
    if (!p)
      throw OdError(eOutOfMemory, OdString::formatted(L"cannot hold a drawing of %llu bytes",
                                                      static_cast<unsigned long long>(size)));
    m_data.reset(static_cast<std::uint8_t*>(p));
  }
  std::uint8_t* data() const { return m_data.get(); }
  std::size_t size() const { return m_size; }
  void shrink(std::size_t size) { m_size = size; }

 private:
  struct Free {
    void operator()(std::uint8_t* p) const { std::free(p); }
  };
  std::unique_ptr<std::uint8_t, Free> m_data;
  std::size_t m_size;
};

FileBytes readWholeFile(const OdString& path) {
  std::string name = native(path);
  int fd = ::open(name.c_str(), O_RDONLY);
  if (fd < 0) {
    int err = errno;
    throw OdError(err == ENOENT ? eFileNotFound : eFileAccessErr,
                  OdString(L"cannot open drawing ") + path + L": " + errnoText(err));
  }
  struct stat st;
  if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    ::close(fd);
    throw OdError(eFileAccessErr, OdString(L"not a regular file: ") + path);
  }
  FileBytes bytes(static_cast<std::size_t>(st.st_size));
  std::size_t done = 0;
  while (done < bytes.size()) {
    ssize_t n = ::read(fd, bytes.data() + done, bytes.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) {
      int err = errno;
      ::close(fd);
      throw OdError(eFileAccessErr, OdString(L"cannot read ") + path + L": " + errnoText(err));
    }
    if (n == 0) break;  // shrank while we read
    done += static_cast<std::size_t>(n);
  }
  ::close(fd);
  bytes.shrink(done);
  return bytes;
}

[[noreturn]] void bad(const OdString& path, const OdString& why) {
  throw OdError(eBadDrawingFile, OdString(L"corrupt drawing ") + path + L": " + why);
}

struct Record {
  std::uint64_t handle;
  std::uint32_t classIndex;
  std::uint64_t owner;
  const std::uint8_t* data;
  std::size_t size;
};

OdDbObjectPtr makeObject(const OdDbClassRecord& record) {
  OdRxClass* cls = odrxClassDictionary()->getAt(record.name);
  if (cls && cls->isDerivedFrom(OdDbObject::desc()) && cls->constructor()) {
    OdRxObjectPtr made = cls->create();
    if (auto* object = dynamic_cast<OdDbObject*>(made.get())) {
      if (!dynamic_cast<OdDbProxyObject*>(object)) return OdDbObjectPtr(object);
    }
  }
  OdDbProxyObjectPtr proxy = OdDbProxyObject::createObject();
  proxy->setOriginalClass(record);
  return proxy;
}

// Parses `bytes` (magic and version checked, checksum verified) into `db`, which is empty.
void parse(const OdString& path, const FileBytes& bytes, OdDbDatabase& into) {
  OdDbDatabase::Impl& db = *into.impl();
  BufferReader in(bytes.data() + 12, bytes.size() - 16, OdDbFiler::kFileFiler, &into);

  std::uint32_t headerSize = in.rdUInt32();
  BufferReader h(in.take(headerSize), headerSize, OdDbFiler::kFileFiler, &into);
  int measurement = h.rdInt16();
  int insunits = h.rdInt16();
  std::uint64_t handseed = h.rdUInt64();
  std::uint64_t nodHandle = h.rdUInt64();
  std::uint64_t msHandle = h.rdUInt64();
  if (measurement != 0 && measurement != 1) {
    bad(path, OdString::formatted(L"MEASUREMENT is %d", measurement));
  }
  if (insunits < 0 || insunits > OdDb::kUnitsMax) {
    bad(path, OdString::formatted(L"INSUNITS is %d", insunits));
  }

  std::uint32_t classCount = in.rdUInt32();
  if (classCount > in.bytesLeft() / kMinClassRecord) {
    bad(path, OdString::formatted(L"class count %u exceeds the file", classCount));
  }
  std::vector<OdDbClassRecord> classes(classCount);
  for (OdDbClassRecord& c : classes) {
    c.name = in.rdString();
    c.dxfName = in.rdString();
    c.appName = in.rdString();
    c.parentName = in.rdString();
    c.dwgVersion = in.rdInt32();
    c.maintVersion = in.rdInt32();
    c.proxyFlags = in.rdInt32();
    if (c.name.isEmpty()) bad(path, OdString(L"a class has no name"));
  }

  std::uint64_t objectCount = in.rdUInt64();
  if (objectCount > in.bytesLeft() / kMinObjectRecord) {
    bad(path, OdString::formatted(L"object count %llu exceeds the file",
                                  static_cast<unsigned long long>(objectCount)));
  }
  std::vector<Record> records(static_cast<std::size_t>(objectCount));
  for (Record& r : records) {
    r.handle = in.rdUInt64();
    r.classIndex = in.rdUInt32();
    r.owner = in.rdUInt64();
    std::uint64_t size = in.rdUInt64();
    if (size > in.bytesLeft()) {
      bad(path, OdString(L"object ") + OdDbHandle(r.handle).ascii() + L" is longer than the file");
    }
    r.size = static_cast<std::size_t>(size);
    r.data = in.take(r.size);
    if (r.handle == 0) bad(path, OdString(L"an object has the null handle"));
    if (r.classIndex >= classCount) {
      bad(path, OdString(L"object ") + OdDbHandle(r.handle).ascii() + L" names class " +
                    OdString::formatted(L"%u of %u", r.classIndex, classCount));
    }
  }
  if (in.bytesLeft() != 0) bad(path, OdString(L"data after the last object"));

  // Every object exists before any reads its data, so that references resolve.
  std::vector<OdDbObjectPtr> objects;
  objects.reserve(records.size());
  for (const Record& r : records) {
    if (db.content.stubs.count(r.handle)) {
      bad(path, OdString(L"handle ") + OdDbHandle(r.handle).ascii() + L" is used twice");
    }
    OdDbObjectPtr object = makeObject(classes[r.classIndex]);
    db.add(object.get(), r.handle, OdDbObjectId());
    objects.push_back(object);
  }
  for (std::size_t i = 0; i < records.size(); ++i) {
    const Record& r = records[i];
    OdDbObject* object = objects[i].get();
    OdString where = OdString(L"object ") + OdDbHandle(r.handle).ascii() + L" (" +
                     classes[r.classIndex].name + L")";
    BufferReader data(r.data, r.size, OdDbFiler::kFileFiler, &into);
    OdResult result;
    try {
      result = object->dwgInFields(&data);
    } catch (const OdError& e) {
      bad(path, where + L": " + e.description());
    }
    if (result != eOk) bad(path, where + L": " + OdError::codeText(result));
    if (data.bytesLeft() != 0) {
      bad(path, where + OdString::formatted(L": %llu bytes not read",
                                            static_cast<unsigned long long>(data.bytesLeft())));
    }
    if (dynamic_cast<OdDbProxyObject*>(object)) {
      ObjectAccess::impl(object).owner = into.getOdDbObjectId(OdDbHandle(r.owner));
    }
    ObjectAccess::setClosed(object);
  }

  OdDbObjectId nod = into.getOdDbObjectId(OdDbHandle(nodHandle));
  OdDbObjectId ms = into.getOdDbObjectId(OdDbHandle(msHandle));
  if (nod.isNull() || !nod.stub()->object->isKindOf(OdDbDictionary::desc())) {
    bad(path, OdString(L"the named-objects dictionary is missing"));
  }
  if (ms.isNull() || !ms.stub()->object->isKindOf(OdDbBlockTableRecord::desc())) {
    bad(path, OdString(L"the model space is missing"));
  }
  db.content.nod = nod;
  db.content.modelSpace = ms;
  db.content.measurement = static_cast<OdDb::MeasurementValue>(measurement);
  db.content.insunits = static_cast<OdDb::UnitsValue>(insunits);
  if (handseed > db.content.handseed) db.content.handseed = handseed;
}

}  // namespace

void OdDbDatabase::Impl::read(const OdString& path, OdDbDatabase& into, bool forChange) {
  std::unique_ptr<OdDbDetail::DrawingLock> lock;
  Impl& held = *into.impl();
  const bool reused =
      forChange && held.changeLock && held.changeLock->target() == lockTarget(native(path));
  // A missing drawing is reported by the read, as without the lock.
  if (forChange && !reused && ::access(native(path).c_str(), F_OK) == 0)
    lock = OdDbDetail::DrawingLock::acquire(lockTarget(native(path)), path, eFileAccessErr);
  // A failed read leaves the drawing as it was, the lock it held included.
  readUnlocked(path, into);
  if (!reused) held.changeLock = std::move(lock);
}

void OdDbDatabase::Impl::readUnlocked(const OdString& path, OdDbDatabase& into) {
  FileBytes bytes = readWholeFile(path);
  if (bytes.size() < sizeof kMagic || std::memcmp(bytes.data(), kMagic, sizeof kMagic) != 0) {
    throw OdError(eNotADrawing, OdString(L"not a drawing: ") + path);
  }
  if (bytes.size() < 16) bad(path, OdString(L"truncated before the version"));
  std::uint16_t major;
  std::memcpy(&major, bytes.data() + 8, 2);
  if (major != kMajor) {
    throw OdError(eUnsupportedVersion,
                  OdString::formatted(L"drawing format version %d is not supported (want %d): ",
                                      int(major), int(kMajor)) +
                      path);
  }
  std::uint32_t stored;
  std::memcpy(&stored, bytes.data() + bytes.size() - 4, 4);
  if (OdDbDetail::crc32c(0, bytes.data(), bytes.size() - 4) != stored) {
    bad(path, OdString(L"checksum mismatch (truncated or damaged)"));
  }

  // Built aside; it replaces this drawing's contents only once complete.
  OdDbDatabasePtr fresh = OdDbDatabase::createObject();
  dropObjects(fresh->impl()->content);
  fresh->impl()->content = Content();
  try {
    parse(path, bytes, *fresh);
  } catch (const OdError& e) {
    if (e.code() == eBadDrawingFile) throw;
    bad(path, e.description());  // a read ran past the end of a part
  }
  fresh->impl()->content.filename = absolutePath(native(path));

  Impl& self = *into.impl();
  std::swap(self.content, fresh->impl()->content);
  for (auto& [handle, stub] : self.content.stubs)
    stub->db = &into;
  for (auto& [handle, stub] : fresh->impl()->content.stubs)
    stub->db = fresh.get();
  self.undoEntries.clear();
  self.undoMarks.clear();
}
