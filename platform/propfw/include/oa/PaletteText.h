// Plain-text rendering of a palette: what each source of a manager shows for one object, by
// category, with values, read-only marks and children. The command-line host prints it.
#pragma once
/// @file
/// The plain-text rendering of a palette for one object.

#include "OdString.h"
#include "oa/PropertySource.h"
#include "oa/PropertySourceManager.h"
#include "oa/PropfwExport.h"

namespace oa {

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
PROPFW_API OdString renderPaletteText(const PropertySourceManager& manager,
                                      const OdRxObject* object,
                                      const OdRxObject* context = nullptr);
/// renderSourceText: the part of renderPaletteText for one source.
PROPFW_API OdString renderSourceText(const PropertySource& source, const OdRxObject* object,
                                     const OdRxObject* context = nullptr);
/// formatPaletteValue: the text of `value` as a definition of `definition` shows it, as above.
PROPFW_API OdString formatPaletteValue(const PropertyDefinition& definition,
                                       const tdx::PropertyValue& value, const OdRxObject* object,
                                       const OdRxObject* context);

}  // namespace oa
