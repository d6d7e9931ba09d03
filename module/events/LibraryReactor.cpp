// sl_db::LibraryReactor: the handler tables and the dispatch of library and drawing events.
#include "sl_db/LibraryReactor.h"

#include "sl_db/DocumentLibrariesManager.h"

namespace sl_db {

namespace {

// Calls every handler of `table` in name order; a throwing handler ends the dispatch.
template <class Table, class... Args>
void dispatch(const Table& table, Args&&... args) {
  for (const auto& entry : table)
    entry.second(args...);
}

}  // namespace

LibraryReactor::LibraryReactor() = default;
LibraryReactor::LibraryReactor(const LibraryReactor& other) = default;

LibraryReactor& LibraryReactor::operator=(const LibraryReactor& other) {
  if (this != &other) {
    m_onRemove = other.m_onRemove;
    m_onRemoved = other.m_onRemoved;
    m_onSaved = other.m_onSaved;
    m_onModified = other.m_onModified;
    m_onPrimaryCopy = other.m_onPrimaryCopy;
    m_onClosed = other.m_onClosed;
    m_onReactorUnload = other.m_onReactorUnload;
  }
  return *this;
}

LibraryReactor::~LibraryReactor() {
  // Taken out first: a module told of the unload typically removes its own handlers.
  const Table<OnReactorUnloadHandler> unload = std::move(m_onReactorUnload);
  m_onReactorUnload.clear();
  for (const auto& entry : unload) {
    // An error cannot leave a destructor, and every other handler must still learn of the end.
    try {
      if (entry.second) entry.second();
    } catch (...) {
    }
  }
}

LibraryReactor* LibraryReactor::instance() {
  return dynamic_cast<LibraryReactor*>(stocklib::LibraryManager::instance().reactor().get());
}

void LibraryReactor::addOnRemoveHandler(const OdString& name, OnRemoveHandler handler) {
  m_onRemove[name] = std::move(handler);
}
void LibraryReactor::addOnRemovedHandler(const OdString& name, OnRemovedHandler handler) {
  m_onRemoved[name] = std::move(handler);
}
void LibraryReactor::addOnSavedHandler(const OdString& name, OnSavedHandler handler) {
  m_onSaved[name] = std::move(handler);
}
void LibraryReactor::addOnModifiedHandler(const OdString& name, OnModifiedHandler handler) {
  m_onModified[name] = std::move(handler);
}
void LibraryReactor::addOnPrimaryCopyHandler(const OdString& name, OnPrimaryCopyHandler handler) {
  m_onPrimaryCopy[name] = std::move(handler);
}
void LibraryReactor::addOnClosedHandler(const OdString& name, OnClosedHandler handler) {
  m_onClosed[name] = std::move(handler);
}
void LibraryReactor::addOnReactorUnloadHandler(const OdString& name,
                                               OnReactorUnloadHandler handler) {
  m_onReactorUnload[name] = std::move(handler);
}

void LibraryReactor::removeOnRemoveHandler(const OdString& name) {
  m_onRemove.erase(name);
}
void LibraryReactor::removeOnRemovedHandler(const OdString& name) {
  m_onRemoved.erase(name);
}
void LibraryReactor::removeOnSavedHandler(const OdString& name) {
  m_onSaved.erase(name);
}
void LibraryReactor::removeOnModifiedHandler(const OdString& name) {
  m_onModified.erase(name);
}
void LibraryReactor::removeOnPrimaryCopyHandler(const OdString& name) {
  m_onPrimaryCopy.erase(name);
}
void LibraryReactor::removeOnClosedHandler(const OdString& name) {
  m_onClosed.erase(name);
}
void LibraryReactor::removeOnReactorUnloadHandler(const OdString& name) {
  m_onReactorUnload.erase(name);
}

void LibraryReactor::onSaved(const std::shared_ptr<const stocklib::Library>& library,
                             const stocklib::ObjectKey& key) {
  dispatch(m_onSaved, library, key);
}

stocklib::RemoveResolution LibraryReactor::onRemove(
    const std::shared_ptr<const stocklib::Library>& library, const stocklib::ObjectKey& key) {
  if (!library) return stocklib::kRemoveObject;  // a drawing without a primary is not concerned
  auto registry = DocumentLibrariesManager::instance().lock();
  for (auto it = docLibs_begin(); it != docLibs_end(); ++it) {
    const DocumentLibraries* docs = it->second;
    if (!docs || docs->primary() != library) continue;
    for (const auto& entry : m_onRemove)
      if (entry.second(it->first, key) == stocklib::kKeepObject) return stocklib::kKeepObject;
  }
  return stocklib::kRemoveObject;
}

void LibraryReactor::onRemoved(const std::shared_ptr<const stocklib::Library>& library,
                               const stocklib::ObjectKey& key) {
  auto registry = DocumentLibrariesManager::instance().lock();
  for (auto it = docLibs_begin(); it != docLibs_end(); ++it)
    if (it->second) dispatch(m_onRemoved, it->first, library, key);
}

void LibraryReactor::onModified(const std::shared_ptr<const stocklib::Library>& library,
                                stocklib::ObjectType type) {
  dispatch(m_onModified, library, type);
}

void LibraryReactor::onPrimaryCopy(OdDbDatabase* db, const stocklib::Library* source,
                                   const stocklib::IdMapping& mapping) {
  dispatch(m_onPrimaryCopy, db, source, mapping);
}

void LibraryReactor::onClosed(OdDbDatabase* db, const stocklib::Library* library) {
  dispatch(m_onClosed, db, library);
}

void LibraryReactor::onLibraryFileMissing(OdDbDatabase*, const OdString&, EDbType) {}

}  // namespace sl_db
