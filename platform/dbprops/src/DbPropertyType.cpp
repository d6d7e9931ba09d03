// DbPropertyType: validity and creation of empty values.
#include "dbprops/DbPropertyType.h"

#include "ValueIo.h"

bool DbPropertyType::isValid() const {
  return dbprops_detail::visitType(*this, [](auto*) {});
}

std::shared_ptr<DbProperty> DbPropertyType::createProperty() const {
  std::shared_ptr<DbProperty> made;
  dbprops_detail::visitType(*this, [&](auto* tag) {
    using T = std::remove_pointer_t<decltype(tag)>;
    made = std::make_shared<DbPropertyContainer<T>>();
  });
  return made;
}
