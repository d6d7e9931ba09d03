// Drawings in memory: ids, objects by handle, system variables, reactors and undo.
#include "DbDatabase.h"

#include "DbFileLock.h"

#include <algorithm>
#include <mutex>
#include <set>

#include "DbDictionary.h"
#include "DbEntity.h"
#include "DbFilerImpl.h"
#include "DbImpl.h"

using OdDbDetail::ObjectAccess;

const OdDbObjectId OdDbObjectId::kNull;

bool OdDbObjectId::isValid() const {
  return m_stub && m_stub->object;
}

bool OdDbObjectId::isErased() const {
  return isValid() && m_stub->object->isErased();
}

OdDbHandle OdDbObjectId::handle() const {
  return m_stub ? m_stub->handle : OdDbHandle();
}

OdDbDatabase* OdDbObjectId::database() const {
  return m_stub ? m_stub->db : nullptr;
}

OdResult OdDbObjectId::openObject(OdDbObjectPtr& object, OdDb::OpenMode mode,
                                  bool openErased) const {
  object = nullptr;
  if (!m_stub) return eNullObjectId;
  if (!m_stub->object) return eKeyNotFound;
  OdResult result = ObjectAccess::open(m_stub->object.get(), mode, openErased);
  if (result == eOk) object = m_stub->object;
  return result;
}

OdDbObjectPtr OdDbObjectId::openObject(OdDb::OpenMode mode, bool openErased) const {
  OdDbObjectPtr object;
  openObject(object, mode, openErased);
  return object;
}

OdDbObjectPtr OdDbObjectId::safeOpenObject(OdDb::OpenMode mode, bool openErased) const {
  OdDbObjectPtr object;
  OdResult result = openObject(object, mode, openErased);
  if (result != eOk) {
    throw OdError(result, OdString(L"cannot open object ") + handle().ascii() + L": " +
                              OdError::codeText(result));
  }
  return object;
}

bool OdDbObjectId::operator<(const OdDbObjectId& o) const {
  if (database() != o.database()) return std::less<const OdDbDatabase*>()(database(), o.database());
  return handle() < o.handle();
}

OdDbDatabaseReactor::~OdDbDatabaseReactor() = default;
void OdDbDatabaseReactor::objectAppended(const OdDbDatabase*, const OdDbObject*) {}
void OdDbDatabaseReactor::objectModified(const OdDbDatabase*, const OdDbObject*) {}
void OdDbDatabaseReactor::objectErased(const OdDbDatabase*, const OdDbObject*, bool) {}
void OdDbDatabaseReactor::goodbye(const OdDbDatabase*) {}

ODRX_DEFINE_MEMBERS(OdDbDatabase, OdRxObject)

namespace {

std::mutex& liveMutex() {
  static std::mutex* m = new std::mutex;
  return *m;
}
std::set<OdDbDatabase::Impl*>& liveSet() {
  static auto* s = new std::set<OdDbDatabase::Impl*>;
  return *s;
}

}  // namespace

void OdDbDatabase::Impl::dropObjects(Content& content) {
  for (auto& [handle, stub] : content.stubs) {
    if (stub->object) ObjectAccess::impl(stub->object.get()).stub = nullptr;
  }
  for (auto& [handle, stub] : content.stubs)
    stub->object = nullptr;
  content.stubs.clear();
}

void OdDbDatabase::Impl::registerLive(Impl* impl) {
  std::lock_guard<std::mutex> lock(liveMutex());
  liveSet().insert(impl);
}

void OdDbDatabase::Impl::unregisterLive(Impl* impl) {
  std::lock_guard<std::mutex> lock(liveMutex());
  liveSet().erase(impl);
}

void OdDbDatabase::Impl::extensionKindGone(const OdString& kind) {
  std::lock_guard<std::mutex> lock(liveMutex());
  for (Impl* db : liveSet()) {
    for (auto& [handle, stub] : db->content.stubs) {
      if (stub->object) ObjectAccess::extensionToRaw(stub->object.get(), kind);
    }
  }
}

OdDbStub* OdDbDatabase::Impl::stubFor(std::uint64_t handle) {
  auto& slot = content.stubs[handle];
  if (!slot) {
    slot = std::make_unique<OdDbStub>();
    slot->db = self;
    slot->handle = OdDbHandle(handle);
  }
  return slot.get();
}

OdDbObjectId OdDbDatabase::Impl::add(OdDbObject* object, std::uint64_t handle,
                                     const OdDbObjectId& owner) {
  OdDbStub* stub = stubFor(handle);
  stub->object = object;
  OdDbObject::Impl& d = ObjectAccess::impl(object);
  d.stub = stub;
  d.owner = owner;
  if (handle >= content.handseed) content.handseed = handle + 1;
  return OdDbObjectId(stub);
}

void OdDbDatabase::Impl::snapshot(const OdDbObject* object) {
  OdDbDetail::UndoEntry entry;
  entry.stub = ObjectAccess::impl(object).stub;
  entry.erased = object->isErased();
  OdDbDetail::BufferWriter writer(entry.bytes, OdDbFiler::kUndoFiler, self);
  object->dwgOutFields(&writer);
  undoEntries.push_back(std::move(entry));
}

void OdDbDatabase::Impl::notifyModified(const OdDbObject* object) {
  auto list = reactors;
  for (auto& r : list)
    r->objectModified(self, object);
}

void OdDbDatabase::Impl::notifyErased(const OdDbObject* object, bool erased) {
  auto list = reactors;
  for (auto& r : list)
    r->objectErased(self, object, erased);
}

void OdDbDatabase::Impl::notifyAppended(const OdDbObject* object) {
  auto list = reactors;
  for (auto& r : list)
    r->objectAppended(self, object);
}

OdDbDatabase::OdDbDatabase() : m_impl(std::make_unique<Impl>()) {
  m_impl->self = this;
  // Every drawing starts with its root dictionary and model space, closed.
  OdDbDictionaryPtr nod = OdDbDictionary::createObject();
  m_impl->content.nod = m_impl->add(nod.get(), m_impl->content.handseed, OdDbObjectId());
  ObjectAccess::setClosed(nod.get());
  OdDbBlockTableRecordPtr ms = OdDbBlockTableRecord::createObject();
  ms->setName(OdString(L"*Model_Space"));
  m_impl->content.modelSpace = m_impl->add(ms.get(), m_impl->content.handseed, OdDbObjectId());
  ObjectAccess::setClosed(ms.get());
  Impl::registerLive(m_impl.get());
}

OdDbDatabase::~OdDbDatabase() {
  Impl::unregisterLive(m_impl.get());
  auto list = m_impl->reactors;
  for (auto& r : list)
    r->goodbye(this);
  m_impl->reactors.clear();
  m_impl->undoEntries.clear();
  Impl::dropObjects(m_impl->content);
}

OdDbDatabasePtr odDbCreateDatabase(bool metric) {
  OdDbDatabasePtr db = OdDbDatabase::createObject();
  if (!metric) {
    db->setMEASUREMENT(OdDb::kEnglish);
    db->setINSUNITS(OdDb::kUnitsInches);
  }
  return db;
}

void OdDbDatabase::readFile(const OdString& path) {
  Impl::read(path, *this, false);
}

void odDbReadFileForChange(OdDbDatabase* db, const OdString& path) {
  if (!db) throw OdError(eNullObjectPointer);
  OdDbDatabase::Impl::read(path, *db, true);
}

void OdDbDatabase::writeFile(const OdString& path) {
  m_impl->write(path);
}

OdString OdDbDatabase::getFilename() const {
  return m_impl->content.filename;
}

OdDb::MeasurementValue OdDbDatabase::getMEASUREMENT() const {
  return m_impl->content.measurement;
}

void OdDbDatabase::setMEASUREMENT(OdDb::MeasurementValue value) {
  if (value != OdDb::kEnglish && value != OdDb::kMetric) {
    throw OdError(eInvalidInput, OdString::formatted(L"MEASUREMENT %d is not 0 or 1", int(value)));
  }
  m_impl->content.measurement = value;
}

OdDb::UnitsValue OdDbDatabase::getINSUNITS() const {
  return m_impl->content.insunits;
}

void OdDbDatabase::setINSUNITS(OdDb::UnitsValue value) {
  if (value < OdDb::kUnitsUndefined || value > OdDb::kUnitsMax) {
    throw OdError(eInvalidInput, OdString::formatted(L"INSUNITS %d is not 0 to 20", int(value)));
  }
  m_impl->content.insunits = value;
}

OdDbObjectId OdDbDatabase::getNamedObjectsDictionaryId() const {
  return m_impl->content.nod;
}

OdDbObjectId OdDbDatabase::getModelSpaceId() const {
  return m_impl->content.modelSpace;
}

OdDbObjectId OdDbDatabase::getOdDbObjectId(const OdDbHandle& handle) const {
  auto it = m_impl->content.stubs.find(handle.value());
  if (it == m_impl->content.stubs.end() || !it->second->object) return OdDbObjectId();
  return OdDbObjectId(it->second.get());
}

OdDbObjectId OdDbDatabase::addOdDbObject(OdDbObject* object, const OdDbObjectId& ownerId) {
  if (!object) throw OdError(eNullObjectPointer, OdString(L"addOdDbObject: no object"));
  if (object->isDBRO()) {
    throw OdError(eAlreadyInDb, OdString(L"object is already in drawing as ") +
                                    object->objectId().handle().ascii());
  }
  OdDbObjectId id = m_impl->add(object, m_impl->content.handseed, ownerId);
  if (m_impl->undoRecording && !m_impl->undoing) {
    OdDbDetail::UndoEntry entry;
    entry.stub = id.stub();
    entry.appended = true;
    m_impl->undoEntries.push_back(std::move(entry));
  }
  m_impl->notifyAppended(object);
  return id;
}

OdDbHandle OdDbDatabase::handseed() const {
  return OdDbHandle(m_impl->content.handseed);
}

std::size_t OdDbDatabase::numObjects() const {
  std::size_t n = 0;
  for (const auto& [handle, stub] : m_impl->content.stubs)
    n += stub->object && !stub->object->isErased();
  return n;
}

OdArray<OdDbObjectId> OdDbDatabase::objectIds(bool includeErased) const {
  OdArray<OdDbObjectId> ids;
  for (const auto& [handle, stub] : m_impl->content.stubs) {
    if (stub->object && (includeErased || !stub->object->isErased()))
      ids.append(OdDbObjectId(stub.get()));
  }
  return ids;
}

void OdDbDatabase::addReactor(OdDbDatabaseReactor* reactor) {
  if (!reactor) return;
  auto& list = m_impl->reactors;
  if (std::find(list.begin(), list.end(), reactor) == list.end()) list.emplace_back(reactor);
}

void OdDbDatabase::removeReactor(OdDbDatabaseReactor* reactor) {
  auto& list = m_impl->reactors;
  list.erase(std::remove(list.begin(), list.end(), reactor), list.end());
}

void OdDbDatabase::setUndoRecording(bool recording) {
  m_impl->undoRecording = recording;
  if (!recording) {
    m_impl->undoEntries.clear();
    m_impl->undoMarks.clear();
  }
}

bool OdDbDatabase::isUndoRecording() const {
  return m_impl->undoRecording;
}

void OdDbDatabase::startUndoRecord() {
  if (!m_impl->undoRecording) return;
  // Objects open for write now are snapshotted again on their next change.
  for (auto& [handle, stub] : m_impl->content.stubs) {
    if (stub->object) ObjectAccess::impl(stub->object.get()).snapshotTaken = false;
  }
  m_impl->undoMarks.push_back(m_impl->undoEntries.size());
}

bool OdDbDatabase::hasUndo() const {
  return !m_impl->undoEntries.empty();
}

void OdDbDatabase::undo() {
  Impl& d = *m_impl;
  std::size_t from = d.undoMarks.empty() ? 0 : d.undoMarks.back();
  // Refuse before changing anything when an object to restore is open.
  for (std::size_t i = from; i < d.undoEntries.size(); ++i) {
    OdDbObject* object = d.undoEntries[i].stub->object.get();
    if (object && object->openMode() != OdDb::kNotOpen) {
      OdResult why = object->isWriteEnabled() ? eWasOpenForWrite : eWasOpenForRead;
      throw OdError(
          why, OdString(L"undo: object ") + d.undoEntries[i].stub->handle.ascii() + L" is open");
    }
  }
  d.undoing = true;
  try {
    for (std::size_t i = d.undoEntries.size(); i-- > from;) {
      OdDbDetail::UndoEntry& entry = d.undoEntries[i];
      OdDbObjectPtr object = entry.stub->object;
      if (!object) continue;
      ObjectAccess::setOpenForWrite(object.get());
      if (entry.appended) {
        object->erase(true);
      } else {
        OdDbDetail::BufferReader reader(entry.bytes.data(), entry.bytes.size(),
                                        OdDbFiler::kUndoFiler, this);
        object->dwgInFields(&reader);
        object->erase(entry.erased);
      }
      object->assertWriteEnabled(false, true);
      ObjectAccess::endOpen(object.get());
    }
  } catch (...) {
    d.undoing = false;
    throw;
  }
  d.undoing = false;
  d.undoEntries.resize(from);
  if (!d.undoMarks.empty()) d.undoMarks.pop_back();
}
