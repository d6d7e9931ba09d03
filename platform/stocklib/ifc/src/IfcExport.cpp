// Writes a library as an IFC 4 project library through IFC++ (its headers are confined here).
#include "stocklib/Ifc.h"

#include <ifcpp/IFC4/include/IfcCircleHollowProfileDef.h>
#include <ifcpp/IFC4/include/IfcCircleProfileDef.h>
#include <ifcpp/IFC4/include/IfcConversionBasedUnit.h>
#include <ifcpp/IFC4/include/IfcCoveringType.h>
#include <ifcpp/IFC4/include/IfcCoveringTypeEnum.h>
#include <ifcpp/IFC4/include/IfcDimensionalExponents.h>
#include <ifcpp/IFC4/include/IfcGloballyUniqueId.h>
#include <ifcpp/IFC4/include/IfcIShapeProfileDef.h>
#include <ifcpp/IFC4/include/IfcIdentifier.h>
#include <ifcpp/IFC4/include/IfcInteger.h>
#include <ifcpp/IFC4/include/IfcLShapeProfileDef.h>
#include <ifcpp/IFC4/include/IfcLabel.h>
#include <ifcpp/IFC4/include/IfcLengthMeasure.h>
#include <ifcpp/IFC4/include/IfcLogical.h>
#include <ifcpp/IFC4/include/IfcMassDensityMeasure.h>
#include <ifcpp/IFC4/include/IfcMaterial.h>
#include <ifcpp/IFC4/include/IfcMaterialLayer.h>
#include <ifcpp/IFC4/include/IfcMaterialLayerSet.h>
#include <ifcpp/IFC4/include/IfcMaterialProperties.h>
#include <ifcpp/IFC4/include/IfcMeasureWithUnit.h>
#include <ifcpp/IFC4/include/IfcNonNegativeLengthMeasure.h>
#include <ifcpp/IFC4/include/IfcPlaneAngleMeasure.h>
#include <ifcpp/IFC4/include/IfcPositiveLengthMeasure.h>
#include <ifcpp/IFC4/include/IfcProfileProperties.h>
#include <ifcpp/IFC4/include/IfcProfileTypeEnum.h>
#include <ifcpp/IFC4/include/IfcProject.h>
#include <ifcpp/IFC4/include/IfcProjectLibrary.h>
#include <ifcpp/IFC4/include/IfcPropertySingleValue.h>
#include <ifcpp/IFC4/include/IfcReal.h>
#include <ifcpp/IFC4/include/IfcRectangleHollowProfileDef.h>
#include <ifcpp/IFC4/include/IfcRectangleProfileDef.h>
#include <ifcpp/IFC4/include/IfcRelAssociatesMaterial.h>
#include <ifcpp/IFC4/include/IfcRelDeclares.h>
#include <ifcpp/IFC4/include/IfcRoofType.h>
#include <ifcpp/IFC4/include/IfcRoofTypeEnum.h>
#include <ifcpp/IFC4/include/IfcSIPrefix.h>
#include <ifcpp/IFC4/include/IfcSIUnit.h>
#include <ifcpp/IFC4/include/IfcSIUnitName.h>
#include <ifcpp/IFC4/include/IfcSlabType.h>
#include <ifcpp/IFC4/include/IfcSlabTypeEnum.h>
#include <ifcpp/IFC4/include/IfcSpecificHeatCapacityMeasure.h>
#include <ifcpp/IFC4/include/IfcTShapeProfileDef.h>
#include <ifcpp/IFC4/include/IfcText.h>
#include <ifcpp/IFC4/include/IfcThermalConductivityMeasure.h>
#include <ifcpp/IFC4/include/IfcUShapeProfileDef.h>
#include <ifcpp/IFC4/include/IfcUnitAssignment.h>
#include <ifcpp/IFC4/include/IfcUnitEnum.h>
#include <ifcpp/IFC4/include/IfcWallType.h>
#include <ifcpp/IFC4/include/IfcWallTypeEnum.h>
#include <ifcpp/model/BuildingModel.h>
#include <ifcpp/writer/WriterSTEP.h>

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
    shared_ptr<IfcProfileDef> def = shape ? parametrized(*shape) : nullptr;
    OdString name = fullName(p);
    if (!def) {
      m_summary.skipped.push_back(OdString(L"profile ") + name + L": " + p.isA()->name() +
                                  L" has no IFC 4 profile class here");
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
    // Ratios exactly as stored: their IFC angles do not come back to the last digit.
    if (shape)
      for (std::size_t i = 0; i < shape->dimension_count(); ++i)
        if (!shape->dimension_is_length(i) && shape->has_dimension(i))
          own.push_back(value(std::wstring(shape->dimension_name(i).c_str()).c_str(),
                              std::make_shared<IfcReal>(shape->dimension(i))));
    auto props = std::make_shared<IfcProfileProperties>();
    props->m_Name = std::make_shared<IfcIdentifier>(L"Stocklib_Profile");
    props->m_ProfileDefinition = def;
    for (auto& property : own)
      props->m_Properties.push_back(add(property));
    add(props);
    ++m_summary.profiles;
  }

  // The IFC profile of a shape, its dimensions taken by our names; null for shapes not mapped.
  static shared_ptr<IfcProfileDef> parametrized(const ParametrizedProfile& p) {
    auto d = [&](const char* name) { return p.dimension(p.dimension_index(OdString(name))); };
    auto pos = [&](const char* name) {
      return std::make_shared<IfcPositiveLengthMeasure>(d(name));
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
    if (dynamic_cast<const TShapeProfile*>(&p)) {
      auto e = std::make_shared<IfcTShapeProfileDef>();
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
    if (dynamic_cast<const RectangleProfile*>(&p)) {
      auto e = std::make_shared<IfcRectangleProfileDef>();
      e->m_XDim = pos("width");
      e->m_YDim = pos("height");
      return e;
    }
    if (dynamic_cast<const CircleHollowProfile*>(&p)) {
      auto e = std::make_shared<IfcCircleHollowProfileDef>();
      e->m_Radius = std::make_shared<IfcPositiveLengthMeasure>(d("diameter") / 2);
      e->m_WallThickness = pos("wall_thickness");
      return e;
    }
    if (dynamic_cast<const CircleProfile*>(&p)) {
      auto e = std::make_shared<IfcCircleProfileDef>();
      e->m_Radius = std::make_shared<IfcPositiveLengthMeasure>(d("diameter") / 2);
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
