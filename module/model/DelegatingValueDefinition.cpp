// DelegatingValueDefinition: every operation forwarded to the library's definition.
#include "sl_db/DelegatingValueDefinition.h"

namespace sl_db {

std::uint32_t DelegatingValueDefinition::id() const {
  return m_library->id();
}
bool DelegatingValueDefinition::visible() const {
  return m_library->visible();
}
bool DelegatingValueDefinition::namespaceVisible() const {
  return m_library->namespaceVisible();
}
bool DelegatingValueDefinition::hasLabel() const {
  return m_library->hasLabel();
}
const OdString& DelegatingValueDefinition::label() const {
  return m_library->label();
}
const OdString& DelegatingValueDefinition::ns() const {
  return m_library->ns();
}
const OdString& DelegatingValueDefinition::name() const {
  return m_library->name();
}
const OdString& DelegatingValueDefinition::description() const {
  return m_library->description();
}
OdString DelegatingValueDefinition::displayName(bool useLabel) const {
  return m_library->displayName(useLabel);
}
PropertyType DelegatingValueDefinition::type() const {
  return m_library->type();
}
DbPropertyType DelegatingValueDefinition::dbPropertyType() const {
  return m_library->dbPropertyType();
}
std::shared_ptr<IUnit> DelegatingValueDefinition::unit() const {
  return m_library->unit();
}
bool DelegatingValueDefinition::isReserved() const {
  return m_library->isReserved();
}
const OdString& DelegatingValueDefinition::reservedText() const {
  return m_library->reservedText();
}
ObjectTypeWrapper::ObjectType DelegatingValueDefinition::objectType() const {
  return m_library->objectType();
}
void DelegatingValueDefinition::setLabel(const OdString& label) {
  m_library->setLabel(label);
}
void DelegatingValueDefinition::clearLabel() {
  m_library->clearLabel();
}
void DelegatingValueDefinition::setName(const OdString& name) {
  m_library->setName(name);
}
void DelegatingValueDefinition::setDescription(const OdString& description) {
  m_library->setDescription(description);
}
void DelegatingValueDefinition::setType(const PropertyType& type) {
  m_library->setType(type);
}
OdRxObject* DelegatingValueDefinition::object() const {
  return m_library->object();
}
const OdString& DelegatingValueDefinition::valueSpec() const {
  return m_library->valueSpec();
}
void DelegatingValueDefinition::setValueSpec(const OdString& spec) {
  m_library->setValueSpec(spec);
}
void DelegatingValueDefinition::reservedUpdate() {
  m_library->reservedUpdate();
}
void DelegatingValueDefinition::setUnit(std::shared_ptr<IUnit> unit) {
  m_library->setUnit(std::move(unit));
}

#define SLDB_EACH_VALUE_TYPE(...)                                                         \
  DynamicPropertyResults::Result DelegatingValueDefinition::computeValue(                 \
      __VA_ARGS__& value, const OdDbObjectPtr& object, const OdRxObject* context) const { \
    return m_library->computeValue(value, object, context);                               \
  }
SLDB_FOR_EACH_VALUE_TYPE
#undef SLDB_EACH_VALUE_TYPE

}  // namespace sl_db
