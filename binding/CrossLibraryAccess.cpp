// Typed lookups across a drawing's primary and secondary libraries, and the copy of a
// secondary's object into the primary on first use.
#include "binding/DocumentLibrariesImpl.h"
#include "sl_db/DocumentLibraries.h"
#include "stocklib/Objects.h"

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
  return primary ? primary->get<T>(key) : KcSmartPtr<T>();
}

template <class T>
KcSmartPtr<T> DocumentLibraries::getFromSecondaries(const Key<T>& key) const {
  for (const auto& secondary : m_impl->secondaries)
    if (secondary)
      if (KcSmartPtr<T> found = secondary->get<T>(key)) return found;
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

#define SLDB_CROSS_LIBRARY_ACCESS(T)                                                             \
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

SLDB_CROSS_LIBRARY_ACCESS(Measure)
SLDB_CROSS_LIBRARY_ACCESS(Unit)
SLDB_CROSS_LIBRARY_ACCESS(PropertyNamespace)
SLDB_CROSS_LIBRARY_ACCESS(EntityType)
SLDB_CROSS_LIBRARY_ACCESS(Layer)
SLDB_CROSS_LIBRARY_ACCESS(Tag)
SLDB_CROSS_LIBRARY_ACCESS(CustomProperty)
SLDB_CROSS_LIBRARY_ACCESS(AbstractDefinition)
SLDB_CROSS_LIBRARY_ACCESS(PropertyDefinition)
SLDB_CROSS_LIBRARY_ACCESS(ValueDefinition)
SLDB_CROSS_LIBRARY_ACCESS(PropertySet)

}  // namespace sl_db
