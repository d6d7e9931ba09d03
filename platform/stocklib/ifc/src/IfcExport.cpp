// Writes a library as an IFC 4 project library through IFC++ (its headers are confined here).
#include "stocklib/Ifc.h"

#include <ifcpp/IFC4/include/IfcArbitraryClosedProfileDef.h>
#include <ifcpp/IFC4/include/IfcAsymmetricIShapeProfileDef.h>
#include <ifcpp/IFC4/include/IfcBeamType.h>
#include <ifcpp/IFC4/include/IfcBeamTypeEnum.h>
#include <ifcpp/IFC4/include/IfcCShapeProfileDef.h>
#include <ifcpp/IFC4/include/IfcCartesianPointList2D.h>
#include <ifcpp/IFC4/include/IfcCircleHollowProfileDef.h>
#include <ifcpp/IFC4/include/IfcCircleProfileDef.h>
#include <ifcpp/IFC4/include/IfcColumnType.h>
#include <ifcpp/IFC4/include/IfcColumnTypeEnum.h>
#include <ifcpp/IFC4/include/IfcConversionBasedUnit.h>
#include <ifcpp/IFC4/include/IfcCoveringType.h>
#include <ifcpp/IFC4/include/IfcCoveringTypeEnum.h>
#include <ifcpp/IFC4/include/IfcDimensionalExponents.h>
#include <ifcpp/IFC4/include/IfcEllipseProfileDef.h>
#include <ifcpp/IFC4/include/IfcGloballyUniqueId.h>
#include <ifcpp/IFC4/include/IfcIShapeProfileDef.h>
#include <ifcpp/IFC4/include/IfcIdentifier.h>
#include <ifcpp/IFC4/include/IfcIndexedPolyCurve.h>
#include <ifcpp/IFC4/include/IfcInteger.h>
#include <ifcpp/IFC4/include/IfcLShapeProfileDef.h>
#include <ifcpp/IFC4/include/IfcLabel.h>
#include <ifcpp/IFC4/include/IfcLengthMeasure.h>
#include <ifcpp/IFC4/include/IfcLogical.h>
#include <ifcpp/IFC4/include/IfcMassDensityMeasure.h>
#include <ifcpp/IFC4/include/IfcMaterial.h>
#include <ifcpp/IFC4/include/IfcMaterialLayer.h>
#include <ifcpp/IFC4/include/IfcMaterialLayerSet.h>
#include <ifcpp/IFC4/include/IfcMaterialProfile.h>
#include <ifcpp/IFC4/include/IfcMaterialProfileSet.h>
#include <ifcpp/IFC4/include/IfcMaterialProperties.h>
#include <ifcpp/IFC4/include/IfcMeasureWithUnit.h>
#include <ifcpp/IFC4/include/IfcNonNegativeLengthMeasure.h>
#include <ifcpp/IFC4/include/IfcPlaneAngleMeasure.h>
#include <ifcpp/IFC4/include/IfcPositiveLengthMeasure.h>
#include <ifcpp/IFC4/include/IfcProfileProperties.h>
#include <ifcpp/IFC4/include/IfcProfileTypeEnum.h>
#include <ifcpp/IFC4/include/IfcProject.h>
#include <ifcpp/IFC4/include/IfcProjectLibrary.h>
#include <ifcpp/IFC4/include/IfcPropertyListValue.h>
#include <ifcpp/IFC4/include/IfcPropertySet.h>
#include <ifcpp/IFC4/include/IfcPropertySetTemplate.h>
#include <ifcpp/IFC4/include/IfcPropertySetTemplateTypeEnum.h>
#include <ifcpp/IFC4/include/IfcPropertySingleValue.h>
#include <ifcpp/IFC4/include/IfcReal.h>
#include <ifcpp/IFC4/include/IfcRectangleHollowProfileDef.h>
#include <ifcpp/IFC4/include/IfcRectangleProfileDef.h>
#include <ifcpp/IFC4/include/IfcRelAssociatesMaterial.h>
#include <ifcpp/IFC4/include/IfcRelDeclares.h>
#include <ifcpp/IFC4/include/IfcRelDefinesByTemplate.h>
#include <ifcpp/IFC4/include/IfcRoofType.h>
#include <ifcpp/IFC4/include/IfcRoofTypeEnum.h>
#include <ifcpp/IFC4/include/IfcRoundedRectangleProfileDef.h>
#include <ifcpp/IFC4/include/IfcSIPrefix.h>
#include <ifcpp/IFC4/include/IfcSIUnit.h>
#include <ifcpp/IFC4/include/IfcSIUnitName.h>
#include <ifcpp/IFC4/include/IfcSimplePropertyTemplate.h>
#include <ifcpp/IFC4/include/IfcSimplePropertyTemplateTypeEnum.h>
#include <ifcpp/IFC4/include/IfcSlabType.h>
#include <ifcpp/IFC4/include/IfcSlabTypeEnum.h>
#include <ifcpp/IFC4/include/IfcSpecificHeatCapacityMeasure.h>
#include <ifcpp/IFC4/include/IfcStateEnum.h>
#include <ifcpp/IFC4/include/IfcTShapeProfileDef.h>
#include <ifcpp/IFC4/include/IfcText.h>
#include <ifcpp/IFC4/include/IfcThermalConductivityMeasure.h>
#include <ifcpp/IFC4/include/IfcTrapeziumProfileDef.h>
#include <ifcpp/IFC4/include/IfcUShapeProfileDef.h>
#include <ifcpp/IFC4/include/IfcUnitAssignment.h>
#include <ifcpp/IFC4/include/IfcUnitEnum.h>
#include <ifcpp/IFC4/include/IfcWallType.h>
#include <ifcpp/IFC4/include/IfcWallTypeEnum.h>
#include <ifcpp/IFC4/include/IfcZShapeProfileDef.h>
#include <ifcpp/model/BuildingModel.h>
#include <ifcpp/writer/WriterSTEP.h>

#include <pugixml.hpp>

#include <algorithm>
#include <cmath>
#include <functional>
#include <sstream>

#include "stocklib/Materials.h"
#include "stocklib/Profiles.h"

namespace stocklib {
namespace {

std::wstring w(const OdString& s) {
  return std::wstring(s.c_str());
}

shared_ptr<IfcLabel> label(const OdString& s) {
  return s.isEmpty() ? nullptr : std::make_shared<IfcLabel>(w(s));
}

shared_ptr<IfcText> text(const OdString& s) {
  return s.isEmpty() ? nullptr : std::make_shared<IfcText>(w(s));
}

// GlobalIds derived from what the object is, so that exporting the same library twice gives
// the same file; 22 characters of the IFC base-64 alphabet.
shared_ptr<IfcGloballyUniqueId> guid(const std::wstring& seed) {
  static const char* alphabet = "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz_$";
  uint64_t a = 1469598103934665603ull, b = 1099511628211ull;
  for (wchar_t c : seed) {
    a = (a ^ static_cast<uint64_t>(c)) * 1099511628211ull;
    b = (b + static_cast<uint64_t>(c)) * 6364136223846793005ull + 1442695040888963407ull;
  }
  std::wstring out;
  out += static_cast<wchar_t>(alphabet[a % 4]);  // the first character holds two bits only
  for (int i = 1; i < 22; ++i) {
    uint64_t& h = i < 11 ? a : b;
    out += static_cast<wchar_t>(alphabet[(h >> ((i % 10) * 6)) & 63]);
  }
  return std::make_shared<IfcGloballyUniqueId>(out);
}

class Writer {
 public:
  Writer(const Library& library, IfcExportSummary& summary)
      : m_library(library), m_summary(summary), m_model(std::make_shared<BuildingModel>()) {}

  void write(std::string& out) {
    project();
    std::map<uint32_t, shared_ptr<IfcMaterial>> materials;
    std::vector<KcSmartPtr<Material>> all;
    m_library.get(all);
    for (const auto& m : all)
      materials[m->id()] = material(*m);
    std::vector<KcSmartPtr<Composition>> compositions;
    m_library.get(compositions);
    for (const auto& c : compositions)
      layerSet(*c, materials);
    std::vector<KcSmartPtr<Profile>> profiles;
    m_library.get(profiles);
    for (const auto& p : profiles)
      profile(*p);
    std::vector<KcSmartPtr<PropertySet>> sets;
    m_library.get(sets);
    for (const auto& s : sets)
      propertySet(*s);
    if (!m_declares->m_RelatedDefinitions.empty()) add(m_declares);
    std::stringstream stream;
    WriterSTEP writer;
    m_model->initFileHeader(L"library.ifc");
    writer.writeModelToStream(stream, m_model);
    out = stream.str();
  }

 private:
  template <class T>
  shared_ptr<T> add(shared_ptr<T> e) {
    e->m_entity_id = ++m_nextId;
    m_model->insertEntity(e);
    return e;
  }
  template <class T>
  shared_ptr<T> make() {
    return add(std::make_shared<T>());
  }

  void project() {
    auto units = make<IfcUnitAssignment>();
    auto metre = make<IfcSIUnit>();
    metre->m_UnitType = std::make_shared<IfcUnitEnum>(IfcUnitEnum::ENUM_LENGTHUNIT);
    metre->m_Name = std::make_shared<IfcSIUnitName>(IfcSIUnitName::ENUM_METRE);
    if (m_library.unit() == kLibraryUnitInch) {
      // An inch is 0.0254 metre: a conversion-based unit over the metre.
      auto factor = make<IfcMeasureWithUnit>();
      factor->m_ValueComponent = std::make_shared<IfcLengthMeasure>(0.0254);
      factor->m_UnitComponent = metre;
      auto dims = make<IfcDimensionalExponents>();
      dims->m_LengthExponent = 1;
      auto inch = make<IfcConversionBasedUnit>();
      inch->m_Dimensions = dims;
      inch->m_UnitType = std::make_shared<IfcUnitEnum>(IfcUnitEnum::ENUM_LENGTHUNIT);
      inch->m_Name = std::make_shared<IfcLabel>(L"inch");
      inch->m_ConversionFactor = factor;
      units->m_Units.push_back(inch);
    } else {
      metre->m_Prefix = std::make_shared<IfcSIPrefix>(IfcSIPrefix::ENUM_MILLI);
      units->m_Units.push_back(metre);
    }
    auto project = make<IfcProject>();
    project->m_GlobalId = guid(L"project:" + w(m_library.name()));
    project->m_Name = label(m_library.name());
    project->m_UnitsInContext = units;
    m_projectLibrary = make<IfcProjectLibrary>();
    m_projectLibrary->m_GlobalId = guid(L"library:" + w(m_library.name()));
    m_projectLibrary->m_Name = label(m_library.name());
    m_declares = std::make_shared<IfcRelDeclares>();
    m_declares->m_GlobalId = guid(L"declares:" + w(m_library.name()));
    m_declares->m_RelatingContext = m_projectLibrary;
    auto toLibrary = make<IfcRelDeclares>();
    toLibrary->m_GlobalId = guid(L"project-library:" + w(m_library.name()));
    toLibrary->m_RelatingContext = project;
    toLibrary->m_RelatedDefinitions.push_back(m_projectLibrary);
  }

  // One property set of `owner`, written only when it holds a property.
  template <class Owner>
  void pset(const shared_ptr<Owner>& owner, const wchar_t* name,
            std::vector<shared_ptr<IfcProperty>> properties) {
    if (properties.empty()) return;
    auto p = std::make_shared<IfcMaterialProperties>();
    p->m_Name = std::make_shared<IfcIdentifier>(name);
    p->m_Material = owner;
    for (auto& property : properties)
      p->m_Properties.push_back(add(property));
    add(p);
  }

  static shared_ptr<IfcProperty> value(const wchar_t* name, shared_ptr<IfcValue> v) {
    auto p = std::make_shared<IfcPropertySingleValue>();
    p->m_Name = std::make_shared<IfcIdentifier>(name);
    p->m_NominalValue = v;
    return p;
  }

  static void textValue(std::vector<shared_ptr<IfcProperty>>& out, const wchar_t* name,
                        const OdString& s) {
    if (!s.isEmpty()) out.push_back(value(name, std::make_shared<IfcText>(w(s))));
  }

  shared_ptr<IfcMaterial> material(const Material& m) {
    auto e = make<IfcMaterial>();
    e->m_Name = std::make_shared<IfcLabel>(w(m.name()));
    e->m_Description = text(m.description());
    if (KcSmartPtr<MaterialType> type = m.type()) e->m_Category = label(type->name());
    std::vector<shared_ptr<IfcProperty>> common, thermal, own;
    if (KcSmartPtr<PhysicalAsset> physical = m.physical_asset()) {
      if (physical->has_density())
        common.push_back(
            value(L"MassDensity", std::make_shared<IfcMassDensityMeasure>(physical->density())));
      if (physical->has_thermal_conductivity())
        thermal.push_back(value(
            L"ThermalConductivity",
            std::make_shared<IfcThermalConductivityMeasure>(physical->thermal_conductivity())));
      if (physical->has_specific_heat())
        thermal.push_back(
            value(L"SpecificHeatCapacity",
                  std::make_shared<IfcSpecificHeatCapacityMeasure>(physical->specific_heat())));
      textValue(own, L"PhysicalAsset", physical->name());
    }
    textValue(own, L"Comments", m.comments());
    textValue(own, L"Appearance", m.appearance());
    if (KcSmartPtr<InformationAsset> info = m.information_asset()) {
      textValue(own, L"InformationAsset", info->name());
      textValue(own, L"Manufacturer", info->manufacturer());
      textValue(own, L"Mark", info->mark());
      textValue(own, L"Model", info->model());
      textValue(own, L"Classification", info->classification());
      textValue(own, L"Cost", info->cost());
      textValue(own, L"Keynote", info->keynote());
      textValue(own, L"Url", info->url());
    }
    pset(e, L"Pset_MaterialCommon", common);
    pset(e, L"Pset_MaterialThermal", thermal);
    pset(e, L"Stocklib_Material", own);
    ++m_summary.materials;
    return e;
  }

  static const wchar_t* functionName(MaterialFunction f) {
    switch (f) {
      case kFunctionStructure:
        return L"LoadBearing";
      case kFunctionSubstrate:
        return L"Substrate";
      case kFunctionInsulation:
        return L"Insulation";
      case kFunctionFinish1:
        return L"Finish1";
      case kFunctionFinish2:
        return L"Finish2";
      case kFunctionMembrane:
        return L"Membrane";
      default:
        return nullptr;
    }
  }

  void layerSet(const Composition& c,
                const std::map<uint32_t, shared_ptr<IfcMaterial>>& materials) {
    auto set = std::make_shared<IfcMaterialLayerSet>();
    set->m_LayerSetName = std::make_shared<IfcLabel>(w(c.name()));
    set->m_Description = text(c.description());
    for (const KcSmartPtr<Ply>& ply : c.plies()) {
      auto layer = std::make_shared<IfcMaterialLayer>();
      KcSmartPtr<Material> m = ply->material();
      auto found = m ? materials.find(m->id()) : materials.end();
      if (found != materials.end()) layer->m_Material = found->second;
      layer->m_LayerThickness = std::make_shared<IfcNonNegativeLengthMeasure>(ply->thickness());
      layer->m_IsVentilated = std::make_shared<IfcLogical>(LOGICAL_FALSE);
      if (const wchar_t* f = functionName(ply->function()))
        layer->m_Category = std::make_shared<IfcLabel>(f);
      set->m_MaterialLayers.push_back(add(layer));
    }
    add(set);
    // Plies are numbered from 0 as in the library; IFC has no place for them.
    std::vector<shared_ptr<IfcProperty>> own;
    auto index = [&](const wchar_t* name, uint32_t v) {
      own.push_back(value(name, std::make_shared<IfcInteger>(static_cast<int>(v))));
    };
    index(L"FirstCorePly", c.first_core_ply());
    index(L"LastCorePly", c.last_core_ply());
    index(L"StructuralPly", c.structural_ply());
    if (c.has_variable_ply()) {
      index(L"VariablePly", c.variable_ply());
      own.push_back(value(L"VariablePlyMinThickness", std::make_shared<IfcPositiveLengthMeasure>(
                                                          c.variable_ply_min_thickness())));
      if (c.has_variable_ply_max_thickness())
        own.push_back(value(L"VariablePlyMaxThickness", std::make_shared<IfcPositiveLengthMeasure>(
                                                            c.variable_ply_max_thickness())));
    }
    textValue(own, L"Comments", c.comments());
    pset(set, L"Stocklib_Composition", own);
    shared_ptr<IfcTypeObject> type;
    switch (c.type()) {
      case Composition::kWall: {
        auto t = std::make_shared<IfcWallType>();
        t->m_PredefinedType = std::make_shared<IfcWallTypeEnum>(IfcWallTypeEnum::ENUM_STANDARD);
        type = t;
        break;
      }
      case Composition::kSlab: {
        auto t = std::make_shared<IfcSlabType>();
        t->m_PredefinedType = std::make_shared<IfcSlabTypeEnum>(IfcSlabTypeEnum::ENUM_FLOOR);
        type = t;
        break;
      }
      case Composition::kRoof: {
        auto t = std::make_shared<IfcRoofType>();
        t->m_PredefinedType = std::make_shared<IfcRoofTypeEnum>(IfcRoofTypeEnum::ENUM_NOTDEFINED);
        type = t;
        break;
      }
      default: {
        auto t = std::make_shared<IfcCoveringType>();
        t->m_PredefinedType =
            std::make_shared<IfcCoveringTypeEnum>(IfcCoveringTypeEnum::ENUM_NOTDEFINED);
        type = t;
      }
    }
    type->m_GlobalId = guid(L"composition:" + w(c.name()));
    type->m_Name = std::make_shared<IfcLabel>(w(c.name()));
    add(type);
    auto rel = make<IfcRelAssociatesMaterial>();
    rel->m_GlobalId = guid(L"composition-material:" + w(c.name()));
    rel->m_RelatingMaterial = set;
    rel->m_RelatedObjects.push_back(type);
    m_declares->m_RelatedDefinitions.push_back(type);
    ++m_summary.layerSets;
  }

  static OdString fullName(const Profile& p) {
    KcSmartPtr<ProfileName> name = p.name();
    if (!name) return OdString();
    OdString out;
    KcSmartPtr<ProfileStandard> standard = name->standard();
    if (standard && standard->name() != OdString(L"user defined")) out += standard->name() + L" ";
    out += name->name();
    if (p.size() != OdString(L"0")) out += OdString(L" ") + p.size();
    return out;
  }

  void profile(const Profile& p) {
    auto* shape = dynamic_cast<const ParametrizedProfile*>(&p);
    auto* custom = dynamic_cast<const CustomProfile*>(&p);
    // Lengths whose IFC attribute is not a plain copy, kept exactly in our property set.
    std::vector<std::size_t> exact;
    shared_ptr<IfcProfileDef> def;
    if (shape) def = parametrized(*shape, exact);
    std::vector<OutlinePoint> points;
    if (shape && !def && railOutline(*shape, points)) {
      for (std::size_t i = 0; i < shape->dimension_count(); ++i)
        exact.push_back(i);
    } else if (custom) {
      points = custom->outline();
    }
    if (!def && points.size() >= 2) def = arbitrary(points);
    OdString name = fullName(p);
    if (!def) {
      m_summary.skipped.push_back(
          OdString(L"profile ") + name + L": " + p.isA()->name() +
          (custom ? L" has fewer than 2 vertices" : L" has no IFC 4 profile class here"));
      return;
    }
    def->m_ProfileType = std::make_shared<IfcProfileTypeEnum>(IfcProfileTypeEnum::ENUM_AREA);
    def->m_ProfileName = label(name);
    add(def);
    // The parts of the full name, so that a reader need not split it.
    std::vector<shared_ptr<IfcProperty>> own;
    KcSmartPtr<ProfileName> family = p.name();
    KcSmartPtr<ProfileStandard> standard = family ? family->standard() : nullptr;
    if (standard) textValue(own, L"Standard", standard->name());
    if (family) textValue(own, L"Name", family->name());
    textValue(own, L"Size", p.size());
    own.push_back(value(L"ProfileType", std::make_shared<IfcInteger>(p.profile_type())));
    if (std::dynamic_pointer_cast<IfcArbitraryClosedProfileDef>(def))
      own.push_back(value(L"Shape", std::make_shared<IfcIdentifier>(shapeName(p))));
    // Ratios exactly as stored: their IFC angles do not come back to the last digit.
    if (shape)
      for (std::size_t i = 0; i < shape->dimension_count(); ++i) {
        bool length = shape->dimension_is_length(i);
        if (!shape->has_dimension(i) ||
            (length && std::find(exact.begin(), exact.end(), i) == exact.end()))
          continue;
        shared_ptr<IfcValue> v;
        if (length)
          v = std::make_shared<IfcLengthMeasure>(shape->dimension(i));
        else
          v = std::make_shared<IfcReal>(shape->dimension(i));
        own.push_back(value(w(shape->dimension_name(i)).c_str(), v));
      }
    if (custom) {
      // The outline as stored, x, y and bulge of each vertex: the polyline flattens its arcs.
      auto outline = std::make_shared<IfcPropertyListValue>();
      outline->m_Name = std::make_shared<IfcIdentifier>(L"Outline");
      for (const OutlinePoint& v : points)
        for (double x : {v.x, v.y, v.bulge})
          outline->m_ListValues.push_back(std::make_shared<IfcReal>(x));
      own.push_back(outline);
    }
    auto props = std::make_shared<IfcProfileProperties>();
    props->m_Name = std::make_shared<IfcIdentifier>(L"Stocklib_Profile");
    props->m_ProfileDefinition = def;
    for (auto& property : own)
      props->m_Properties.push_back(add(property));
    add(props);
    profileSet(p, def, name);
    ++m_summary.profiles;
  }

  // Each property set as a template of its definitions, for other tools, and as our own XML of
  // it (with the namespace, units and entity types it names) in a property set the template
  // defines, so that it comes back whole: IFC has no place for namespaces, storage types,
  // defaults or labels.
  void propertySet(const PropertySet& s) {
    pugi::xml_document doc;
    pugi::xml_node fragment = doc.append_child("stocklib");
    m_library.exportToXml(fragment, {KcSmartPtr<const Object>(&s)});
    fragment.remove_child("meta");
    pugi::xml_node set = fragment.child("PropertySet");
    auto units = [&](const char* symbol) {
      return fragment.find_child_by_attribute("Unit", "name", symbol);
    };
    auto t = make<IfcPropertySetTemplate>();
    const std::wstring seed =
        w(s.name()) + L"~" + w(OdString::fromUtf8(set.attribute("namespace").value()));
    t->m_GlobalId = guid(L"property-set:" + seed);
    t->m_Name = label(s.name());
    t->m_Description = text(s.label());
    t->m_TemplateType = std::make_shared<IfcPropertySetTemplateTypeEnum>(
        s.per_instance() ? IfcPropertySetTemplateTypeEnum::ENUM_PSET_OCCURRENCEDRIVEN
                         : IfcPropertySetTemplateTypeEnum::ENUM_PSET_TYPEDRIVENOVERRIDE);
    std::wstring entities;
    for (const OdString& e : s.entity_type_names())
      entities += (entities.empty() ? L"" : L",") + w(e);
    if (!entities.empty()) t->m_ApplicableEntity = std::make_shared<IfcIdentifier>(entities);
    for (pugi::xml_node d : set.children()) {
      const bool computed = std::string(d.name()) == "ValueDefinition";
      if (!computed && std::string(d.name()) != "PropertyDefinition") continue;
      auto p = make<IfcSimplePropertyTemplate>();
      const std::wstring name = w(OdString::fromUtf8(d.attribute("name").value()));
      p->m_GlobalId = guid(L"property:" + seed + L":" + name);
      p->m_Name = std::make_shared<IfcLabel>(name);
      p->m_Description = text(OdString::fromUtf8(d.attribute("description").value()));
      const int structure = d.attribute("structure").as_int(1);
      p->m_TemplateType = std::make_shared<IfcSimplePropertyTemplateTypeEnum>(
          structure == 2   ? IfcSimplePropertyTemplateTypeEnum::ENUM_P_LISTVALUE
          : structure == 3 ? IfcSimplePropertyTemplateTypeEnum::ENUM_P_TABLEVALUE
                           : IfcSimplePropertyTemplateTypeEnum::ENUM_P_SINGLEVALUE);
      pugi::xml_node unit = units(d.attribute("unit").value());
      const wchar_t* measure =
          measureType(d.attribute("type").as_int(), unit.attribute("measure").value());
      if (structure == 3) {
        p->m_PrimaryMeasureType =
            std::make_shared<IfcLabel>(measureType(d.attribute("key_type").as_int(), ""));
        p->m_SecondaryMeasureType = std::make_shared<IfcLabel>(measure);
      } else {
        p->m_PrimaryMeasureType = std::make_shared<IfcLabel>(measure);
      }
      if (computed) p->m_Expression = label(OdString::fromUtf8(d.attribute("value_spec").value()));
      p->m_AccessState = std::make_shared<IfcStateEnum>(computed ? IfcStateEnum::ENUM_READONLY
                                                                 : IfcStateEnum::ENUM_READWRITE);
      t->m_HasPropertyTemplates.push_back(p);
    }
    std::ostringstream xml;
    fragment.print(xml, "", pugi::format_raw);
    auto own = make<IfcPropertySet>();
    own->m_GlobalId = guid(L"property-set-xml:" + seed);
    own->m_Name = std::make_shared<IfcLabel>(L"Stocklib_PropertySet");
    own->m_HasProperties.push_back(
        add(value(L"Xml", std::make_shared<IfcText>(w(OdString::fromUtf8(xml.str().c_str()))))));
    auto rel = make<IfcRelDefinesByTemplate>();
    rel->m_GlobalId = guid(L"property-set-template:" + seed);
    rel->m_RelatedPropertySets.push_back(own);
    rel->m_RelatingTemplate = t;
    m_declares->m_RelatedDefinitions.push_back(t);
    ++m_summary.propertySets;
  }

  // The IFC measure type of a storage type code, a real by the measure of its unit.
  static const wchar_t* measureType(int type, const std::string& measure) {
    static const std::pair<const char*, const wchar_t*> measures[] = {
        {"LENGTH", L"IfcLengthMeasure"}, {"AREA", L"IfcAreaMeasure"},
        {"VOLUME", L"IfcVolumeMeasure"}, {"ANGLE", L"IfcPlaneAngleMeasure"},
        {"MASS", L"IfcMassMeasure"},     {"DENSITY", L"IfcMassDensityMeasure"},
        {"FORCE", L"IfcForceMeasure"},   {"PRESSURE", L"IfcPressureMeasure"},
        {"TIME", L"IfcTimeMeasure"},     {"MASS PER LENGTH", L"IfcMassPerLengthMeasure"}};
    if (type == 0) return L"IfcBoolean";
    if (type >= 1 && type <= 8) return L"IfcInteger";
    if (type == 10) return L"IfcLabel";
    if (type == 11 || type == 12) return L"IfcIdentifier";
    if (type != 9) return L"IfcText";  // vectors, points, bytes, nested values: no IFC measure
    for (const auto& [name, ifc] : measures)
      if (measure == name) return ifc;
    return L"IfcReal";
  }

  // The class name without its namespace: the XML element of the shape.
  static std::wstring shapeName(const Profile& p) {
    const std::wstring name = w(p.isA()->name());
    return name.substr(name.rfind(L':') == std::wstring::npos ? 0 : name.rfind(L':') + 1);
  }

  // A column type for hollow sections and H shapes (flanges at least 0.8 of the depth wide),
  // a beam type for every other profile: what a receiving tool appends as an asset.
  static bool isColumn(const Profile& p) {
    if (dynamic_cast<const RectangleHollowProfile*>(&p) ||
        dynamic_cast<const CircleHollowProfile*>(&p))
      return true;
    auto* i = dynamic_cast<const IShapeProfile*>(&p);
    return i && i->width() >= 0.8 * i->height();
  }

  void profileSet(const Profile& p, const shared_ptr<IfcProfileDef>& def, const OdString& name) {
    auto profile = make<IfcMaterialProfile>();
    profile->m_Name = label(name);
    profile->m_Profile = def;
    auto set = make<IfcMaterialProfileSet>();
    set->m_Name = label(name);
    set->m_MaterialProfiles.push_back(profile);
    shared_ptr<IfcTypeObject> type;
    if (isColumn(p)) {
      auto t = std::make_shared<IfcColumnType>();
      t->m_PredefinedType = std::make_shared<IfcColumnTypeEnum>(IfcColumnTypeEnum::ENUM_COLUMN);
      type = t;
    } else {
      auto t = std::make_shared<IfcBeamType>();
      t->m_PredefinedType = std::make_shared<IfcBeamTypeEnum>(IfcBeamTypeEnum::ENUM_BEAM);
      type = t;
    }
    const std::wstring seed = w(p.isA()->name()) + L":" + w(name);
    type->m_GlobalId = guid(L"profile:" + seed);
    type->m_Name = label(name);
    add(type);
    auto rel = make<IfcRelAssociatesMaterial>();
    rel->m_GlobalId = guid(L"profile-material:" + seed);
    rel->m_RelatingMaterial = set;
    rel->m_RelatedObjects.push_back(type);
    m_declares->m_RelatedDefinitions.push_back(type);
  }

  // A closed outline as a polyline of 2D points (an indexed poly curve without segments, back to
  // its first point), each arc as kArcChords chords: IFC++ writes no line or arc segments.
  shared_ptr<IfcProfileDef> arbitrary(const std::vector<OutlinePoint>& points) {
    auto list = make<IfcCartesianPointList2D>();
    auto point = [&](double x, double y) {
      list->m_CoordList.push_back(
          {std::make_shared<IfcLengthMeasure>(x), std::make_shared<IfcLengthMeasure>(y)});
    };
    const std::size_t n = points.size();
    for (std::size_t i = 0; i < n; ++i) {
      const OutlinePoint &a = points[i], &b = points[(i + 1) % n];
      point(a.x, a.y);
      if (a.bulge == 0) continue;
      // The arc's centre lies on the chord's normal; it turns 4 atan(bulge), left for a positive
      // bulge.
      const double angle = 4 * std::atan(a.bulge), dx = b.x - a.x, dy = b.y - a.y;
      const double toCentre = (1 - a.bulge * a.bulge) / (4 * a.bulge);
      const double cx = (a.x + b.x) / 2 - toCentre * dy, cy = (a.y + b.y) / 2 + toCentre * dx;
      for (int k = 1; k < kArcChords; ++k) {
        const double t = angle * k / kArcChords, c = std::cos(t), s = std::sin(t);
        point(cx + (a.x - cx) * c - (a.y - cy) * s, cy + (a.x - cx) * s + (a.y - cy) * c);
      }
    }
    point(points[0].x, points[0].y);
    auto curve = make<IfcIndexedPolyCurve>();
    curve->m_Points = list;
    auto e = std::make_shared<IfcArbitraryClosedProfileDef>();
    e->m_OuterCurve = curve;
    return e;
  }
  static constexpr int kArcChords = 8;

  // The outline of a crane rail, centred on its bounding box: foot, web and head without their
  // radii; false for other shapes.
  static bool railOutline(const ParametrizedProfile& p, std::vector<OutlinePoint>& out) {
    if (!dynamic_cast<const CraneRailAShapeProfile*>(&p) &&
        !dynamic_cast<const CraneRailFShapeProfile*>(&p))
      return false;
    auto d = [&](const char* name) { return p.dimension(p.dimension_index(OdString(name))) / 2; };
    const double top = d("height"), bottom = -top, head = d("head_width"), web = d("web_thickness"),
                 foot = d("base_width"), footTop = bottom + 2 * d("base_height"),
                 headBottom = top - 2 * d("head_height");
    out = {{-foot, bottom, 0},     {foot, bottom, 0},     {foot, footTop, 0}, {web, footTop, 0},
           {web, headBottom, 0},   {head, headBottom, 0}, {head, top, 0},     {-head, top, 0},
           {-head, headBottom, 0}, {-web, headBottom, 0}, {-web, footTop, 0}, {-foot, footTop, 0}};
    return true;
  }

  // The IFC profile of a shape, its dimensions taken by our names; null for shapes not mapped.
  // `exact` receives the lengths IFC holds only through arithmetic.
  static shared_ptr<IfcProfileDef> parametrized(const ParametrizedProfile& p,
                                                std::vector<std::size_t>& exact) {
    auto d = [&](const char* name) { return p.dimension(p.dimension_index(OdString(name))); };
    auto pos = [&](const char* name) {
      return std::make_shared<IfcPositiveLengthMeasure>(d(name));
    };
    auto half = [&](const char* name) {
      return std::make_shared<IfcPositiveLengthMeasure>(d(name) / 2);
    };
    auto nonNeg = [&](const char* name) {
      int i = p.dimension_index(OdString(name));
      return i >= 0 && p.has_dimension(static_cast<std::size_t>(i))
                 ? std::make_shared<IfcNonNegativeLengthMeasure>(d(name))
                 : nullptr;
    };
    // Our slopes are ratios (rise over run); IFC's are angles, in radians as no angle unit is set.
    auto slope = [&](const char* name) {
      int i = p.dimension_index(OdString(name));
      return i >= 0 && p.has_dimension(static_cast<std::size_t>(i))
                 ? std::make_shared<IfcPlaneAngleMeasure>(std::atan(d(name)))
                 : nullptr;
    };
    if (dynamic_cast<const IShapeProfile*>(&p)) {
      auto e = std::make_shared<IfcIShapeProfileDef>();
      e->m_OverallDepth = pos("height");
      e->m_OverallWidth = pos("width");
      e->m_WebThickness = pos("web_thickness");
      e->m_FlangeThickness = pos("flange_thickness");
      e->m_FilletRadius = nonNeg("fillet_radius");
      e->m_FlangeSlope = slope("flange_slope");
      return e;
    }
    if (dynamic_cast<const AsymmetricIShapeProfile*>(&p)) {
      auto e = std::make_shared<IfcAsymmetricIShapeProfileDef>();
      e->m_OverallDepth = pos("height");
      e->m_TopFlangeWidth = pos("top_width");
      e->m_BottomFlangeWidth = pos("bottom_width");
      e->m_WebThickness = pos("web_thickness");
      e->m_TopFlangeThickness = pos("top_flange_thickness");
      e->m_BottomFlangeThickness = pos("bottom_flange_thickness");
      e->m_BottomFlangeFilletRadius = nonNeg("fillet_radius");
      e->m_TopFlangeFilletRadius = nonNeg("fillet_radius");
      return e;
    }
    if (dynamic_cast<const UShapeProfile*>(&p)) {
      auto e = std::make_shared<IfcUShapeProfileDef>();
      e->m_Depth = pos("height");
      e->m_FlangeWidth = pos("width");
      e->m_WebThickness = pos("web_thickness");
      e->m_FlangeThickness = pos("flange_thickness");
      e->m_FilletRadius = nonNeg("fillet_radius");
      e->m_FlangeSlope = slope("flange_slope");
      return e;
    }
    if (dynamic_cast<const CShapeProfile*>(&p)) {
      auto e = std::make_shared<IfcCShapeProfileDef>();
      e->m_Depth = pos("height");
      e->m_Width = pos("width");
      e->m_WallThickness = pos("wall_thickness");
      e->m_Girth = pos("lip_length");
      e->m_InternalFilletRadius = nonNeg("inner_radius");
      return e;
    }
    if (dynamic_cast<const TShapeProfile*>(&p)) {
      auto e = std::make_shared<IfcTShapeProfileDef>();
      e->m_Depth = pos("height");
      e->m_FlangeWidth = pos("width");
      e->m_WebThickness = pos("web_thickness");
      e->m_FlangeThickness = pos("flange_thickness");
      e->m_FilletRadius = nonNeg("fillet_radius");
      return e;
    }
    if (dynamic_cast<const ZShapeProfile*>(&p)) {
      auto e = std::make_shared<IfcZShapeProfileDef>();
      e->m_Depth = pos("height");
      e->m_FlangeWidth = pos("width");
      e->m_WebThickness = pos("web_thickness");
      e->m_FlangeThickness = pos("flange_thickness");
      e->m_FilletRadius = nonNeg("fillet_radius");
      return e;
    }
    if (dynamic_cast<const LShapeProfile*>(&p)) {
      auto e = std::make_shared<IfcLShapeProfileDef>();
      e->m_Depth = pos("height");
      e->m_Width = pos("width");
      e->m_Thickness = pos("thickness");
      e->m_FilletRadius = nonNeg("root_radius");
      e->m_EdgeRadius = nonNeg("toe_radius");
      return e;
    }
    if (dynamic_cast<const RectangleHollowProfile*>(&p)) {
      auto e = std::make_shared<IfcRectangleHollowProfileDef>();
      e->m_XDim = pos("width");
      e->m_YDim = pos("height");
      e->m_WallThickness = pos("wall_thickness");
      e->m_InnerFilletRadius = nonNeg("inner_radius");
      e->m_OuterFilletRadius = nonNeg("outer_radius");
      return e;
    }
    if (dynamic_cast<const RoundedRectangleProfile*>(&p)) {
      auto e = std::make_shared<IfcRoundedRectangleProfileDef>();
      e->m_XDim = pos("width");
      e->m_YDim = pos("height");
      e->m_RoundingRadius = pos("radius");
      return e;
    }
    if (dynamic_cast<const RectangleProfile*>(&p)) {
      auto e = std::make_shared<IfcRectangleProfileDef>();
      e->m_XDim = pos("width");
      e->m_YDim = pos("height");
      return e;
    }
    if (dynamic_cast<const TrapeziumProfile*>(&p)) {
      // IFC offsets the top edge's start from the bottom edge's; we offset their centres.
      auto e = std::make_shared<IfcTrapeziumProfileDef>();
      e->m_BottomXDim = pos("bottom_width");
      e->m_TopXDim = pos("top_width");
      e->m_YDim = pos("height");
      e->m_TopXOffset = std::make_shared<IfcLengthMeasure>(
          d("top_offset") + (d("bottom_width") - d("top_width")) / 2);
      exact.push_back(static_cast<std::size_t>(p.dimension_index(OdString("top_offset"))));
      return e;
    }
    if (dynamic_cast<const EllipseProfile*>(&p)) {
      auto e = std::make_shared<IfcEllipseProfileDef>();
      e->m_SemiAxis1 = half("width");
      e->m_SemiAxis2 = half("height");
      return e;
    }
    if (dynamic_cast<const CircleHollowProfile*>(&p)) {
      auto e = std::make_shared<IfcCircleHollowProfileDef>();
      e->m_Radius = half("diameter");
      e->m_WallThickness = pos("wall_thickness");
      return e;
    }
    if (dynamic_cast<const CircleProfile*>(&p)) {
      auto e = std::make_shared<IfcCircleProfileDef>();
      e->m_Radius = half("diameter");
      return e;
    }
    return nullptr;
  }

  const Library& m_library;
  IfcExportSummary& m_summary;
  shared_ptr<BuildingModel> m_model;
  shared_ptr<IfcProjectLibrary> m_projectLibrary;
  shared_ptr<IfcRelDeclares> m_declares;
  int m_nextId = 0;
};

}  // namespace

IfcExportSummary exportToIfc(const Library& library, std::string& out) {
  IfcExportSummary summary;
  Writer(library, summary).write(out);
  return summary;
}

}  // namespace stocklib
