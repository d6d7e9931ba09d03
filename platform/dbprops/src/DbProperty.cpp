// DbProperty and DbPropertyContainer<T>: flags, filing and deep copies of every supported type.
#include "dbprops/DbProperty.h"

#include "ValueIo.h"

namespace {
// Flag bits written before a value.
constexpr std::uint8_t kFlagSet = 0x1;
constexpr std::uint8_t kFlagMapped = 0x2;
}  // namespace

DbProperty::~DbProperty() = default;

bool DbProperty::isMapped() const {
  return m_mapped;
}

std::shared_ptr<DbProperty> DbProperty::clone() const {
  std::shared_ptr<DbProperty> copy;
  dbprops_detail::visitType(type(), [&](auto* tag) {
    using T = std::remove_pointer_t<decltype(tag)>;
    auto* self = static_cast<const DbPropertyContainer<T>*>(this);
    auto made = std::make_shared<DbPropertyContainer<T>>();
    if (self->isSet()) made->setValue(dbprops_detail::deepCopy(self->value()));
    copy = made;
  });
  if (copy) copy->setMapped(isMapped());
  return copy;
}

template <class T>
DbPropertyContainer<T>::~DbPropertyContainer() = default;

template <class T>
void DbPropertyContainer<T>::reset() {
  m_held = T();
  m_set = false;
}

template <class T>
void DbPropertyContainer<T>::writeDataToDwg(OdDbDwgFiler* filer) const {
  std::uint8_t flags = (m_set ? kFlagSet : 0) | (isMapped() ? kFlagMapped : 0);
  filer->wrUInt8(flags);
  if (m_set) dbprops_detail::writeValue(filer, m_held);
}

template <class T>
OdResult DbPropertyContainer<T>::readDataFromDwg(OdDbDwgFiler* filer) {
  try {
    std::uint8_t flags = filer->rdUInt8();
    if ((flags & ~(kFlagSet | kFlagMapped)) && !dbprops_detail::lenient()) {
      dbprops_detail::refuse(OdString::formatted(L"unknown value flags 0x%02x", flags));
    }
    T value{};
    if (flags & kFlagSet) dbprops_detail::readValue(filer, value);
    m_held = std::move(value);
    m_set = (flags & kFlagSet) != 0;
    setMapped((flags & kFlagMapped) != 0);
    return eOk;
  } catch (const OdError& e) {
    dbprops_detail::noteRefusal(e);
    return e.code();
  }
}

#define DBPROPS_INSTANTIATE_SINGLE_(T, C) template class DbPropertyContainer<T>;
#define DBPROPS_INSTANTIATE_ARRAY_(T, C) template class DbPropertyContainer<DbArray<T>>;
#define DBPROPS_INSTANTIATE_MAP_(K, KC, V, VC) template class DbPropertyContainer<std::map<K, V>>;
DBPROPS_FOR_EACH_TYPE(DBPROPS_INSTANTIATE_SINGLE_, DBPROPS_INSTANTIATE_ARRAY_,
                      DBPROPS_INSTANTIATE_MAP_)
