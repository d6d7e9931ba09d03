// DbPropertyContainer<T>: the stored value holding one T (declared with DbProperty).
#pragma once

#include "dbprops/DbProperty.h"
