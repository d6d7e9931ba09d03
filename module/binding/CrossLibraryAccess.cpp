// Typed lookups across a drawing's primary and secondary libraries, and the copy of a
// secondary's object into the primary on first use. Each library is asked inside a read scope,
// so that a lookup of several stored types reads that library in one transaction.
#include "binding/DocumentLibrariesImpl.h"
#include "sl_db/DocumentLibraries.h"
#include "stocklib/Materials.h"
#include "stocklib/Objects.h"
#include "stocklib/Profiles.h"

namespace sl_db {

template <class T>
KcSmartPtr<T> DocumentLibraries::getFromPrimary(unsigned int id) const {
  auto primary = m_impl->primaryLib();
  if (!primary || id == 0) return KcSmartPtr<T>();
  return primary->get<T>(id);
}

template <class T>
KcSmartPtr<T> DocumentLibraries::getFromPrimary(const Key<T>& key) const {
  auto primary = m_impl->primaryLib();
  if (!primary) return KcSmartPtr<T>();
  stocklib::Library::ReadScope scope(*primary);
  return primary->get<T>(key);
}

template <class T>
KcSmartPtr<T> DocumentLibraries::getFromSecondaries(const Key<T>& key) const {
  for (const auto& secondary : m_impl->secondaries) {
    if (!secondary) continue;
    stocklib::Library::ReadScope scope(*secondary);
    if (KcSmartPtr<T> found = secondary->get<T>(key)) return found;
  }
  return KcSmartPtr<T>();
}

template <class T>
KcSmartPtr<T> DocumentLibraries::get(const Key<T>& key) const {
  if (KcSmartPtr<T> found = getFromPrimary<T>(key)) return found;
  return getFromSecondaries<T>(key);
}

template <class T>
KcSmartPtr<T> DocumentLibraries::getAndSaveToPrimary(const Key<T>& key) {
  if (KcSmartPtr<T> found = getFromPrimary<T>(key)) return found;
  KcSmartPtr<T> found = getFromSecondaries<T>(key);
  if (!found) return found;
  initialize();
  // The record may name a primary file that failed to open: then there is nowhere to store.
  std::shared_ptr<stocklib::Library> primary = m_impl->primaryLib();
  if (!primary) return KcSmartPtr<T>();
  return found->save(primary);
}

#define SLDB_CROSS_LIBRARY_ACCESS(T, n)                                                          \
  template SLDB_API KcSmartPtr<stocklib::T> DocumentLibraries::getFromPrimary<stocklib::T>(      \
      unsigned int) const;                                                                       \
  template SLDB_API KcSmartPtr<stocklib::T> DocumentLibraries::getFromPrimary<stocklib::T>(      \
      const Key<stocklib::T>&) const;                                                            \
  template SLDB_API KcSmartPtr<stocklib::T> DocumentLibraries::getFromSecondaries<stocklib::T>(  \
      const Key<stocklib::T>&) const;                                                            \
  template SLDB_API KcSmartPtr<stocklib::T> DocumentLibraries::get<stocklib::T>(                 \
      const Key<stocklib::T>&) const;                                                            \
  template SLDB_API KcSmartPtr<stocklib::T> DocumentLibraries::getAndSaveToPrimary<stocklib::T>( \
      const Key<stocklib::T>&);

STOCKLIB_OBJECT_TYPES(SLDB_CROSS_LIBRARY_ACCESS, SLDB_CROSS_LIBRARY_ACCESS, STOCKLIB_TYPE_ROW_NONE)

}  // namespace sl_db
