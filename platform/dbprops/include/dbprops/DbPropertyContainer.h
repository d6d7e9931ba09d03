// DbPropertyContainer<T>: the stored value holding one T (declared with DbProperty).
#pragma once
/// @file
/// The stored value that holds one value of a supported type.

#include "dbprops/DbProperty.h"
