// Drawing objects: the open/close protocol, reactors, erasure, base filing and extension data.
#include "DbObject.h"

#include <algorithm>

#include "DbDatabase.h"
#include "DbFilerImpl.h"
#include "DbImpl.h"

using OdDbDetail::ObjectAccess;

ODRX_NO_CONS_DEFINE_MEMBERS(OdDbObject, OdRxObject)

OdDbObjectReactor::~OdDbObjectReactor() = default;
void OdDbObjectReactor::modified(const OdDbObject*) {}
void OdDbObjectReactor::erased(const OdDbObject*, bool) {}
void OdDbObjectReactor::goodbye(const OdDbObject*) {}

OdDbObject::OdDbObject() : m_impl(std::make_unique<Impl>()) {}
OdDbObject::~OdDbObject() = default;

void OdDbObject::addRef() const {
  m_refs.fetch_add(1, std::memory_order_relaxed);
}

void OdDbObject::release() const {
  long left = m_refs.fetch_sub(1, std::memory_order_acq_rel) - 1;
  if (left == 0) {
    // Reactors may look at the object but must not keep it.
    m_refs.store(1);
    auto reactors = m_impl->reactors;
    for (auto& r : reactors)
      r->goodbye(this);
    delete this;
    return;
  }
  // Only the drawing holds it now: every pointer is gone, so the open ends.
  if (left == 1 && m_impl->stub && m_impl->openCount > 0) ObjectAccess::endOpen(this);
}

long OdDbObject::numRefs() const {
  return m_refs.load(std::memory_order_relaxed);
}

OdDbObjectId OdDbObject::objectId() const {
  return OdDbObjectId(m_impl->stub);
}
OdDbObjectId OdDbObject::ownerId() const {
  return m_impl->owner;
}
void OdDbObject::setOwnerId(const OdDbObjectId& owner) {
  assertWriteEnabled();
  m_impl->owner = owner;
}
OdDbDatabase* OdDbObject::database() const {
  return m_impl->stub ? m_impl->stub->db : nullptr;
}
bool OdDbObject::isDBRO() const {
  return m_impl->stub != nullptr;
}

OdDb::OpenMode OdDbObject::openMode() const {
  return m_impl->openCount > 0 ? m_impl->mode : OdDb::kNotOpen;
}
// Asked before every read of a stored value: answered without a call through the symbol table.
bool OdDbObject::isReadEnabled() const {
  return m_impl->openCount > 0 && m_impl->mode != OdDb::kNotOpen;
}
bool OdDbObject::isWriteEnabled() const {
  return openMode() == OdDb::kForWrite;
}
bool OdDbObject::isNotifyEnabled() const {
  return openMode() == OdDb::kForNotify;
}

void OdDbObject::assertReadEnabled() const {
  if (!isReadEnabled()) {
    throw OdError(eNotOpenForRead,
                  OdString(L"object ") + objectId().handle().ascii() + L" is not open for read");
  }
}

void OdDbObject::assertWriteEnabled(bool autoUndo, bool recordModified) {
  if (!isWriteEnabled()) {
    throw OdError(eNotOpenForWrite,
                  OdString(L"object ") + objectId().handle().ascii() + L" is not open for write");
  }
  // Counted before the change it allows: a reader that kept what it found looks again.
  ++m_impl->changes;
  if (recordModified) m_impl->modified = true;
  if (autoUndo && !m_impl->snapshotTaken && m_impl->stub) {
    OdDbDatabase::Impl* db = m_impl->stub->db->impl();
    if (db->undoRecording && !db->undoing) {
      m_impl->snapshotTaken = true;
      db->snapshot(this);
    }
  }
}

void OdDbObject::close() {
  if (m_impl->openCount <= 0) return;
  if (--m_impl->openCount == 0) {
    ++m_impl->openCount;  // endOpen ends the whole open
    ObjectAccess::endOpen(this);
  }
}

void OdDbObject::upgradeOpen() {
  switch (openMode()) {
    case OdDb::kForWrite:
      return;
    case OdDb::kNotOpen:
      throw OdError(eNotOpenForRead, OdString(L"upgradeOpen on an object that is not open"));
    default:
      // With a single pointer left (besides the drawing's) the caller is the only reader: the
      // other opens have no pointer to read through.
      if (m_impl->openCount > 1 && m_refs.load() <= (m_impl->stub ? 2 : 1)) m_impl->openCount = 1;
      if (m_impl->openCount > 1) {
        throw OdError(eWasOpenForRead, OdString(L"upgradeOpen while other readers hold object ") +
                                           objectId().handle().ascii());
      }
      m_impl->mode = OdDb::kForWrite;
      m_impl->snapshotTaken = false;
  }
}

void OdDbObject::downgradeOpen() {
  if (openMode() == OdDb::kForWrite) m_impl->mode = OdDb::kForRead;
}

void OdDbObject::addReactor(OdDbObjectReactor* reactor) {
  if (!reactor) return;
  auto& list = m_impl->reactors;
  if (std::find(list.begin(), list.end(), reactor) == list.end()) list.emplace_back(reactor);
}

void OdDbObject::removeReactor(OdDbObjectReactor* reactor) {
  auto& list = m_impl->reactors;
  list.erase(std::remove(list.begin(), list.end(), reactor), list.end());
}

void OdDbObject::erase(bool erasing) {
  assertWriteEnabled();
  if (m_impl->erased == erasing) return;
  m_impl->erased = erasing;
  auto reactors = m_impl->reactors;
  for (auto& r : reactors)
    r->erased(this, erasing);
  if (m_impl->stub) m_impl->stub->db->impl()->notifyErased(this, erasing);
}

bool OdDbObject::isErased() const {
  return m_impl->erased;
}

// Base data: owner handle, then the extension count and each extension as kind, byte length
// and bytes.
void OdDbObject::dwgOutFields(OdDbDwgFiler* filer) const {
  assertReadEnabled();
  filer->wrDbHandle(m_impl->owner.handle());
  filer->wrUInt32(static_cast<std::uint32_t>(m_impl->extensions.size()));
  std::vector<std::uint8_t> scratch;
  for (const auto& [kind, slot] : m_impl->extensions) {
    filer->wrString(kind);
    const std::vector<std::uint8_t>* bytes = &slot.raw;
    if (slot.typed) {
      scratch.clear();
      OdDbDetail::BufferWriter writer(scratch, filer->filerType(), filer->database());
      slot.typed->dwgOut(&writer);
      bytes = &scratch;
    }
    filer->wrUInt64(bytes->size());
    filer->wrBytes(bytes->data(), bytes->size());
  }
}

namespace {

// The typed form of `bytes` of `kind`, or null when the kind is unknown or refuses them.
OdDbObjectExtensionPtr typedExtension(const OdString& kind, const std::vector<std::uint8_t>& bytes,
                                      OdDbFiler::FilerType type, OdDbDatabase* db) {
  OdDbObjectExtensionFactory factory = OdDbDetail::extensionFactory(kind);
  if (!factory) return OdDbObjectExtensionPtr();
  try {
    OdDbObjectExtensionPtr ext = factory();
    if (!ext) return ext;
    OdDbDetail::BufferReader reader(bytes.data(), bytes.size(), type, db);
    if (ext->dwgIn(&reader) != eOk || reader.bytesLeft() != 0) return OdDbObjectExtensionPtr();
    return ext;
  } catch (const OdError&) {
    return OdDbObjectExtensionPtr();  // kept as bytes: nothing is lost
  }
}

}  // namespace

OdResult OdDbObject::dwgInFields(OdDbDwgFiler* filer) {
  assertWriteEnabled(false, false);
  OdDbDatabase* db = filer->database() ? filer->database() : database();
  OdDbHandle owner = filer->rdDbHandle();
  std::uint32_t count = filer->rdUInt32();
  // Each extension takes at least a string length and a byte length.
  if (count > filer->bytesLeft() / 12) return eBadDrawingFile;
  std::map<OdString, OdDbDetail::ExtensionSlot> extensions;
  for (std::uint32_t i = 0; i < count; ++i) {
    OdString kind = filer->rdString();
    std::uint64_t size = filer->rdUInt64();
    if (size > filer->bytesLeft()) return eBadDrawingFile;
    OdDbDetail::ExtensionSlot slot;
    slot.raw.resize(static_cast<std::size_t>(size));
    filer->rdBytes(slot.raw.data(), slot.raw.size());
    slot.typed = typedExtension(kind, slot.raw, filer->filerType(), db);
    if (slot.typed) slot.raw.clear();
    if (!extensions.emplace(kind, std::move(slot)).second) return eDuplicateKey;
  }
  m_impl->owner = (db && !owner.isNull()) ? db->getOdDbObjectId(owner) : OdDbObjectId();
  m_impl->extensions.swap(extensions);
  return eOk;
}

OdDbObjectExtension* OdDbObject::extension(const OdString& kind) const {
  auto it = m_impl->extensions.find(kind);
  if (it == m_impl->extensions.end()) return nullptr;
  OdDbDetail::ExtensionSlot& slot = it->second;
  if (!slot.typed) {
    // Read before its kind was registered: convert now if it is.
    slot.typed = typedExtension(kind, slot.raw, OdDbFiler::kFileFiler, database());
    if (slot.typed) {
      slot.raw.clear();
      ++m_impl->changes;
    }
  }
  return slot.typed.get();
}

void OdDbObject::setExtension(const OdString& kind, OdDbObjectExtension* data) {
  assertWriteEnabled();
  if (!data) {
    m_impl->extensions.erase(kind);
    return;
  }
  OdDbDetail::ExtensionSlot slot;
  slot.typed = data;
  m_impl->extensions[kind] = std::move(slot);
}

std::uint64_t OdDbObject::changeCount() const {
  return m_impl->changes;
}

std::vector<OdString> OdDbObject::extensionKinds() const {
  std::vector<OdString> kinds;
  for (const auto& entry : m_impl->extensions)
    kinds.push_back(entry.first);
  return kinds;
}

namespace OdDbDetail {

OdResult ObjectAccess::open(OdDbObject* object, OdDb::OpenMode mode, bool openErased) {
  OdDbObject::Impl& d = impl(object);
  if (d.erased && !openErased) return eWasErased;
  OdDb::OpenMode current = object->openMode();
  switch (mode) {
    case OdDb::kForRead:
    case OdDb::kForNotify:
      if (current == OdDb::kForWrite) return eWasOpenForWrite;
      if (current == OdDb::kNotOpen) {
        d.mode = mode;
        d.openCount = 1;
        d.modified = false;
      } else {
        if (mode == OdDb::kForRead) d.mode = OdDb::kForRead;  // a reader joins a notifier
        ++d.openCount;
      }
      return eOk;
    case OdDb::kForWrite:
      if (current == OdDb::kForWrite) return eWasOpenForWrite;
      if (current == OdDb::kForRead) return eWasOpenForRead;
      if (current == OdDb::kForNotify) return eWasNotifying;
      d.mode = OdDb::kForWrite;
      d.openCount = 1;
      d.modified = false;
      d.snapshotTaken = false;
      return eOk;
    default:
      return eInvalidInput;
  }
}

void ObjectAccess::endOpen(const OdDbObject* object) {
  OdDbObject::Impl& d = impl(object);
  bool wasModified = d.modified;
  d.openCount = 0;
  d.mode = OdDb::kNotOpen;
  d.modified = false;
  d.snapshotTaken = false;
  if (!wasModified) return;
  // Closed before anyone hears of it, so that reactors may open it again. An object in a
  // drawing is kept alive by it; hold any other while the reactors run (a hold on an object in
  // a drawing would keep the reactors' own opens from ending when they release it).
  OdDbObjectPtr keep(d.stub ? nullptr : const_cast<OdDbObject*>(object));
  auto reactors = d.reactors;
  for (auto& r : reactors)
    r->modified(object);
  if (d.stub) d.stub->db->impl()->notifyModified(object);
}

void ObjectAccess::setClosed(OdDbObject* object) {
  OdDbObject::Impl& d = impl(object);
  d.openCount = 0;
  d.mode = OdDb::kNotOpen;
  d.modified = false;
  d.snapshotTaken = false;
}

void ObjectAccess::setOpenForWrite(OdDbObject* object) {
  OdDbObject::Impl& d = impl(object);
  d.openCount = 1;
  d.mode = OdDb::kForWrite;
  d.modified = false;
  d.snapshotTaken = true;
}

void ObjectAccess::extensionToRaw(OdDbObject* object, const OdString& kind) {
  auto& extensions = impl(object).extensions;
  auto it = extensions.find(kind);
  if (it == extensions.end() || !it->second.typed) return;
  std::vector<std::uint8_t> bytes;
  BufferWriter writer(bytes, OdDbFiler::kFileFiler, object->database());
  it->second.typed->dwgOut(&writer);
  it->second.raw.swap(bytes);
  it->second.typed = nullptr;
  ++impl(object).changes;
}

}  // namespace OdDbDetail
