// sl_db::ValueComputations: the registry through which other modules give library value
// definitions real computations, by handing out value definitions of their own in their place.
#pragma once
/// @file

#include <functional>
#include <memory>
#include <utility>

#include "OdString.h"
#include "sl_db/IDefinitions.h"
#include "sl_db/SlDbExport.h"

namespace sl_db {

/// ValueComputations: process-wide providers registered under a name of their own. Wherever the
/// module hands out a value definition of a library (IPropertySet::valueDefinitions, hence
/// DynamicProperties and DynamicProperty bound by key; ILibrary::valueDefinition and
/// storeValueDefinition, hence DynamicProperty bound by id), it asks the providers, in ascending
/// name order, and hands out the first definition one answers instead of its own. Providers are
/// asked at every hand-out, so adding or removing one takes effect for the next binding; a
/// definition handed out earlier stays what it was.
///
/// A provider's definition should answer its library object from object() (so that saving and
/// removing it reach the library) and keep the library definition's id, name and namespace.
/// A module removes its providers before it is unloaded: their code, and that of the
/// definitions they made, lives in it; no definition it handed out may outlive it either.
class SLDB_API ValueComputations {
 public:
  /// Provider: answers its own definition for the library's `definition` (the module's own
  /// implementation, with its valueSpec), or empty when it does not compute that one.
  using Provider = std::function<std::shared_ptr<IValueDefinition>(
      const std::shared_ptr<IValueDefinition>& definition)>;

  ValueComputations() = delete;

  /// add: registers `provider` under `name`, replacing the one of that name; an empty provider
  /// removes the name.
  static void add(const OdString& name, Provider provider);
  /// remove: drops the provider registered under `name`; nothing when there is none.
  static void remove(const OdString& name);
  /// bind: the definition to hand out for the library's `definition`: the first non-empty answer
  /// of the providers, else `definition` itself (also when it is empty: providers are not
  /// asked). What a provider throws passes through.
  [[nodiscard]] static std::shared_ptr<IValueDefinition> bind(
      std::shared_ptr<IValueDefinition> definition);
};

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
