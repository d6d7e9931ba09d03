// Dictionaries: named references to drawing objects.
#include "DbDictionary.h"

#include <map>

#include "DbDatabase.h"

ODRX_DEFINE_MEMBERS(OdDbDictionary, OdDbObject)

struct OdDbDictionary::Data {
  std::map<OdString, OdDbObjectId> entries;
};

OdDbDictionary::OdDbDictionary() : m_data(std::make_unique<Data>()) {}
OdDbDictionary::~OdDbDictionary() = default;

OdDbObjectId OdDbDictionary::getAt(const OdString& name) const {
  assertReadEnabled();
  auto it = m_data->entries.find(name);
  if (it == m_data->entries.end() || it->second.isErased()) return OdDbObjectId();
  return it->second;
}

OdDbObjectPtr OdDbDictionary::getAt(const OdString& name, OdDb::OpenMode mode) const {
  return getAt(name).openObject(mode);
}

OdDbObjectId OdDbDictionary::setAt(const OdString& name, OdDbObject* object) {
  if (name.isEmpty() || !object) {
    throw OdError(eInvalidInput, OdString(L"dictionary entry needs a name and an object"));
  }
  assertWriteEnabled();
  OdDbObjectId id = object->objectId();
  if (id.isNull()) {
    if (!database()) {
      throw OdError(eNoDatabase, OdString(L"dictionary is in no drawing; cannot add ") + name);
    }
    id = database()->addOdDbObject(object, objectId());
  } else if (object->database() != database()) {
    throw OdError(eInvalidInput, OdString(L"dictionary entry ") + name +
                                     L" would refer to an object of another drawing");
  }
  m_data->entries[name] = id;
  return id;
}

OdDbObjectId OdDbDictionary::remove(const OdString& name) {
  assertWriteEnabled();
  auto it = m_data->entries.find(name);
  if (it == m_data->entries.end()) return OdDbObjectId();
  OdDbObjectId id = it->second;
  m_data->entries.erase(it);
  return id;
}

bool OdDbDictionary::has(const OdString& name) const {
  return !getAt(name).isNull();
}

bool OdDbDictionary::has(const OdDbObjectId& id) const {
  return !nameAt(id).isEmpty();
}

OdString OdDbDictionary::nameAt(const OdDbObjectId& id) const {
  assertReadEnabled();
  if (id.isNull() || id.isErased()) return OdString();
  for (const auto& [name, entry] : m_data->entries) {
    if (entry == id) return name;
  }
  return OdString();
}

unsigned int OdDbDictionary::numEntries() const {
  return static_cast<unsigned int>(entries().size());
}

std::vector<std::pair<OdString, OdDbObjectId>> OdDbDictionary::entries() const {
  assertReadEnabled();
  std::vector<std::pair<OdString, OdDbObjectId>> out;
  for (const auto& [name, id] : m_data->entries) {
    if (!id.isErased()) out.emplace_back(name, id);
  }
  return out;
}

// Data: entry count, then each entry's name and handle. The undo filer keeps erased entries
// (undo may bring their objects back); files drop them.
void OdDbDictionary::dwgOutFields(OdDbDwgFiler* filer) const {
  OdDbObject::dwgOutFields(filer);
  bool all = filer->filerType() == OdDbFiler::kUndoFiler;
  std::uint32_t count = 0;
  for (const auto& entry : m_data->entries)
    count += all || (entry.second.isValid() && !entry.second.isErased());
  filer->wrUInt32(count);
  for (const auto& [name, id] : m_data->entries) {
    if (!all && (!id.isValid() || id.isErased())) continue;
    filer->wrString(name);
    filer->wrDbHandle(id.handle());
  }
}

OdResult OdDbDictionary::dwgInFields(OdDbDwgFiler* filer) {
  OdResult result = OdDbObject::dwgInFields(filer);
  if (result != eOk) return result;
  std::uint32_t count = filer->rdUInt32();
  if (count > filer->bytesLeft() / 12) return eBadDrawingFile;  // name length + handle
  OdDbDatabase* db = filer->database() ? filer->database() : database();
  std::map<OdString, OdDbObjectId> entries;
  for (std::uint32_t i = 0; i < count; ++i) {
    OdString name = filer->rdString();
    OdDbHandle handle = filer->rdDbHandle();
    if (name.isEmpty()) return eBadDrawingFile;
    OdDbObjectId id = db ? db->getOdDbObjectId(handle) : OdDbObjectId();
    if (!entries.emplace(name, id).second) return eDuplicateKey;
  }
  m_data->entries.swap(entries);
  return eOk;
}
