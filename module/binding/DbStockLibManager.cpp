// DbStockLibManager: the library record of a drawing and its filing.
#include "sl_db/DbStockLibManager.h"

#include <cstring>
#include <memory>
#include <vector>

#include "DbDictionary.h"
#include "stocklib/MemFs.h"

namespace {

const std::uint8_t kFormatVersion = 1;
const wchar_t kClassName[] = L"StockLibManager";
const wchar_t kAppName[] = L"StockLibDbModule|Description: Draftor StockLib Db Module";

// Writes the non-empty strings of `strings`, preceded by their count.
void writeStrings(OdDbDwgFiler* filer, const OdArray<OdString>& strings) {
  std::int32_t count = 0;
  for (const OdString& s : strings)
    count += s.isEmpty() ? 0 : 1;
  filer->wrInt32(count);
  for (const OdString& s : strings) {
    if (!s.isEmpty()) filer->wrString(s);
  }
}

// Reads a count and that many strings, dropping empty ones. False when the count cannot fit in
// what the stream still holds (every string takes at least one byte).
bool readStrings(OdDbDwgFiler* filer, OdArray<OdString>& out) {
  std::int32_t count = filer->rdInt32();
  if (count < 0 || static_cast<std::uint64_t>(count) > filer->bytesLeft()) return false;
  OdArray<OdString> strings;
  strings.reserve(static_cast<unsigned int>(count));
  for (std::int32_t i = 0; i < count; ++i) {
    OdString s = filer->rdString();
    if (!s.isEmpty()) strings.append(s);
  }
  out = std::move(strings);
  return true;
}

}  // namespace

ODRX_DEFINE_MEMBERS_EX(DbStockLibManager, OdDbObject, OdString(kClassName),
                       OdRxObjectPtr(OdRxObjectImpl<DbStockLibManager>::createObject()), 33, 55,
                       kEraseAllowed | kDisableProxyWarning, OdString(kClassName),
                       OdString(kAppName))

DbStockLibManager::DbStockLibManager()
    : m_primaryPath(stocklib::MemFs::instance().createUnique()->filename()) {}

DbStockLibManager::~DbStockLibManager() {
  if (m_embedded) stocklib::MemFs::instance().remove(m_primaryPath);
}

OdDbObjectId DbStockLibManager::getInstance(OdDbDatabase& db, bool createIfNotFound,
                                            bool* pCreated) {
  OdDbObjectPtr root = db.getNamedObjectsDictionaryId().openObject(OdDb::kForRead);
  if (!root) return OdDbObjectId();
  OdDbDictionaryPtr dictionary(root);  // throws when the root is no dictionary
  if (pCreated) *pCreated = false;
  OdDbObjectId id = dictionary->getAt(dictionaryKey());
  if (!id.isNull()) {
    OdDbObjectPtr entry = id.openObject(OdDb::kForRead);
    if (!entry || !entry->isKindOf(desc())) return OdDbObjectId();
    return id;
  }
  if (!createIfNotFound) return OdDbObjectId();
  OdSmartPtr<DbStockLibManager> record = createObject();
  dictionary->upgradeOpen();
  id = dictionary->setAt(dictionaryKey(), record);
  if (!id.isNull() && pCreated) *pCreated = true;
  return id;
}

OdDbObjectId DbStockLibManager::getInstance(const OdDbDatabase& db) {
  OdDbDictionaryPtr dictionary =
      OdDbDictionary::cast(db.getNamedObjectsDictionaryId().openObject(OdDb::kForRead));
  if (!dictionary) return OdDbObjectId();
  return dictionary->getAt(dictionaryKey());
}

bool DbStockLibManager::isPrimaryLibraryEmbedded() const {
  assertReadEnabled();
  return m_embedded;
}

OdString DbStockLibManager::primaryLibraryPath() const {
  assertReadEnabled();
  return m_primaryPath;
}

void DbStockLibManager::setPrimaryLibraryEmbedded() {
  assertWriteEnabled(true, true);
  if (m_embedded) return;
  m_primaryPath = stocklib::MemFs::instance().createUnique()->filename();
  m_embedded = true;
}

void DbStockLibManager::setPrimaryLibraryPath(const OdString& path) {
  assertWriteEnabled(true, true);
  if (m_embedded) stocklib::MemFs::instance().remove(m_primaryPath);
  m_primaryPath = path;
  m_embedded = false;
}

const OdArray<OdString>& DbStockLibManager::secondaryLibraryPaths() const {
  assertReadEnabled();
  return m_secondaryPaths;
}

OdArray<OdString>& DbStockLibManager::setSecondaryLibraryPaths() {
  assertWriteEnabled(true, true);
  return m_secondaryPaths;
}

const OdArray<OdString>& DbStockLibManager::filterTags() const {
  assertReadEnabled();
  return m_filterTags;
}

OdArray<OdString>& DbStockLibManager::setFilterTags() {
  assertWriteEnabled(true, true);
  return m_filterTags;
}

void DbStockLibManager::dwgOutFields(OdDbDwgFiler* filer) const {
  if (filer->filerType() == OdDbFiler::kUndoFiler) return;
  assertReadEnabled();
  OdDbObject::dwgOutFields(filer);
  filer->wrInt8(static_cast<std::int8_t>(kFormatVersion));
  filer->wrUInt8(m_embedded ? 1 : 0);
  if (m_embedded) {
    std::shared_ptr<stocklib::MemFile> file =
        stocklib::MemFs::instance().open(m_primaryPath, false);
    if (!file) {
      filer->wrInt64(0);
    } else {
      // Under the file's lock: a library writing meanwhile cannot tear the copy.
      file->readBlocks([&](std::uint64_t size) { filer->wrInt64(static_cast<std::int64_t>(size)); },
                       [&](const void* block, std::size_t piece) { filer->wrBytes(block, piece); });
    }
  } else {
    filer->wrString(m_primaryPath);
  }
  writeStrings(filer, m_secondaryPaths);
  writeStrings(filer, m_filterTags);
}

OdResult DbStockLibManager::dwgInFields(OdDbDwgFiler* filer) {
  if (filer->filerType() == OdDbFiler::kUndoFiler) return eOk;
  assertWriteEnabled(true, true);
  OdResult result = OdDbObject::dwgInFields(filer);
  if (result != eOk) return result;
  try {
    return readOwnFields(filer);
  } catch (const OdError& e) {
    // A stream that ends early: the record is left as it was.
    return e.code() == eOk ? eBadDrawingFile : e.code();
  }
}

OdResult DbStockLibManager::readOwnFields(OdDbDwgFiler* filer) {
  // Everything is read into locals first: the record changes only when all of it was read.
  const std::uint8_t version = filer->rdUInt8();
  if (version > kFormatVersion) return eNotImplementedYet;
  bool embedded = true;
  if (version == 1) embedded = (filer->rdUInt8() & 1) != 0;

  stocklib::MemFs& fs = stocklib::MemFs::instance();
  OdString externalPath;
  std::shared_ptr<stocklib::MemFile> bytes;
  OdString reservedName;  // a new name taken for a record that was external
  struct ReleaseName {
    stocklib::MemFs& fs;
    OdString& name;
    ~ReleaseName() {
      if (!name.isEmpty()) fs.remove(name);
    }
  } releaseOnFailure{fs, reservedName};
  if (embedded) {
    const std::int64_t size = filer->rdInt64();
    if (size < 0 || static_cast<std::uint64_t>(size) > filer->bytesLeft()) return eBadDrawingFile;
    OdString name = m_primaryPath;
    if (!m_embedded) name = reservedName = fs.createUnique()->filename();
    // A detached file under the record's name, installed only once the whole record was read.
    bytes = std::make_shared<stocklib::MemFile>(name);
    bytes->fill(static_cast<std::uint64_t>(size),
                [&](void* block, std::size_t piece) { filer->rdBytes(block, piece); });
  } else {
    externalPath = filer->rdString();
  }
  OdArray<OdString> secondaries = m_secondaryPaths;
  OdArray<OdString> tags = m_filterTags;
  if (version == 1 && (!readStrings(filer, secondaries) || !readStrings(filer, tags))) {
    return eBadDrawingFile;
  }

  if (embedded) {
    if (!fs.install(bytes)) return eBadDrawingFile;  // a record naming no in-memory file
    m_primaryPath = bytes->filename();
    reservedName.empty();
  } else {
    // The in-memory file of a record that turns external is no longer anyone's.
    if (m_embedded) fs.remove(m_primaryPath);
    m_primaryPath = externalPath;
  }
  m_embedded = embedded;
  m_secondaryPaths = std::move(secondaries);
  m_filterTags = std::move(tags);
  return eOk;
}
