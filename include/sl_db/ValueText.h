// Property values as a person types and reads them: parsing text into a value of a given storage
// type, printing a stored value, and naming storage types. The command line and the palette's
// hosts share this one form.
#pragma once
/// @file

#include <memory>
#include <string>
#include <string_view>

#include "dbprops/DbProperty.h"
#include "dbprops/DbPropertyType.h"
#include "sl_db/SlDbExport.h"

namespace sl_db {

/// parseValue: the value `text` gives for storage type `type`, as a new set DbProperty of that
/// type. Never throws for bad text; answers empty and puts one line saying why into `error` when
/// `type` is not valid, has elements that text cannot give (typed ids, nested values), or the
/// text does not parse whole as the type. Forms:
///   numbers: decimal (integers range-checked, reals finite); true / false;
///   text: as typed, or in double quotes with \" and \\ (needed inside arrays and maps);
///   handles: hexadecimal ("1F"); bytes: hexadecimal pairs ("0a1b", empty for none);
///   points and vectors: "1,2" or "1,2,3", optionally in parentheses (needed inside arrays);
///   arrays: "[1, 2, 3]"; maps: "{a: 1, b: 2}" (keys unique after parsing).
/// Surrounding spaces of every element are ignored. Input is bounded only by memory.
SLDB_API std::shared_ptr<DbProperty> parseValue(std::string_view text, const DbPropertyType& type,
                                                std::string& error);

/// formatValue: `value` in the form parseValue reads (a typed id as its handle, a nested value
/// as "<nested TYPE>").
SLDB_API std::string formatValue(const DbProperty& value);

/// typeName: "double", "array of string", "map of int32 to bool"...; "none" when not valid.
SLDB_API std::string typeName(const DbPropertyType& type);

/// TypeTag<T>: names a value type for visitValueType.
template <class T>
struct TypeTag {
  /// The value type named.
  using type = T;
};

/// visitValueType: calls `visit(TypeTag<T>())` for the value type T of `type` and answers true;
/// false, nothing called, when `type` is not valid.
template <class Visit>
bool visitValueType(const DbPropertyType& type, Visit&& visit) {
  bool found = false;
  // The visiting macros are local: undefined below, so not documented.
  /// @cond
#define SLDB_VISIT_(...)                                      \
  if (!found && type == DbPropertyType::get<__VA_ARGS__>()) { \
    found = true;                                             \
    visit(TypeTag<__VA_ARGS__>());                            \
  }
#define SLDB_VISIT_SINGLE_(T, C) SLDB_VISIT_(T)
#define SLDB_VISIT_ARRAY_(T, C) SLDB_VISIT_(DbArray<T>)
#define SLDB_VISIT_MAP_(K, KC, V, VC) SLDB_VISIT_(std::map<K, V>)
  DBPROPS_FOR_EACH_TYPE(SLDB_VISIT_SINGLE_, SLDB_VISIT_ARRAY_, SLDB_VISIT_MAP_)
#undef SLDB_VISIT_SINGLE_
#undef SLDB_VISIT_ARRAY_
#undef SLDB_VISIT_MAP_
#undef SLDB_VISIT_
  /// @endcond
  return found;
}

}  // namespace sl_db
