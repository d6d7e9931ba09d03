// The fixed palette properties of a material: texts, its three assets, the two pattern types
// with their parts as children, and the default function.
#include "palette/StaticDefinitions.h"

#include <vector>

namespace sl_db {

namespace palette_kinds {
namespace {

using stocklib::Material;
using stocklib::Pattern;

/// enumeration: an attribute made from (untranslated label, number) pairs, in that order.
KcSmartPtr<const oa::Attribute> enumeration(
    std::initializer_list<std::pair<const char*, std::int64_t>> items) {
  std::vector<oa::EnumerationAttribute::Item> list;
  for (const auto& [label, number] : items)
    list.emplace_back(sl_db_::translate(label), Value::integer(number, sl_db_::kEnumerationState));
  return oa::EnumerationAttribute::createObject(list);
}

/// The type of a material's type, read-only; no type: no value.
struct MaterialTypeName : ReadOnly {
  static const oa::PropType* type() { return oa::PropType::String::getType(); }
  static bool read(const Material& material, Value& value) {
    KcSmartPtr<stocklib::MaterialType> type = material.type();
    if (!type) return false;
    value = Value(type->name());
    return true;
  }
};

/// The default function, one of the function enumeration's items. A number outside it would be
/// stored as a function no palette can show, so it is refused.
struct Function : Kind {
  static const oa::PropType* type() { return oa::PropType::Enumeration::getType(); }
  static KcSmartPtr<const oa::Attribute> attribute(const OdRxClass* cls, const OdRxObject*) {
    if (cls != oa::EnumerationAttribute::desc()) return KcSmartPtr<const oa::Attribute>();
    static const KcSmartPtr<const oa::Attribute> items =
        enumeration({{"None", stocklib::kFunctionNone},
                     {"Structure", stocklib::kFunctionStructure},
                     {"Substrate", stocklib::kFunctionSubstrate},
                     {"Insulation", stocklib::kFunctionInsulation},
                     {"Finish 1", stocklib::kFunctionFinish1},
                     {"Finish 2", stocklib::kFunctionFinish2},
                     {"Membrane", stocklib::kFunctionMembrane}});
    return items;
  }
  static bool read(const Material& material, Value& value) {
    KcSmartPtr<stocklib::BimAsset> bim = material.bim_asset();
    if (!bim) return false;
    value = Value::integer(bim->default_function(), sl_db_::kEnumerationState);
    return true;
  }
  static bool write(Material& material, const Value& value) {
    KcSmartPtr<stocklib::BimAsset> bim = material.bim_asset();
    if (!bim || !sl_db_::settable(value, Value::kInteger)) return false;
    auto number = static_cast<std::int64_t>(value.payload());
    if (number < stocklib::kFunctionNone || number > stocklib::kFunctionMembrane) return false;
    bim->set_default_function(static_cast<stocklib::MaterialFunction>(number));
    return true;
  }
};

/// One part of a pattern (read-only child of a pattern type).
template <Pattern (Material::*GetPattern)() const, auto Part, class Type>
struct PatternPart : ReadOnly {
  static const oa::PropType* type() { return Type::getType(); }
  static KcSmartPtr<const oa::Attribute> attribute(const OdRxClass* cls, const OdRxObject* o) {
    if constexpr (std::is_same_v<Type, oa::PropType::Boolean>) return YesNo::attribute(cls, o);
    return KcSmartPtr<const oa::Attribute>();
  }
  static bool read(const Material& material, Value& value) {
    value = Value(((material.*GetPattern)().*Part)());
    return true;
  }
};

/// A pattern type (read-only), with the parts that type uses as children.
template <Pattern (Material::*GetPattern)() const, class Self, class Name, class Scale, class Angle,
          class Cross>
struct PatternType : ReadOnly {
  static const oa::PropType* type() { return oa::PropType::Enumeration::getType(); }
  static KcSmartPtr<const oa::Attribute> attribute(const OdRxClass* cls, const OdRxObject*) {
    if (cls != oa::EnumerationAttribute::desc()) return KcSmartPtr<const oa::Attribute>();
    static const KcSmartPtr<const oa::Attribute> items =
        enumeration({{"None", Pattern::kNone},
                     {"User defined", Pattern::kUserDefined},
                     {"Predefined", Pattern::kPredefined},
                     {"Custom", Pattern::kCustom}});
    return items;
  }
  static bool read(const Material& material, Value& value) {
    value = Value::integer((material.*GetPattern)().type(), sl_db_::kEnumerationState);
    return true;
  }
  static bool children(oa::PropertyDefinitionArray& out, const OdRxObject* object) {
    const oa::PropertyDefinitionPtr parent =
        StocklibStaticPropertyDefinition<Self, Material>::instance();
    auto add = [&](auto tag) {
      out.append(StocklibStaticChildPropertyDefinition<decltype(tag), Material>::create(parent));
    };
    if (!object) {
      add(Name{}), add(Scale{}), add(Angle{}), add(Cross{});
      return true;
    }
    KcSmartPtr<Material> material = Material::cast(object);
    if (!material) return false;
    switch ((material.get()->*GetPattern)().type()) {
      case Pattern::kUserDefined:
        add(Scale{}), add(Angle{}), add(Cross{});
        break;
      case Pattern::kPredefined:
      case Pattern::kCustom:
        add(Name{}), add(Scale{}), add(Angle{});
        break;
      default:
        break;
    }
    return true;
  }
};

template <Pattern (Material::*GetPattern)() const>
using PatternName = PatternPart<GetPattern, &Pattern::name, oa::PropType::String>;
template <Pattern (Material::*GetPattern)() const>
using PatternScale = PatternPart<GetPattern, &Pattern::scale, oa::PropType::Real>;
template <Pattern (Material::*GetPattern)() const>
using PatternAngle = PatternPart<GetPattern, &Pattern::angle, oa::PropType::Real>;
template <Pattern (Material::*GetPattern)() const>
using PatternCross = PatternPart<GetPattern, &Pattern::cross, oa::PropType::Boolean>;

}  // namespace
}  // namespace palette_kinds

using stocklib::BimAsset;
using stocklib::InformationAsset;
using stocklib::Material;
using stocklib::PhysicalAsset;
namespace P = PropStatic;

// Children first: the pattern types make them.
SL_DB_STATIC_PROPERTY(stocklib::Material, CutPatternName, "Cut pattern name",
                      PatternName<&Material::cut_pattern>)
SL_DB_STATIC_PROPERTY(stocklib::Material, CutPatternScale, "Cut pattern scale",
                      PatternScale<&Material::cut_pattern>)
SL_DB_STATIC_PROPERTY(stocklib::Material, CutPatternAngle, "Cut pattern angle",
                      PatternAngle<&Material::cut_pattern>)
SL_DB_STATIC_PROPERTY(stocklib::Material, CutPatternCross, "Cut pattern cross",
                      PatternCross<&Material::cut_pattern>)
SL_DB_STATIC_PROPERTY(stocklib::Material, SurfacePatternName, "Surface pattern name",
                      PatternName<&Material::surface_pattern>)
SL_DB_STATIC_PROPERTY(stocklib::Material, SurfacePatternScale, "Surface pattern scale",
                      PatternScale<&Material::surface_pattern>)
SL_DB_STATIC_PROPERTY(stocklib::Material, SurfacePatternAngle, "Surface pattern angle",
                      PatternAngle<&Material::surface_pattern>)
SL_DB_STATIC_PROPERTY(stocklib::Material, SurfacePatternCross, "Surface pattern cross",
                      PatternCross<&Material::surface_pattern>)

SL_DB_STATIC_PROPERTY(stocklib::Material, MaterialType, "Type", MaterialTypeName)
SL_DB_STATIC_PROPERTY(stocklib::Material, Appearance, "Appearance",
                      Text<&Material::appearance, &Material::set_appearance>)
SL_DB_STATIC_PROPERTY(stocklib::Material, CutPatternType, "Cut pattern type",
                      PatternType<&Material::cut_pattern, P::CutPatternType, P::CutPatternName,
                                  P::CutPatternScale, P::CutPatternAngle, P::CutPatternCross>)
SL_DB_STATIC_PROPERTY(
    stocklib::Material, SurfacePatternType, "Surface pattern type",
    PatternType<&Material::surface_pattern, P::SurfacePatternType, P::SurfacePatternName,
                P::SurfacePatternScale, P::SurfacePatternAngle, P::SurfacePatternCross>)
SL_DB_STATIC_PROPERTY(stocklib::Material, Label, "Label",
                      Text<&InformationAsset::label, &InformationAsset::set_label>)
SL_DB_STATIC_PROPERTY(stocklib::Material, Manufacturer, "Manufacturer",
                      Text<&InformationAsset::manufacturer, &InformationAsset::set_manufacturer>)
SL_DB_STATIC_PROPERTY(stocklib::Material, Mark, "Mark",
                      Text<&InformationAsset::mark, &InformationAsset::set_mark>)
SL_DB_STATIC_PROPERTY(stocklib::Material, Model, "Model",
                      Text<&InformationAsset::model, &InformationAsset::set_model>)
SL_DB_STATIC_PROPERTY(
    stocklib::Material, Classification, "Classification",
    Text<&InformationAsset::classification, &InformationAsset::set_classification>)
SL_DB_STATIC_PROPERTY(stocklib::Material, Cost, "Cost",
                      Text<&InformationAsset::cost, &InformationAsset::set_cost>)
SL_DB_STATIC_PROPERTY(stocklib::Material, Keynote, "Keynote",
                      Text<&InformationAsset::keynote, &InformationAsset::set_keynote>)
SL_DB_STATIC_PROPERTY(stocklib::Material, URL, "URL",
                      Text<&InformationAsset::url, &InformationAsset::set_url>)
SL_DB_STATIC_PROPERTY(
    stocklib::Material, UniqueCode, "Unique code",
    OptionalText<&InformationAsset::has_unique_code, &InformationAsset::unique_code,
                 &InformationAsset::set_unique_code, &InformationAsset::clear_unique_code>)
SL_DB_STATIC_PROPERTY(stocklib::Material, Density, "Density",
                      OptionalReal<&PhysicalAsset::has_density, &PhysicalAsset::density,
                                   &PhysicalAsset::set_density, &PhysicalAsset::clear_density>)
SL_DB_STATIC_PROPERTY(
    stocklib::Material, SpecificHeat, "Specific heat",
    OptionalReal<&PhysicalAsset::has_specific_heat, &PhysicalAsset::specific_heat,
                 &PhysicalAsset::set_specific_heat, &PhysicalAsset::clear_specific_heat>)
SL_DB_STATIC_PROPERTY(
    stocklib::Material, ThermalConductivity, "Thermal conductivity",
    OptionalReal<&PhysicalAsset::has_thermal_conductivity, &PhysicalAsset::thermal_conductivity,
                 &PhysicalAsset::set_thermal_conductivity,
                 &PhysicalAsset::clear_thermal_conductivity>)
SL_DB_STATIC_PROPERTY(stocklib::Material, UnionSection, "Union section",
                      Bool<&BimAsset::union_section, &BimAsset::set_union_section>)
SL_DB_STATIC_PROPERTY(stocklib::Material, UnionElevation, "Union elevation",
                      Bool<&BimAsset::union_elevation, &BimAsset::set_union_elevation>)
SL_DB_STATIC_PROPERTY(stocklib::Material, DefaultFunction, "Default function", Function)
SL_DB_STATIC_PROPERTY(stocklib::Material, VariableThickness, "Variable thickness",
                      Bool<&BimAsset::variable_thickness, &BimAsset::set_variable_thickness>)

void appendMaterialDefinitions(oa::PropertyDefinitionArray& out) {
  appendStaticDefinitions<Material, P::Name, P::Description, P::Comments, P::MaterialType,
                          P::Appearance, P::CutPatternType, P::SurfacePatternType, P::Label,
                          P::Manufacturer, P::Mark, P::Model, P::Classification, P::Cost,
                          P::Keynote, P::URL, P::UniqueCode, P::Density, P::SpecificHeat,
                          P::ThermalConductivity, P::UnionSection, P::UnionElevation,
                          P::DefaultFunction, P::VariableThickness>(out);
}

}  // namespace sl_db
