// sl_db::LibraryReactor: turns library notifications into calls of handlers that other modules
// register under a name. Handlers of one table are called in ascending name order (UTF-16 code
// units, case-sensitive), synchronously; a handler that throws ends the dispatch.
#pragma once

#include <functional>
#include <map>
#include <memory>

#include "OdString.h"
#include "sl_db/EDbType.h"
#include "sl_db/SlDbExport.h"
#include "stocklib/Library.h"

class OdDbDatabase;

namespace sl_db {

class SLDB_API LibraryReactor : public stocklib::Library::Reactor {
 public:
  using OnRemoveHandler =
      std::function<stocklib::RemoveResolution(const OdDbDatabase*, const stocklib::ObjectKey&)>;
  using OnRemovedHandler =
      std::function<void(const OdDbDatabase*, const std::shared_ptr<const stocklib::Library>&,
                         const stocklib::ObjectKey&)>;
  using OnSavedHandler = std::function<void(const std::shared_ptr<const stocklib::Library>&,
                                            const stocklib::ObjectKey&)>;
  using OnModifiedHandler =
      std::function<void(const std::shared_ptr<const stocklib::Library>&, stocklib::ObjectType)>;
  using OnPrimaryCopyHandler =
      std::function<void(OdDbDatabase*, const stocklib::Library*, const stocklib::IdMapping&)>;
  using OnClosedHandler = std::function<void(OdDbDatabase*, const stocklib::Library*)>;
  using OnReactorUnloadHandler = std::function<void()>;

  LibraryReactor();
  LibraryReactor(const LibraryReactor& other);
  LibraryReactor& operator=(const LibraryReactor& other);

  /// instance: the reactor held by the library manager when it is a LibraryReactor, else null.
  static LibraryReactor* instance();

  // Registration: adding under a taken name replaces that handler; removing an unknown name
  // does nothing.
  void addOnRemoveHandler(const OdString& name, OnRemoveHandler handler);
  void addOnRemovedHandler(const OdString& name, OnRemovedHandler handler);
  void addOnSavedHandler(const OdString& name, OnSavedHandler handler);
  void addOnModifiedHandler(const OdString& name, OnModifiedHandler handler);
  void addOnPrimaryCopyHandler(const OdString& name, OnPrimaryCopyHandler handler);
  void addOnClosedHandler(const OdString& name, OnClosedHandler handler);
  void addOnReactorUnloadHandler(const OdString& name, OnReactorUnloadHandler handler);
  void removeOnRemoveHandler(const OdString& name);
  void removeOnRemovedHandler(const OdString& name);
  void removeOnSavedHandler(const OdString& name);
  void removeOnModifiedHandler(const OdString& name);
  void removeOnPrimaryCopyHandler(const OdString& name);
  void removeOnClosedHandler(const OdString& name);
  void removeOnReactorUnloadHandler(const OdString& name);

  // Library-store events.
  void onSaved(const std::shared_ptr<const stocklib::Library>& library,
               const stocklib::ObjectKey& key) override;
  /// onRemove: asks the OnRemove handlers once per bound drawing whose primary library is
  /// `library` (secondaries do not count), in registry order; the first answer kKeepObject ends
  /// the walk and is returned; otherwise kRemoveObject. An empty `library` asks nobody.
  stocklib::RemoveResolution onRemove(const std::shared_ptr<const stocklib::Library>& library,
                                      const stocklib::ObjectKey& key) override;
  /// onRemoved: tells the OnRemoved handlers once per bound drawing, whatever its libraries.
  void onRemoved(const std::shared_ptr<const stocklib::Library>& library,
                 const stocklib::ObjectKey& key) override;
  void onModified(const std::shared_ptr<const stocklib::Library>& library,
                  stocklib::ObjectType type) override;

  // Drawing events raised by the document libraries.
  virtual void onPrimaryCopy(OdDbDatabase* db, const stocklib::Library* source,
                             const stocklib::IdMapping& mapping);
  virtual void onClosed(OdDbDatabase* db, const stocklib::Library* library);
  // The store's onClosed (a file name) stays callable beside the drawing event of that name.
  using stocklib::Library::Reactor::onClosed;
  /// onLibraryFileMissing: a hook for derived reactors; does nothing here.
  virtual void onLibraryFileMissing(OdDbDatabase* db, const OdString& path, EDbType type);

 protected:
  /// Calls every OnReactorUnload handler once, then drops all tables. A handler may remove
  /// handlers meanwhile; one that throws (or is empty) is passed over, so the others are still
  /// told.
  ~LibraryReactor() override;

 private:
  // OdString orders whole names by UTF-16 code units.
  template <class F>
  using Table = std::map<OdString, F>;

  Table<OnRemoveHandler> m_onRemove;
  Table<OnRemovedHandler> m_onRemoved;
  Table<OnSavedHandler> m_onSaved;
  Table<OnModifiedHandler> m_onModified;
  Table<OnPrimaryCopyHandler> m_onPrimaryCopy;
  Table<OnClosedHandler> m_onClosed;
  Table<OnReactorUnloadHandler> m_onReactorUnload;
};

}  // namespace sl_db
