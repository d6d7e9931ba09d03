// The outcome codes of reading, writing and computing an entity's property value, shared by the
// definition interfaces (which compute values) and the entity values that report them.
#pragma once
/// @file

#include <cstdint>

namespace sl_db {

/// DynamicPropertyResults: holds the codes so that the entity-value class can take them as its
/// own (`DynamicProperty::Result`, `DynamicProperty::Ok`) by deriving from this struct, while
/// the definition interfaces, declared before it, already answer them.
struct DynamicPropertyResults {
  /// Result: the outcome of one read, write or computation.
  enum Result : std::int32_t {
    Ok = 0,            // the value was read or written
    NoValue = 1,       // nothing stored and no default: the reset value was given
    InvalidValue = 2,  // the definition refused the value
    TypeMismatch = 3,  // the value's type is not the stored or defined one
    NotAvailable = 4,  // no value can be read or written here at all
  };
};

}  // namespace sl_db
