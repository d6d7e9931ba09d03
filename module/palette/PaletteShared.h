// What every palette definition of the module shares: the name-based identifiers, the two
// property namespaces, the two categories, translated labels and the palette-value rules.
#pragma once

#include <cstdint>
#include <string>

#include "OdString.h"
#include "oa/PropertyCategory.h"
#include "oa/PropertyNamespace.h"
#include "tdx/PropertyValue.h"
#include "ut/UUID.h"

namespace stocklib {
class Material;
class Composition;
}  // namespace stocklib

namespace sl_db_ {

/// The scheme and host of every identifier URL. The ".invalid" top-level name is reserved and
/// never registered, so no one else's identifiers can be made from it.
constexpr char kIdentifierHost[] = "http://sl-db.invalid";

/// Identifiers made once from kIdentifierHost and a fixed path, in the URL namespace.
const ut::UUID& managerId();        // /properties/sl_db/Stocklib
const ut::UUID& staticSourceId();   // /properties/sl_db/Stocklib/propertysource
const ut::UUID& dynamicSourceId();  // /properties/sl_db/Custom-Stocklib/propertysource
/// staticDefinitionId: the static definition root with `internalName` (8-bit text).
ut::UUID staticDefinitionId(const char* internalName);
/// customDefinitionId: the custom definition root with the custom property's name as UTF-8.
ut::UUID customDefinitionId(const OdString& name);

/// The namespace "Stocklib" of static definitions and "Custom" (inside it) of custom ones.
/// Process-wide, never freed.
const oa::PropertyNamespace* libraryNamespace();
const oa::PropertyNamespace* customNamespace();

/// The category "Composition" or "Physical Material" of every definition of that object class;
/// made on first use with its translated name, never null.
template <class Object>
const oa::PropertyCategory* categoryOf();
template <>
const oa::PropertyCategory* categoryOf<stocklib::Material>();
template <>
const oa::PropertyCategory* categoryOf<stocklib::Composition>();

/// translate: `text` (UTF-8) as the application's translation catalogue has it; the text itself
/// when there is no catalogue or no translation.
OdString translate(const char* text);

// Palette values beyond what tdx::PropertyValue's constructors make.
/// The state word of an enumeration value the module reads.
constexpr std::uint32_t kEnumerationState = 0x30;
/// The state word of a ply number (bit 0 added when it has no value).
constexpr std::uint32_t kPlyNumberState = 8;

/// absent: a value of `kind` without value (payload 0, bit 0 set, `extraState` added).
inline tdx::PropertyValue absent(tdx::PropertyValue::Kind kind, std::uint32_t extraState = 0) {
  return tdx::PropertyValue(kind, 0, tdx::PropertyValue::kNoValue | extraState);
}
/// settable: of `kind`, with a value and not varying across a selection.
inline bool settable(const tdx::PropertyValue& value, tdx::PropertyValue::Kind kind) {
  return value.kind() == kind &&
         (value.state() & (tdx::PropertyValue::kNoValue | tdx::PropertyValue::kVaries)) == 0;
}
/// clearing: of `kind`, without value and not varying: a request to clear.
inline bool clearing(const tdx::PropertyValue& value, tdx::PropertyValue::Kind kind) {
  return value.kind() == kind &&
         (value.state() & (tdx::PropertyValue::kNoValue | tdx::PropertyValue::kVaries)) ==
             tdx::PropertyValue::kNoValue;
}

}  // namespace sl_db_
