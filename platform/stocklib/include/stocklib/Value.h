// Stored field values of library objects: the representation shared by the objects and the
// storage engine (not meant for callers).
#pragma once
/// @file
/// Stored field values of library objects, shared with the storage engine.

#include <cstdint>
#include <variant>

#include "OdString.h"
#include "ut/KcRxObject.h"

namespace stocklib {
class Object;
namespace detail {

/// Ref: a reference to another object: its id in the holder's library (0 when it has none yet)
/// and, once resolved or when set in memory, the object itself.
struct Ref {
  uint32_t id = 0;
  mutable KcSmartPtr<Object> object;
  bool operator==(const Ref& o) const { return id == o.id; }
  bool operator!=(const Ref& o) const { return id != o.id; }
};

/// Value: one field of an object: absent, integer (also booleans), real, text or reference.
using Value = std::variant<std::monostate, int64_t, double, OdString, Ref>;

}  // namespace detail
}  // namespace stocklib
