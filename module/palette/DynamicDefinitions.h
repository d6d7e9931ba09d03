// The palette properties of the custom values of materials and compositions: one text property
// per custom value an object carries, made anew for each request.
#pragma once

#include "oa/PropertyDefinition.h"

namespace sl_db {

/// StocklibDynamicPropertyDefinition<Object>: the custom value of one custom property on an
/// `Object` (stocklib::Material or stocklib::Composition, derived classes included). Its global
/// name is "Material" or "Composition" followed by the property's name when made; its label is
/// the property's name, read on each call; its identifier follows the name it was made with.
template <class Object>
class StocklibDynamicPropertyDefinition;

/// appendCustomDefinitions: for a composition, else a material, one new definition per entry
/// of custom_values(), in map order; nothing for any other object or null. True when any was
/// appended.
bool appendCustomDefinitions(oa::PropertyDefinitionArray& out, const OdRxObject* object);

}  // namespace sl_db
