// The fixed palette properties of a composition: texts, its type (built-in or one of its
// library's composition types), ply numbers, the variable ply's thicknesses and the ply count.
#include "palette/StaticDefinitions.h"

#include <vector>

#include "stocklib/Library.h"

namespace sl_db {

namespace palette_kinds {
namespace {

using stocklib::Composition;

struct BuiltInType {
  const char* name;
  std::int32_t number;
};
// In the order in which a typed word is compared and the enumeration lists them.
constexpr BuiltInType kBuiltInTypes[] = {{"Wall", Composition::kWall},
                                         {"Roof", Composition::kRoof},
                                         {"Slab", Composition::kSlab},
                                         {"Generic", Composition::kGeneric}};

/// The composition's type: the name of its composition type, else of its built-in type.
/// Written as a built-in word (exact case) or the name of one of its library's composition types.
struct TypeName : Kind {
  static const oa::PropType* type() { return oa::PropType::String::getType(); }
  static KcSmartPtr<const oa::Attribute> attribute(const OdRxClass* cls, const OdRxObject* object) {
    if (cls != oa::EnumerationAttribute::desc()) return KcSmartPtr<const oa::Attribute>();
    std::vector<oa::EnumerationAttribute::Item> items;
    for (const BuiltInType& t : kBuiltInTypes)
      items.emplace_back(sl_db_::translate(t.name), Value(OdString(t.name)));
    KcSmartPtr<oa::EnumerationAttribute> attribute = oa::EnumerationAttribute::createObject(items);
    KcSmartPtr<Composition> composition = Composition::cast(object);
    if (std::shared_ptr<stocklib::Library> library =
            composition ? composition->library() : nullptr) {
      std::vector<KcSmartPtr<stocklib::CompositionType>> types;
      library->get(types);
      for (const auto& t : types)
        attribute->items().insert(t->name(), Value(t->name()));
    }
    return attribute;
  }
  static bool read(const Composition& composition, Value& value) {
    OdString name;
    if (KcSmartPtr<stocklib::CompositionType> own = composition.composition_type()) {
      name = own->name();
    } else {
      for (const BuiltInType& t : kBuiltInTypes)
        if (t.number == composition.type()) name = OdString(t.name);
    }
    if (name.isEmpty()) return false;
    value = Value(name);
    return true;
  }
  static bool write(Composition& composition, const Value& value) {
    OdString text;
    if (!value.get(text)) return false;
    std::int32_t number = Composition::kUserDefined;
    for (const BuiltInType& t : kBuiltInTypes) {
      if (text == OdString(t.name)) {
        number = t.number;
        break;
      }
    }
    KcSmartPtr<stocklib::CompositionType> found;
    if (number == Composition::kUserDefined) {
      std::shared_ptr<stocklib::Library> library = composition.library();
      if (!library) return false;
      std::vector<KcSmartPtr<stocklib::CompositionType>> types;
      library->get(types, stocklib::StringCriteria(text, stocklib::StringCriteria::kEqualNoCase));
      if (types.empty()) return false;
      found = types.front();
    }
    composition.set_type(number);
    composition.set_composition_type(found.get());
    return true;
  }
};

/// The number of plies, read-only.
struct PlyCount : ReadOnly {
  static const oa::PropType* type() { return oa::PropType::Integer::getType(); }
  static bool read(const Composition& composition, Value& value) {
    value = Value::integer(static_cast<std::int64_t>(composition.plies_size()),
                           sl_db_::kPlyNumberState);
    return true;
  }
};

}  // namespace
}  // namespace palette_kinds

using stocklib::Composition;
namespace P = PropStatic;

SL_DB_STATIC_PROPERTY(stocklib::Composition, CompositionType, "Type", TypeName)
SL_DB_STATIC_PROPERTY(stocklib::Composition, FirstCorePly, "First core ply",
                      PlyNumber<&Composition::first_core_ply, &Composition::set_first_core_ply>)
SL_DB_STATIC_PROPERTY(stocklib::Composition, LastCorePly, "Last core ply",
                      PlyNumber<&Composition::last_core_ply, &Composition::set_last_core_ply>)
SL_DB_STATIC_PROPERTY(stocklib::Composition, StructuralPly, "Structural ply",
                      PlyNumber<&Composition::structural_ply, &Composition::set_structural_ply>)
SL_DB_STATIC_PROPERTY(
    stocklib::Composition, VariablePly, "Variable ply",
    OptionalPlyNumber<&Composition::has_variable_ply, &Composition::variable_ply,
                      &Composition::set_variable_ply, &Composition::clear_variable_ply>)
SL_DB_STATIC_PROPERTY(
    stocklib::Composition, VariablePlyMinThickness, "Variable ply min thickness",
    Real<&Composition::variable_ply_min_thickness, &Composition::set_variable_ply_min_thickness>)
SL_DB_STATIC_PROPERTY(stocklib::Composition, VariablePlyMaxThickness, "Variable ply max thickness",
                      OptionalReal<&Composition::has_variable_ply_max_thickness,
                                   &Composition::variable_ply_max_thickness,
                                   &Composition::set_variable_ply_max_thickness,
                                   &Composition::clear_variable_ply_max_thickness>)
SL_DB_STATIC_PROPERTY(stocklib::Composition, Plies, "Plies", PlyCount)

void appendCompositionDefinitions(oa::PropertyDefinitionArray& out) {
  appendStaticDefinitions<Composition, P::Name, P::Description, P::Comments, P::CompositionType,
                          P::FirstCorePly, P::LastCorePly, P::StructuralPly, P::VariablePly,
                          P::VariablePlyMinThickness, P::VariablePlyMaxThickness, P::Plies>(out);
}

}  // namespace sl_db
