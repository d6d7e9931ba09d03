// The registry of bound drawings and the accessors to a drawing's libraries.
#include "sl_db/DocumentLibrariesManager.h"

#include "sl_db/Library.h"

namespace sl_db {

DocumentLibrariesManager::DocumentLibrariesManager() = default;

DocumentLibrariesManager::~DocumentLibrariesManager() {
  // Drawings still open at unload must not call back into a registry that is gone.
  for (auto& [db, docs] : m_map) {
    const_cast<OdDbDatabase*>(db)->removeReactor(this);
    delete docs;
  }
  m_map.clear();
}

DocumentLibraries* DocumentLibrariesManager::get(OdDbDatabase* db) {
  if (!db) return nullptr;
  std::lock_guard<std::recursive_mutex> lock(m_mutex);
  auto found = m_map.find(db);
  if (found != m_map.end()) return found->second;
  std::unique_ptr<DocumentLibraries> docs(
      new DocumentLibraries(db, true, DocumentLibraries::Unbound()));
  auto entry = m_map.emplace(db, docs.get()).first;
  try {
    docs->refresh();
  } catch (...) {
    m_map.erase(entry);
    throw;
  }
  db->addReactor(this);
  return docs.release();
}

void DocumentLibrariesManager::goodbye(const OdDbDatabase* db) {
  std::unique_ptr<DocumentLibraries> docs;
  {
    std::lock_guard<std::recursive_mutex> lock(m_mutex);
    auto found = m_map.find(db);
    if (found == m_map.end()) return;
    docs.reset(found->second);
    m_map.erase(found);
  }
}

DocumentLibraries* docLibs(OdDbDatabase* db) {
  return DocumentLibrariesManager::instance().get(db);
}

const DocumentLibraries* docLibs(const OdDbDatabase* db) {
  return DocumentLibrariesManager::instance().get(const_cast<OdDbDatabase*>(db));
}

DocumentLibrariesManager::Map::const_iterator docLibs_begin() {
  return DocumentLibrariesManager::instance().map().begin();
}

DocumentLibrariesManager::Map::const_iterator docLibs_end() {
  return DocumentLibrariesManager::instance().map().end();
}

std::shared_ptr<const stocklib::Library> getPrimary(const OdDbDatabase* db) {
  const DocumentLibraries* docs = docLibs(db);
  return docs ? docs->primary() : nullptr;
}

std::shared_ptr<stocklib::Library> getPrimary(OdDbDatabase* db, bool initialize) {
  return library(docLibs(db), kPrimary, initialize);
}

std::shared_ptr<const Library> getPrimaryLibrary(const OdDbDatabase* db) {
  const DocumentLibraries* docs = docLibs(db);
  return docs ? docs->primaryLibrary() : nullptr;
}

std::shared_ptr<Library> getPrimaryLibrary(OdDbDatabase* db, bool initialize) {
  DocumentLibraries* docs = docLibs(db);
  return docs ? docs->primaryLibrary(initialize) : nullptr;
}

std::shared_ptr<const Library> getLibrary(const OdDbDatabase* db) {
  return getPrimaryLibrary(db);
}

std::shared_ptr<Library> getLibrary(OdDbDatabase* db, bool initialize) {
  return getPrimaryLibrary(db, initialize);
}

std::shared_ptr<stocklib::Library> getLibrary(OdDbDatabase* db, EDbType type) {
  return library(docLibs(db), type, false);
}

std::shared_ptr<stocklib::Library> library(DocumentLibraries* docs, EDbType type, bool initialize) {
  if (!docs) return nullptr;
  switch (type) {
    case kPrimary:
      return docs->primary(initialize);
    case kSecondary:
      return docs->secondary();
  }
  return nullptr;
}

bool writable(DocumentLibraries* docs, EDbType type) {
  return writable(library(docs, type, false));
}

bool writable(const std::shared_ptr<const stocklib::Library>& library) {
  return library && !library->isReadOnly();
}

}  // namespace sl_db
