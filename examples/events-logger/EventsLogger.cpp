// events-logger: a host module that writes every library event to a log while it is loaded.
// The log is the file named by EVENTS_LOGGER_LOG, else events-logger.log in the working folder.
#include <cstdlib>
#include <fstream>
#include <memory>
#include <string>

#include "RxDynamicModule.h"
#include "RxModule.h"
#include "sl_db/LibraryReactor.h"
#include "stocklib/Library.h"

namespace {

// The regions marked "guide:" stand in docs/GUIDE.md as they are (a test compares them).
// The name the handlers are registered under: unique to this module, so that it removes its own.
const OdString kHandlerName(L"events-logger");

std::string describe(const stocklib::ObjectKey& key) {
  return stocklib::objectTypeName(key.type).toUtf8() + " " + std::to_string(key.id);
}

std::string fileOf(const stocklib::Library* library) {
  return library ? library->filename().toUtf8() : std::string("(no library)");
}

class EventsLoggerModule : public OdRxModule {
 public:
  void initApp() override {
    const char* path = std::getenv("EVENTS_LOGGER_LOG");
    // Shared with the handlers; each line is flushed so that the log is whole at any moment.
    auto log =
        std::make_shared<std::ofstream>(path && *path ? path : "events-logger.log", std::ios::app);
    m_log = log;
    // The host owns the reactor; without one there is nothing to listen to.
    // guide: listening
    m_reactor = sl_db::LibraryReactor::instance();
    if (!m_reactor) {
      *log << "no library reactor: nothing to log" << std::endl;
      return;
    }
    m_reactor->addOnSavedHandler(kHandlerName, [log](const auto& library, const auto& key) {
      *log << "saved " << describe(key) << " in " << fileOf(library.get()) << std::endl;
    });
    // guide: end
    m_reactor->addOnModifiedHandler(
        kHandlerName, [log](const auto& library, stocklib::ObjectType type) {
          *log << "modified objects of type " << stocklib::objectTypeName(type).toUtf8() << " in "
               << fileOf(library.get()) << std::endl;
        });
    // Only listens: never keeps an object from being removed.
    m_reactor->addOnRemoveHandler(kHandlerName, [log](const OdDbDatabase*, const auto& key) {
      *log << "asked to remove " << describe(key) << std::endl;
      return stocklib::kRemoveObject;
    });
    m_reactor->addOnRemovedHandler(
        kHandlerName, [log](const OdDbDatabase*, const auto& library, const auto& key) {
          *log << "removed " << describe(key) << " from " << fileOf(library.get()) << std::endl;
        });
    m_reactor->addOnPrimaryCopyHandler(
        kHandlerName,
        [log](OdDbDatabase*, const stocklib::Library* source, const stocklib::IdMapping& mapping) {
          *log << "primary copied from " << fileOf(source) << " (" << mapping.entries().size()
               << " objects)" << std::endl;
        });
    m_reactor->addOnClosedHandler(kHandlerName,
                                  [log](OdDbDatabase*, const stocklib::Library* library) {
                                    *log << "closed " << fileOf(library) << std::endl;
                                  });
    // The reactor going first: forget it, so that unloading does not touch a dead object.
    // guide: the reactor going
    m_reactor->addOnReactorUnloadHandler(kHandlerName, [this, log] {
      *log << "library reactor unloaded" << std::endl;
      m_reactor = nullptr;
    });
    // guide: end
    *log << "listening" << std::endl;
  }

  // The handlers' code lives in this file: they must leave the reactor before it is unmapped.
  void uninitApp() override {
    if (m_reactor) {
      m_reactor->removeOnSavedHandler(kHandlerName);
      m_reactor->removeOnModifiedHandler(kHandlerName);
      m_reactor->removeOnRemoveHandler(kHandlerName);
      m_reactor->removeOnRemovedHandler(kHandlerName);
      m_reactor->removeOnPrimaryCopyHandler(kHandlerName);
      m_reactor->removeOnClosedHandler(kHandlerName);
      m_reactor->removeOnReactorUnloadHandler(kHandlerName);
      m_reactor = nullptr;
    }
    if (m_log) *m_log << "stopped listening" << std::endl;
    m_log.reset();
  }

 private:
  sl_db::LibraryReactor* m_reactor = nullptr;
  std::shared_ptr<std::ofstream> m_log;
};

}  // namespace

ODRX_DEFINE_DYNAMIC_MODULE(EventsLoggerModule)
