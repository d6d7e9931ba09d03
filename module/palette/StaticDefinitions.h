// The fixed palette properties of materials and compositions: one definition template over a
// property tag and an object class, its child template, and the kinds of value they share.
#pragma once

#include <cmath>
#include <cstdint>
#include <limits>
#include <type_traits>

#include "oa/Attributes.h"
#include "oa/PropType.h"
#include "oa/PropertyDefinition.h"
#include "palette/PaletteShared.h"
#include "stocklib/Materials.h"

namespace sl_db {

/// Tags naming the fixed properties; their names are the properties' internal names.
namespace PropStatic {
// Materials and compositions.
struct Name {};
struct Description {};
struct Comments {};
// Materials.
struct MaterialType {};
struct Appearance {};
struct CutPatternType {};
struct SurfacePatternType {};
struct Label {};
struct Manufacturer {};
struct Mark {};
struct Model {};
struct Classification {};
struct Cost {};
struct Keynote {};
struct URL {};
struct UniqueCode {};
struct Density {};
struct SpecificHeat {};
struct ThermalConductivity {};
struct UnionSection {};
struct UnionElevation {};
struct DefaultFunction {};
struct VariableThickness {};
// Children of the pattern types.
struct CutPatternName {};
struct CutPatternScale {};
struct CutPatternAngle {};
struct CutPatternCross {};
struct SurfacePatternName {};
struct SurfacePatternScale {};
struct SurfacePatternAngle {};
struct SurfacePatternCross {};
// Compositions.
struct CompositionType {};
struct FirstCorePly {};
struct LastCorePly {};
struct StructuralPly {};
struct VariablePly {};
struct VariablePlyMinThickness {};
struct VariablePlyMaxThickness {};
struct Plies {};
}  // namespace PropStatic

/// StaticTraits<Tag, Object>: what one property is. A specialisation derives from one kind below
/// and adds kName (internal name) and kLabel (untranslated label). A kind gives:
///   type()                       the palette value type;
///   kReadOnly                    whether every write is refused;
///   read(object, value)          false when the object has no value to show;
///   write(object, value)         false, object unchanged, for a value it cannot take;
///   attribute(class, object)     its own attribute of that class, or null;
///   children(out, object)        appends child definitions; false when it has none.
template <class Tag, class Object>
struct StaticTraits;

/// StocklibStaticPropertyDefinition: one fixed property of `Object` (stocklib::Material or
/// stocklib::Composition). One instance per process (instance()); reads and writes go straight
/// to the object, which must be an `Object` or derived from it, else they answer false.
template <class Tag, class Object>
class StocklibStaticPropertyDefinition : public oa::PropertyDefinition {
 public:
  using Traits = StaticTraits<Tag, Object>;

  StocklibStaticPropertyDefinition()
      : m_globalName(Traits::kName),
        m_localName(sl_db_::translate(Traits::kLabel)),
        m_category(sl_db_::categoryOf<Object>()) {}

  /// instance: a new reference to the process-wide definition, made on first use.
  static oa::PropertyDefinitionPtr instance() {
    static const oa::PropertyDefinitionPtr one =
        KcRxObjectImpl<StocklibStaticPropertyDefinition>::createObject();
    return one;
  }

  ut::UUID GUID() const override {
    static const ut::UUID id = sl_db_::staticDefinitionId(Traits::kName);
    return id;
  }
  OdString globalName() const override { return m_globalName; }
  OdString localName() const override { return m_localName; }
  const oa::PropertyNamespace* propertyNamespace() const override {
    return sl_db_::libraryNamespace();
  }
  const oa::PropType* type() const override { return Traits::type(); }
  KcSmartPtr<const oa::Attribute> getAttribute(const OdRxClass* attributeClass,
                                               const OdRxObject* object,
                                               const OdRxObject* context) const override {
    if (attributeClass == oa::CategoryAttribute::desc())
      return KcSmartPtr<const oa::Attribute>(&m_category);
    if (KcSmartPtr<const oa::Attribute> own = Traits::attribute(attributeClass, object)) return own;
    return oa::PropertyDefinition::getAttribute(attributeClass, object, context);
  }
  bool isReadOnly(const OdRxObject*, const OdRxObject*) const override { return Traits::kReadOnly; }
  bool getValue(tdx::PropertyValue& value, const OdRxObject* object,
                const OdRxObject*) const override {
    KcSmartPtr<Object> typed = Object::cast(object);
    tdx::PropertyValue read;
    if (!typed || !Traits::read(*typed, read)) return false;
    value.swap(read);
    return true;
  }
  bool getChildren(oa::PropertyDefinitionArray& children, const OdRxObject* object,
                   const oa::PropertyOptions::Object&) const override {
    return Traits::children(children, object);
  }
  bool setValue(OdRxObject* object, const tdx::PropertyValue& value,
                const OdRxObject*) const override {
    if constexpr (Traits::kReadOnly) {
      return false;
    } else {
      KcSmartPtr<Object> typed = Object::cast(object);
      return typed && Traits::write(*typed, value);
    }
  }

 private:
  OdString m_globalName;
  OdString m_localName;
  OdStaticRxObject<oa::CategoryAttributeImpl> m_category;
};

/// StocklibStaticChildPropertyDefinition: a property shown under another one (a part of a
/// pattern); made anew for each request, holding the definition that made it.
template <class Tag, class Object>
class StocklibStaticChildPropertyDefinition : public StocklibStaticPropertyDefinition<Tag, Object> {
 public:
  explicit StocklibStaticChildPropertyDefinition(oa::PropertyDefinitionPtr parent)
      : m_parent(std::move(parent)) {}
  static oa::PropertyDefinitionPtr create(const oa::PropertyDefinitionPtr& parent) {
    return KcRxObjectImpl<StocklibStaticChildPropertyDefinition>::createObject(parent);
  }
  oa::PropertyDefinitionPtr getParent() const override { return m_parent; }

 private:
  oa::PropertyDefinitionPtr m_parent;
};

namespace palette_kinds {

using Value = tdx::PropertyValue;

/// ClassOf<&C::member>: C.
template <class Member>
struct ClassOf;
template <class C, class M>
struct ClassOf<M C::*> {
  using type = C;
};

/// The asset of a material that holds fields of class `Asset`; null when it has none.
template <class Asset>
KcSmartPtr<Asset> assetOf(const stocklib::Material& material);
template <>
inline KcSmartPtr<stocklib::InformationAsset> assetOf(const stocklib::Material& material) {
  return material.information_asset();
}
template <>
inline KcSmartPtr<stocklib::PhysicalAsset> assetOf(const stocklib::Material& material) {
  return material.physical_asset();
}
template <>
inline KcSmartPtr<stocklib::BimAsset> assetOf(const stocklib::Material& material) {
  return material.bim_asset();
}

/// Holder<C>::of(object): what holds the fields of class C: the object itself, or its asset
/// of that class (null when the material has none).
template <class C>
struct Holder {
  template <class Object>
  static KcSmartPtr<C> of(const Object& object) {
    if constexpr (std::is_base_of_v<stocklib::Asset, C>) {
      return assetOf<C>(object);
    } else {
      return KcSmartPtr<C>(const_cast<Object*>(&object));
    }
  }
};

/// Defaults of every kind: writable, no attribute of its own, no children.
struct Kind {
  static constexpr bool kReadOnly = false;
  static KcSmartPtr<const oa::Attribute> attribute(const OdRxClass*, const OdRxObject*) {
    return KcSmartPtr<const oa::Attribute>();
  }
  static bool children(oa::PropertyDefinitionArray&, const OdRxObject*) { return false; }
};

struct ReadOnly : Kind {
  static constexpr bool kReadOnly = true;
};

/// YesNo: booleans shown as "Yes" and "No".
struct YesNo {
  static const oa::PropType* type() { return oa::PropType::Boolean::getType(); }
  static KcSmartPtr<const oa::Attribute> attribute(const OdRxClass* cls, const OdRxObject*) {
    if (cls == oa::BooleanValueAttribute::desc())
      return KcSmartPtr<const oa::Attribute>(oa::BooleanValueAttribute::getYesNo());
    return KcSmartPtr<const oa::Attribute>();
  }
};

/// A stored field shown as a palette value of `Type`, whose payload is taken out as a `Taken`:
/// a value of another kind, without value or varying is refused.
template <auto Get, auto Set, class Type, class Taken>
struct Field : Kind {
  using C = typename ClassOf<decltype(Get)>::type;
  static const oa::PropType* type() { return Type::getType(); }
  static Value::Kind kind() { return type()->valueKind(); }
  template <class Object>
  static bool read(const Object& object, Value& value) {
    KcSmartPtr<C> holder = Holder<C>::of(object);
    if (!holder) return false;
    value = Value(((*holder).*Get)());
    return true;
  }
  template <class Object>
  static bool write(Object& object, const Value& value) {
    KcSmartPtr<C> holder = Holder<C>::of(object);
    Taken taken{};
    if (!holder || !value.get(taken)) return false;
    // No stored figure is infinite or not a number, and the store cannot keep one.
    if constexpr (std::is_floating_point_v<Taken>)
      if (!std::isfinite(taken)) return false;
    ((*holder).*Set)(taken);
    return true;
  }
};

/// A field that may be unset: it reads as a value without value, which written clears it.
template <auto Has, auto Get, auto Set, auto Clear, class Type, class Taken>
struct OptionalField : Field<Get, Set, Type, Taken> {
  using Base = Field<Get, Set, Type, Taken>;
  using C = typename Base::C;
  template <class Object>
  static bool read(const Object& object, Value& value) {
    KcSmartPtr<C> holder = Holder<C>::of(object);
    if (!holder) return false;
    value = ((*holder).*Has)() ? Value(((*holder).*Get)()) : sl_db_::absent(Base::kind());
    return true;
  }
  template <class Object>
  static bool write(Object& object, const Value& value) {
    KcSmartPtr<C> holder = Holder<C>::of(object);
    if (!holder || !sl_db_::clearing(value, Base::kind())) return Base::write(object, value);
    ((*holder).*Clear)();
    return true;
  }
};

/// A text; any text is taken.
template <auto Get, auto Set>
using Text = Field<Get, Set, oa::PropType::String, OdString>;
/// A name: a blank one is refused, as nothing could be told or found by it.
template <auto Get, auto Set>
struct Name : Text<Get, Set> {
  template <class Object>
  static bool write(Object& object, const Value& value) {
    OdString text;
    return value.get(text) && !text.isBlank() && Text<Get, Set>::write(object, value);
  }
};
template <auto Has, auto Get, auto Set, auto Clear>
using OptionalText = OptionalField<Has, Get, Set, Clear, oa::PropType::String, OdString>;
/// A real number, passed as stored (no unit).
template <auto Get, auto Set>
using Real = Field<Get, Set, oa::PropType::Real, double>;
template <auto Has, auto Get, auto Set, auto Clear>
using OptionalReal = OptionalField<Has, Get, Set, Clear, oa::PropType::Real, double>;

/// A truth value shown as yes or no.
template <auto Get, auto Set>
struct Bool : Field<Get, Set, oa::PropType::Boolean, bool> {
  static KcSmartPtr<const oa::Attribute> attribute(const OdRxClass* cls, const OdRxObject* o) {
    return YesNo::attribute(cls, o);
  }
};

/// A ply number (unsigned, as stored; not checked against the plies). A number that does not
/// fit the stored 32 bits is refused rather than cut.
template <auto Get, auto Set>
struct PlyNumber : Kind {
  static const oa::PropType* type() { return oa::PropType::Unsigned::getType(); }
  template <class Object>
  static bool read(const Object& object, Value& value) {
    value = Value::integer((object.*Get)(), sl_db_::kPlyNumberState);
    return true;
  }
  template <class Object>
  static bool write(Object& object, const Value& value) {
    if (!sl_db_::settable(value, Value::kInteger) ||
        value.payload() > std::numeric_limits<std::uint32_t>::max())
      return false;
    (object.*Set)(static_cast<std::uint32_t>(value.payload()));
    return true;
  }
};

/// A ply number that may be absent; an absent integer value clears it.
template <auto Has, auto Get, auto Set, auto Clear>
struct OptionalPlyNumber : PlyNumber<Get, Set> {
  template <class Object>
  static bool read(const Object& object, Value& value) {
    if ((object.*Has)()) return PlyNumber<Get, Set>::read(object, value);
    value = sl_db_::absent(Value::kInteger, sl_db_::kPlyNumberState);
    return true;
  }
  template <class Object>
  static bool write(Object& object, const Value& value) {
    if (!sl_db_::clearing(value, Value::kInteger)) return PlyNumber<Get, Set>::write(object, value);
    (object.*Clear)();
    return true;
  }
};

}  // namespace palette_kinds

/// The three texts that materials and compositions share.
template <class Object>
struct StaticTraits<PropStatic::Name, Object>
    : palette_kinds::Name<&Object::name, &Object::set_name> {
  static constexpr const char* kName = "Name";
  static constexpr const char* kLabel = "Name";
};
template <class Object>
struct StaticTraits<PropStatic::Description, Object>
    : palette_kinds::Text<&Object::description, &Object::set_description> {
  static constexpr const char* kName = "Description";
  static constexpr const char* kLabel = "Description";
};
template <class Object>
struct StaticTraits<PropStatic::Comments, Object>
    : palette_kinds::Text<&Object::comments, &Object::set_comments> {
  static constexpr const char* kName = "Comments";
  static constexpr const char* kLabel = "Comments";
};

/// SL_DB_STATIC_PROPERTY: the traits of one property of OBJECT: its tag (whose name is the
/// internal name), its untranslated label and its kind.
#define SL_DB_STATIC_PROPERTY(OBJECT, TAG, LABEL, ...)                        \
  template <>                                                                 \
  struct StaticTraits<PropStatic::TAG, OBJECT> : palette_kinds::__VA_ARGS__ { \
    static constexpr const char* kName = #TAG;                                \
    static constexpr const char* kLabel = LABEL;                              \
  };

/// appendStaticDefinitions: appends the definition of each tag, in order, for `Object`.
template <class Object, class... Tags>
void appendStaticDefinitions(oa::PropertyDefinitionArray& out) {
  (out.append(StocklibStaticPropertyDefinition<Tags, Object>::instance()), ...);
}

/// The fixed definitions of a material (23) and of a composition (11), in palette order.
void appendMaterialDefinitions(oa::PropertyDefinitionArray& out);
void appendCompositionDefinitions(oa::PropertyDefinitionArray& out);

}  // namespace sl_db
