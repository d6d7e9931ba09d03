// Plain-text rendering of a palette: what each source of a manager shows for one object, by
// category, with values, read-only marks and children. The command-line host prints it.
#pragma once
/// @file
/// The plain-text rendering of a palette for one object.

#include <functional>

#include "OdString.h"
#include "oa/PropertySource.h"
#include "oa/PropertySourceManager.h"
#include "oa/PropfwExport.h"

namespace oa {

/// PaletteTextStyle: what a host puts around the framework's values: its own words for the
/// framework's texts (in its language) and a note after a value (its unit).
struct PaletteTextStyle {
  OdString yes = L"Yes";               ///< true, for the framework's own yes/no labels
  OdString no = L"No";                 ///< false, for the framework's own yes/no labels
  OdString noValue = L"no value";      ///< a value without value, or one that cannot be read
  OdString readOnly = L"(read-only)";  ///< after a read-only definition's line
  OdString varies = L"varies";         ///< a value that differs across a selection
  /// suffix: appended to the text of a value that has one (" kg/m³"); unset or empty: nothing.
  std::function<OdString(const PropertyDefinition&)> suffix;
};

/// renderPaletteText: for each source of `manager`, in order, the line "[<source name>]", then
/// its definitions for `object` (all option bits, applicable ones only) grouped by category:
/// categories in ascending weight (then first appearance), each as the line "  <category>"
/// ("General" for definitions without category attribute, after all others); inside a
/// category, definitions in ascending property weight (then the source's order), each as
/// "    <label>: <value>" with " (read-only)" appended when read-only, followed by its children
/// indented two more spaces per level. Values: booleans by the definition's
/// BooleanValueAttribute labels (else "Yes"/"No"), enumerations by the label of their item,
/// integers in decimal (unsigned for PropType::Unsigned), reals in their shortest exact decimal
/// form, strings as they are; "varies" when kVaries is set, "no value" when kNoValue is set or
/// the value cannot be read. Every line ends with "\n". A source with no definitions prints its
/// line only.
/// With a `style`, its words stand for "Yes", "No" (of the framework's own yes/no labels only),
/// "no value", "(read-only)" and "varies", and its suffix follows every value that has one.
PROPFW_API OdString renderPaletteText(const PropertySourceManager& manager,
                                      const OdRxObject* object, const OdRxObject* context = nullptr,
                                      const PaletteTextStyle& style = PaletteTextStyle());
/// renderSourceText: the part of renderPaletteText for one source.
PROPFW_API OdString renderSourceText(const PropertySource& source, const OdRxObject* object,
                                     const OdRxObject* context = nullptr,
                                     const PaletteTextStyle& style = PaletteTextStyle());
/// formatPaletteValue: the text of `value` as a definition of `definition` shows it, as above
/// (the style's suffix not included).
PROPFW_API OdString formatPaletteValue(const PropertyDefinition& definition,
                                       const tdx::PropertyValue& value, const OdRxObject* object,
                                       const OdRxObject* context,
                                       const PaletteTextStyle& style = PaletteTextStyle());

}  // namespace oa
