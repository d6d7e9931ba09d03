// sl_db::ValueComputations: the registry through which other modules give library value
// definitions real computations, by handing out value definitions of their own in their place.
#pragma once
/// @file

#include <functional>
#include <memory>

#include "OdString.h"
#include "sl_db/SlDbExport.h"

namespace sl_db {

class IValueDefinition;

/// ValueComputations: process-wide providers registered under a name of their own. Wherever the
/// module hands out a value definition of a library (IPropertySet::valueDefinitions, hence
/// DynamicProperties and DynamicProperty bound by key; ILibrary::valueDefinition and
/// storeValueDefinition, hence DynamicProperty bound by id), it asks the providers, in ascending
/// name order, and hands out the first definition one answers instead of its own. Providers are
/// asked at every hand-out, so adding or removing one takes effect for the next binding; a
/// definition handed out earlier stays what it was.
///
/// A provider's definition should answer its library object from object() (so that saving and
/// removing it reach the library) and keep the library definition's id, name and namespace;
/// DelegatingValueDefinition does all of that.
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

}  // namespace sl_db
