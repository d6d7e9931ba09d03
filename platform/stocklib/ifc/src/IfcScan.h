// The checks a STEP file passes before IFC++ reads it: IFC++ drops what it cannot read silently.
#pragma once

#include <string>

namespace stocklib {
namespace detail {

/// checkStepText: throws Exception naming the first fault of `text` (a schema other than IFC4
/// or IFC2X3, a truncated file, an entity IFC++ does not know, a reference to an id the file
/// does not define, an id defined twice, a number that is not finite); answers the schema
/// ("IFC4" or "IFC2X3").
std::string checkStepText(const std::string& text);

}  // namespace detail
}  // namespace stocklib
