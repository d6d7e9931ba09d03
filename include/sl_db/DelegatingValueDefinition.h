// sl_db::DelegatingValueDefinition: the base of the value definitions other modules hand out
// through ValueComputations: the library's definition, with computations of their own.
#pragma once
/// @file

#include <memory>
#include <utility>

#include "sl_db/IDefinitions.h"
#include "sl_db/SlDbExport.h"

namespace sl_db {

/// DelegatingValueDefinition: a value definition that answers every query, modifier and
/// computation as the library definition it was made over (which computes nothing when it is
/// the module's own).
/// A provider derives from it and overrides the computeValue overloads it computes (with
/// `using DelegatingValueDefinition::computeValue;` for the others).
class SLDB_API DelegatingValueDefinition : public IValueDefinition {
 public:
  /// make<D>: a new D (derived from this class) made from `args`, owned as the module's own
  /// definitions are, so that shared_from_this works through IAbstractDefinition.
  template <class D, class... Args>
  static std::shared_ptr<IValueDefinition> make(Args&&... args) {
    D* made = new D(std::forward<Args>(args)...);
    std::shared_ptr<IAbstractDefinition> owner(
        static_cast<IAbstractDefinition*>(made),
        [](IAbstractDefinition* p) { delete static_cast<D*>(p); });
    return std::shared_ptr<IValueDefinition>(owner, made);
  }

  /// A definition over `library`, which must not be empty.
  explicit DelegatingValueDefinition(std::shared_ptr<IValueDefinition> library)
      : m_library(std::move(library)) {}
  /// libraryDefinition: the definition this one answers as.
  const std::shared_ptr<IValueDefinition>& libraryDefinition() const { return m_library; }

  ///@{
  /// As the library definition.
  std::uint32_t id() const override;
  bool visible() const override;
  bool namespaceVisible() const override;
  bool hasLabel() const override;
  const OdString& label() const override;
  const OdString& ns() const override;
  const OdString& name() const override;
  const OdString& description() const override;
  OdString displayName(bool useLabel) const override;
  PropertyType type() const override;
  DbPropertyType dbPropertyType() const override;
  std::shared_ptr<IUnit> unit() const override;
  bool isReserved() const override;
  const OdString& reservedText() const override;
  ObjectTypeWrapper::ObjectType objectType() const override;
  void setLabel(const OdString& label) override;
  void clearLabel() override;
  void setName(const OdString& name) override;
  void setDescription(const OdString& description) override;
  void setType(const PropertyType& type) override;
  OdRxObject* object() const override;
  const OdString& valueSpec() const override;
  void setValueSpec(const OdString& spec) override;
  void reservedUpdate() override;
  void setUnit(std::shared_ptr<IUnit> unit) override;
  ///@}
  /// computeValue: as the library definition.
#define SLDB_EACH_VALUE_TYPE(...)                                                              \
  DynamicPropertyResults::Result computeValue(__VA_ARGS__& value, const OdDbObjectPtr& object, \
                                              const OdRxObject* context) const override;
  SLDB_FOR_EACH_VALUE_TYPE
#undef SLDB_EACH_VALUE_TYPE

 protected:
  ///@{
  /// Destroyed as the derived class, by the owner make() gave it.
  DelegatingValueDefinition(const DelegatingValueDefinition&) = default;
  DelegatingValueDefinition& operator=(const DelegatingValueDefinition&) = default;
  ~DelegatingValueDefinition() = default;
  ///@}

 private:
  std::shared_ptr<IValueDefinition> m_library;
};

}  // namespace sl_db
