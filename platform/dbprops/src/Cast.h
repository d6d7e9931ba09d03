// Private: conversion of a stored value to another value type (the rules of castProperty).
#pragma once

#include <memory>

#include "dbprops/DbProperty.h"

namespace dbprops_detail {

/// convert: `value` converted to the valid type `type` (a new value; the mapped mark kept); a
/// value never set becomes the empty value of `type`; null when the rules give no conversion.
std::shared_ptr<DbProperty> convert(const DbProperty& value, const DbPropertyType& type);

}  // namespace dbprops_detail
