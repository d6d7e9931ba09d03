// Reads an IFC 4 or IFC 2x3 file through IFC++ into a library, by way of the store's XML import
// (one transaction: a file that fails changes nothing).
#include <ifcpp/IFC4/include/IfcArbitraryClosedProfileDef.h>
#include <ifcpp/IFC4/include/IfcAsymmetricIShapeProfileDef.h>
#include <ifcpp/IFC4/include/IfcCShapeProfileDef.h>
#include <ifcpp/IFC4/include/IfcCartesianPoint.h>
#include <ifcpp/IFC4/include/IfcCartesianPointList2D.h>
#include <ifcpp/IFC4/include/IfcCircleHollowProfileDef.h>
#include <ifcpp/IFC4/include/IfcCircleProfileDef.h>
#include <ifcpp/IFC4/include/IfcConversionBasedUnit.h>
#include <ifcpp/IFC4/include/IfcCoveringType.h>
#include <ifcpp/IFC4/include/IfcEllipseProfileDef.h>
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
#include <ifcpp/IFC4/include/IfcMaterialLayerSetUsage.h>
#include <ifcpp/IFC4/include/IfcMaterialProperties.h>
#include <ifcpp/IFC4/include/IfcMeasureWithUnit.h>
#include <ifcpp/IFC4/include/IfcNonNegativeLengthMeasure.h>
#include <ifcpp/IFC4/include/IfcPlaneAngleMeasure.h>
#include <ifcpp/IFC4/include/IfcPolyline.h>
#include <ifcpp/IFC4/include/IfcPositiveLengthMeasure.h>
#include <ifcpp/IFC4/include/IfcProfileProperties.h>
#include <ifcpp/IFC4/include/IfcPropertyListValue.h>
#include <ifcpp/IFC4/include/IfcPropertySet.h>
#include <ifcpp/IFC4/include/IfcPropertySetTemplate.h>
#include <ifcpp/IFC4/include/IfcPropertySetTemplateTypeEnum.h>
#include <ifcpp/IFC4/include/IfcPropertySingleValue.h>
#include <ifcpp/IFC4/include/IfcRatioMeasure.h>
#include <ifcpp/IFC4/include/IfcReal.h>
#include <ifcpp/IFC4/include/IfcRectangleHollowProfileDef.h>
#include <ifcpp/IFC4/include/IfcRectangleProfileDef.h>
#include <ifcpp/IFC4/include/IfcRelAssociatesMaterial.h>
#include <ifcpp/IFC4/include/IfcRelDefinesByTemplate.h>
#include <ifcpp/IFC4/include/IfcRoofType.h>
#include <ifcpp/IFC4/include/IfcRoundedRectangleProfileDef.h>
#include <ifcpp/IFC4/include/IfcSIPrefix.h>
#include <ifcpp/IFC4/include/IfcSIUnit.h>
#include <ifcpp/IFC4/include/IfcSIUnitName.h>
#include <ifcpp/IFC4/include/IfcSimplePropertyTemplate.h>
#include <ifcpp/IFC4/include/IfcSimplePropertyTemplateTypeEnum.h>
#include <ifcpp/IFC4/include/IfcSlabType.h>
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
#include <ifcpp/IFC4/include/IfcZShapeProfileDef.h>
#include <ifcpp/model/BuildingModel.h>
#include <ifcpp/reader/ReaderSTEP.h>

#include <pugixml.hpp>

#include <algorithm>
#include <cmath>
#include <functional>
#include <map>
#include <set>

#include "IfcScan.h"
#include "stocklib/Ifc.h"
#include "stocklib/Materials.h"
#include "stocklib/Profiles.h"

namespace stocklib {
namespace {

std::string utf8(const std::wstring& s) {
  return OdString(s.c_str()).toUtf8();
}

template <class T>
std::wstring str(const shared_ptr<T>& v) {
  return v ? v->m_value : std::wstring();
}

// The number a property value holds, of any of the measures we read; false for others.
bool number(const shared_ptr<IfcValue>& v, double& out) {
  if (auto x = std::dynamic_pointer_cast<IfcMassDensityMeasure>(v)) return out = x->m_value, true;
  if (auto x = std::dynamic_pointer_cast<IfcThermalConductivityMeasure>(v))
    return out = x->m_value, true;
  if (auto x = std::dynamic_pointer_cast<IfcSpecificHeatCapacityMeasure>(v))
    return out = x->m_value, true;
  if (auto x = std::dynamic_pointer_cast<IfcLengthMeasure>(v)) return out = x->m_value, true;
  if (auto x = std::dynamic_pointer_cast<IfcReal>(v)) return out = x->m_value, true;
  if (auto x = std::dynamic_pointer_cast<IfcInteger>(v)) return out = x->m_value, true;
  return false;
}

std::wstring textOf(const shared_ptr<IfcValue>& v) {
  if (auto x = std::dynamic_pointer_cast<IfcText>(v)) return x->m_value;
  if (auto x = std::dynamic_pointer_cast<IfcLabel>(v)) return x->m_value;
  if (auto x = std::dynamic_pointer_cast<IfcIdentifier>(v)) return x->m_value;
  return std::wstring();
}

// Single values of a property set by name.
using Properties = std::map<std::wstring, shared_ptr<IfcValue>>;

// List values of a property set by name.
using Lists = std::map<std::wstring, std::vector<shared_ptr<IfcValue>>>;

void collect(const std::vector<shared_ptr<IfcProperty>>& in, Properties& out, Lists& lists) {
  for (const auto& p : in) {
    if (auto single = std::dynamic_pointer_cast<IfcPropertySingleValue>(p))
      if (single->m_Name) out[single->m_Name->m_value] = single->m_NominalValue;
    if (auto list = std::dynamic_pointer_cast<IfcPropertyListValue>(p))
      if (list->m_Name) lists[list->m_Name->m_value] = list->m_ListValues;
  }
}

// The first two coordinates of a point; false when it has fewer.
bool xy(const std::vector<shared_ptr<IfcLengthMeasure>>& c, OutlinePoint& out) {
  if (c.size() < 2 || !c[0] || !c[1]) return false;
  out.x = c[0]->m_value, out.y = c[1]->m_value;
  return true;
}

// The vertices of a closed polyline or indexed poly curve (through all its points: IFC++ reads no
// line or arc segments); empty with `why` set for another curve or a broken one.
std::vector<OutlinePoint> outline(const shared_ptr<IfcCurve>& curve, std::string& why) {
  std::vector<OutlinePoint> points;
  auto broken = [&](const char* what) {
    why = what;
    return std::vector<OutlinePoint>();
  };
  if (auto line = std::dynamic_pointer_cast<IfcPolyline>(curve)) {
    for (const auto& p : line->m_Points)
      if (points.emplace_back(), !p || !xy(p->m_Coordinates, points.back()))
        return broken("a point has no x and y");
  } else if (auto poly = std::dynamic_pointer_cast<IfcIndexedPolyCurve>(curve)) {
    auto list = std::dynamic_pointer_cast<IfcCartesianPointList2D>(poly->m_Points);
    if (!list) return broken("its points are not a 2D point list");
    for (const auto& c : list->m_CoordList)
      if (points.emplace_back(), !xy(c, points.back())) return broken("a point has no x and y");
  } else {
    return broken("its outer curve is neither a polyline nor an indexed poly curve");
  }
  if (points.size() > 1 && points.front() == points.back()) points.pop_back();
  return points;
}

double siPrefix(const shared_ptr<IfcSIPrefix>& p) {
  if (!p) return 1;
  switch (p->m_enum) {
    case IfcSIPrefix::ENUM_MILLI:
      return 1e-3;
    case IfcSIPrefix::ENUM_CENTI:
      return 1e-2;
    case IfcSIPrefix::ENUM_DECI:
      return 1e-1;
    case IfcSIPrefix::ENUM_KILO:
      return 1e3;
    default:
      return 1;
  }
}

class Reader {
 public:
  Reader(Library& library, IfcImportSummary& summary) : m_library(library), m_summary(summary) {}

  void read(const std::string& text) {
    detail::checkStepText(text);
    std::string copy = text;
    auto model = std::make_shared<BuildingModel>();
    ReaderSTEP reader;
    reader.loadModelFromString(copy, model);
    for (const auto& [id, e] : model->getMapIfcEntities())
      index(id, e);
    // Lengths go to the XML in millimetres, or in inches from an inch file, so that an inch
    // library's figures pass unrounded.
    double metres = lengthUnitInMetres();
    bool inch = std::fabs(metres - 0.0254) < 1e-12;
    m_toXml = inch ? 1 : metres * 1000;
    pugi::xml_node root = m_doc.append_child("stocklib");
    for (const auto& [id, m] : m_materials)
      material(root, id, *m);
    for (const auto& [id, s] : m_layerSets)
      layerSet(root, id, *s);
    for (const auto& [id, p] : m_profiles)
      profile(root, id, *p);
    for (const auto& [id, t] : m_templates)
      propertySet(root, id, *t);
    m_library.importFromXml(
        root, Library::ImportOptions{inch ? kLibraryUnitInch : kLibraryUnitMillimeter, false});
  }

 private:
  void index(int id, const shared_ptr<BuildingEntity>& e) {
    if (auto m = std::dynamic_pointer_cast<IfcMaterial>(e)) m_materials[id] = m;
    if (auto s = std::dynamic_pointer_cast<IfcMaterialLayerSet>(e)) m_layerSets[id] = s;
    if (auto p = std::dynamic_pointer_cast<IfcProfileDef>(e)) m_profiles[id] = p;
    if (auto t = std::dynamic_pointer_cast<IfcPropertySetTemplate>(e)) m_templates[id] = t;
    if (auto r = std::dynamic_pointer_cast<IfcRelDefinesByTemplate>(e))
      for (const auto& s : r->m_RelatedPropertySets) {
        auto own = std::dynamic_pointer_cast<IfcPropertySet>(s);
        if (!own || !r->m_RelatingTemplate || str(own->m_Name) != L"Stocklib_PropertySet") continue;
        Properties p;
        Lists lists;
        collect(own->m_HasProperties, p, lists);
        m_ourSets[r->m_RelatingTemplate.get()] = textOf(p[L"Xml"]);
      }
    if (auto u = std::dynamic_pointer_cast<IfcUnitAssignment>(e))
      if (!m_units) m_units = u;
    if (auto p = std::dynamic_pointer_cast<IfcMaterialProperties>(e))
      if (p->m_Material && p->m_Name)
        collect(p->m_Properties, m_psets[p->m_Material.get()], m_lists[p->m_Material.get()]);
    if (auto p = std::dynamic_pointer_cast<IfcProfileProperties>(e))
      if (p->m_ProfileDefinition)
        collect(p->m_Properties, m_psets[p->m_ProfileDefinition.get()],
                m_lists[p->m_ProfileDefinition.get()]);
    if (auto r = std::dynamic_pointer_cast<IfcRelAssociatesMaterial>(e)) {
      auto set = std::dynamic_pointer_cast<IfcMaterialLayerSet>(r->m_RelatingMaterial);
      if (auto usage = std::dynamic_pointer_cast<IfcMaterialLayerSetUsage>(r->m_RelatingMaterial))
        set = usage->m_ForLayerSet;
      for (const auto& o : r->m_RelatedObjects)
        if (set) m_typeOf[set.get()] = compositionType(o.get());
    }
  }

  static int compositionType(const void* o) {
    auto* object = static_cast<const IfcDefinitionSelect*>(o);
    if (dynamic_cast<const IfcWallType*>(object)) return Composition::kWall;
    if (dynamic_cast<const IfcSlabType*>(object)) return Composition::kSlab;
    if (dynamic_cast<const IfcRoofType*>(object)) return Composition::kRoof;
    return Composition::kGeneric;
  }

  // The file's length unit in metres; the metre when it names none.
  double lengthUnitInMetres() const {
    if (!m_units) return 1;
    for (const auto& u : m_units->m_Units) {
      if (auto si = std::dynamic_pointer_cast<IfcSIUnit>(u)) {
        if (si->m_UnitType && si->m_UnitType->m_enum == IfcUnitEnum::ENUM_LENGTHUNIT)
          return siPrefix(si->m_Prefix);
      } else if (auto cb = std::dynamic_pointer_cast<IfcConversionBasedUnit>(u)) {
        if (!cb->m_UnitType || cb->m_UnitType->m_enum != IfcUnitEnum::ENUM_LENGTHUNIT) continue;
        double factor = 0;
        auto m = cb->m_ConversionFactor;
        if (m) number(m->m_ValueComponent, factor);
        if (auto r = m ? std::dynamic_pointer_cast<IfcRatioMeasure>(m->m_ValueComponent) : nullptr)
          factor = r->m_value;
        auto base = m ? std::dynamic_pointer_cast<IfcSIUnit>(m->m_UnitComponent) : nullptr;
        if (base) factor *= siPrefix(base->m_Prefix);
        if (!(factor > 1e-9 && factor < 1e6))
          throw Exception("IFC file: the length unit " + utf8(str(cb->m_Name)) +
                          " has no usable conversion factor");
        return factor;
      }
    }
    return 1;
  }

  void skip(int id, const BuildingEntity& e, const std::string& why) {
    m_summary.skipped.push_back(
        OdString::fromUtf8(("#" + std::to_string(id) + " " + e.className() + ": " + why).c_str()));
  }

  // `name`, or name-2, name-3... the first that neither the library nor this file has.
  std::wstring unique(const std::wstring& name, std::set<std::wstring>& used,
                      const std::function<bool(const OdString&)>& exists) {
    std::wstring candidate = name;
    for (int n = 2; used.count(candidate) || exists(OdString(candidate.c_str())); ++n)
      candidate = name + L"-" + std::to_wstring(n);
    used.insert(candidate);
    return candidate;
  }

  template <class T>
  std::function<bool(const OdString&)> existing() {
    return [this](const OdString& n) { return bool(m_library.get<T>(NameKey(n))); };
  }

  void material(pugi::xml_node& root, int id, const IfcMaterial& m) {
    std::wstring ifcName = str(m.m_Name);
    if (ifcName.empty()) return skip(id, m, "it has no name");
    std::wstring name = unique(ifcName, m_usedMaterials, existing<Material>());
    m_materialNames[&m] = name;
    const Properties& p = m_psets[&m];
    auto get = [&](const wchar_t* key, double& out) {
      auto found = p.find(key);
      return found != p.end() && number(found->second, out) && std::isfinite(out) && out >= 0;
    };
    auto text = [&](const wchar_t* key) {
      auto found = p.find(key);
      return found == p.end() ? std::string() : utf8(textOf(found->second));
    };
    std::string n = utf8(name);
    double density = 0, conductivity = 0, heat = 0;
    bool hasDensity = get(L"MassDensity", density),
         hasConductivity = get(L"ThermalConductivity", conductivity),
         hasHeat = get(L"SpecificHeatCapacity", heat);
    pugi::xml_node e = root.append_child("Material");
    e.append_attribute("name") = n.c_str();
    if (m.m_Description) e.append_attribute("description") = utf8(m.m_Description->m_value).c_str();
    if (!text(L"Comments").empty()) e.append_attribute("comments") = text(L"Comments").c_str();
    if (!text(L"Appearance").empty())
      e.append_attribute("appearance") = text(L"Appearance").c_str();
    if (m.m_Category && !m.m_Category->m_value.empty()) {
      std::string category = utf8(m.m_Category->m_value);
      if (m_categories.insert(category).second)
        root.prepend_child("MaterialType").append_attribute("name") = category.c_str();
      e.append_attribute("type") = category.c_str();
    }
    if (hasDensity || hasConductivity || hasHeat) {
      std::string asset = utf8(unique(name, m_usedPhysical, existing<PhysicalAsset>()));
      pugi::xml_node a = root.insert_child_before("PhysicalAsset", e);
      a.append_attribute("name") = asset.c_str();
      if (hasDensity) a.append_attribute("density") = density;
      if (hasHeat) a.append_attribute("specific_heat") = heat;
      if (hasConductivity) a.append_attribute("thermal_conductivity") = conductivity;
      e.append_attribute("physical_asset") = asset.c_str();
    }
    static const std::pair<const wchar_t*, const char*> info[] = {
        {L"Manufacturer", "manufacturer"},
        {L"Mark", "mark"},
        {L"Model", "model"},
        {L"Classification", "classification"},
        {L"Cost", "cost"},
        {L"Keynote", "keynote"},
        {L"Url", "url"}};
    pugi::xml_node a;
    for (const auto& [key, attribute] : info) {
      std::string v = text(key);
      if (v.empty()) continue;
      if (!a) {
        std::string asset = utf8(unique(name, m_usedInformation, existing<InformationAsset>()));
        a = root.insert_child_before("InformationAsset", e);
        a.append_attribute("name") = asset.c_str();
        e.append_attribute("information_asset") = asset.c_str();
      }
      a.append_attribute(attribute) = v.c_str();
    }
    ++m_summary.materials;
  }

  static int function(const std::wstring& category) {
    static const std::pair<const wchar_t*, int> names[] = {
        {L"LoadBearing", kFunctionStructure}, {L"Substrate", kFunctionSubstrate},
        {L"Insulation", kFunctionInsulation}, {L"Finish1", kFunctionFinish1},
        {L"Finish2", kFunctionFinish2},       {L"Membrane", kFunctionMembrane}};
    for (const auto& [n, f] : names)
      if (category == n) return f;
    return kFunctionNone;
  }

  void layerSet(pugi::xml_node& root, int id, const IfcMaterialLayerSet& s) {
    std::wstring ifcName = str(s.m_LayerSetName);
    if (ifcName.empty()) return skip(id, s, "it has no name");
    if (s.m_MaterialLayers.empty()) return skip(id, s, "it has no layers");
    pugi::xml_document plies;
    pugi::xml_node holder = plies.append_child("c");
    for (const auto& layer : s.m_MaterialLayers) {
      auto found = layer && layer->m_Material ? m_materialNames.find(layer->m_Material.get())
                                              : m_materialNames.end();
      if (found == m_materialNames.end())
        return skip(id, s, "a layer has no material that was read");
      double t = layer->m_LayerThickness ? layer->m_LayerThickness->m_value * m_toXml : -1;
      if (!(t >= 0 && t < 1e7)) return skip(id, s, "a layer thickness is out of range");
      pugi::xml_node ply = holder.append_child("Ply");
      ply.append_attribute("material") = utf8(found->second).c_str();
      ply.append_attribute("thickness") = t;
      ply.append_attribute("function") = function(str(layer->m_Category));
    }
    std::wstring name = unique(ifcName, m_usedCompositions, existing<Composition>());
    pugi::xml_node e = root.append_child("Composition");
    e.append_attribute("name") = utf8(name).c_str();
    if (s.m_Description) e.append_attribute("description") = utf8(s.m_Description->m_value).c_str();
    auto type = m_typeOf.find(&s);
    e.append_attribute("type") = type == m_typeOf.end() ? int(Composition::kGeneric) : type->second;
    const Properties& p = m_psets[&s];
    int plyCount = static_cast<int>(s.m_MaterialLayers.size());
    for (const auto& [key, attribute] :
         {std::pair<const wchar_t*, const char*>{L"FirstCorePly", "first_core_ply"},
          {L"LastCorePly", "last_core_ply"},
          {L"StructuralPly", "structural_ply"},
          {L"VariablePly", "variable_ply"}}) {
      double v = 0;
      auto found = p.find(key);
      if (found != p.end() && number(found->second, v) && v >= 0 && v < plyCount)
        e.append_attribute(attribute) = static_cast<int>(v);
    }
    for (const auto& [key, attribute] :
         {std::pair<const wchar_t*, const char*>{L"VariablePlyMinThickness",
                                                 "variable_ply_min_thickness"},
          {L"VariablePlyMaxThickness", "variable_ply_max_thickness"}}) {
      double v = 0;
      auto found = p.find(key);
      if (e.attribute("variable_ply") && found != p.end() && number(found->second, v) && v > 0 &&
          v * m_toXml < 1e7)
        e.append_attribute(attribute) = v * m_toXml;
    }
    auto comments = p.find(L"Comments");
    if (comments != p.end())
      e.append_attribute("comments") = utf8(textOf(comments->second)).c_str();
    for (pugi::xml_node ply : holder.children())
      e.append_copy(ply);
    ++m_summary.layerSets;
  }

  // A property set from a template: ours whole from the XML it carries, another tool's from its
  // property templates, in a namespace of the set's name. A set the library already has is left
  // out: its definitions name the values stored on entities, so a renamed copy would not do.
  void propertySet(pugi::xml_node& root, int id, const IfcPropertySetTemplate& t) {
    pugi::xml_document doc;
    pugi::xml_node fragment;
    auto ours = m_ourSets.find(&t);
    if (ours != m_ourSets.end()) {
      fragment = doc.load_string(utf8(ours->second).c_str()) ? doc.child("stocklib") : fragment;
      if (!fragment.child("PropertySet"))
        return skip(id, t, "its Stocklib_PropertySet holds no property set");
    } else {
      fragment = doc.append_child("stocklib");
      std::wstring name = str(t.m_Name);
      if (name.empty()) return skip(id, t, "it has no name");
      const std::string n = utf8(name);
      fragment.append_child("PropertyNamespace").append_attribute("name") = n.c_str();
      pugi::xml_node set = fragment.append_child("PropertySet");
      set.append_attribute("namespace") = n.c_str();
      set.append_attribute("name") = n.c_str();
      if (t.m_Description) set.append_attribute("label") = utf8(t.m_Description->m_value).c_str();
      set.append_attribute("per_instance") =
          t.m_TemplateType &&
          t.m_TemplateType->m_enum == IfcPropertySetTemplateTypeEnum::ENUM_PSET_OCCURRENCEDRIVEN;
      for (const auto& p : t.m_HasPropertyTemplates) {
        auto simple = std::dynamic_pointer_cast<IfcSimplePropertyTemplate>(p);
        if (!simple || str(simple->m_Name).empty()) continue;
        pugi::xml_node d = set.append_child("PropertyDefinition");
        d.append_attribute("name") = utf8(str(simple->m_Name)).c_str();
        if (simple->m_Description)
          d.append_attribute("description") = utf8(simple->m_Description->m_value).c_str();
        auto kind = simple->m_TemplateType ? simple->m_TemplateType->m_enum
                                           : IfcSimplePropertyTemplateTypeEnum::ENUM_P_SINGLEVALUE;
        const bool table = kind == IfcSimplePropertyTemplateTypeEnum::ENUM_P_TABLEVALUE;
        d.append_attribute("structure") =
            table                                                         ? 3
            : kind == IfcSimplePropertyTemplateTypeEnum::ENUM_P_LISTVALUE ? 2
                                                                          : 1;
        d.append_attribute("type") =
            storageType(str(table ? simple->m_SecondaryMeasureType : simple->m_PrimaryMeasureType));
        d.append_attribute("key_type") = table ? storageType(str(simple->m_PrimaryMeasureType)) : 0;
      }
    }
    pugi::xml_node set = fragment.child("PropertySet");
    const OdString name = OdString::fromUtf8(set.attribute("name").value()),
                   ns = OdString::fromUtf8(set.attribute("namespace").value());
    KcSmartPtr<PropertyNamespace> space = m_library.get<PropertyNamespace>(NameKey(ns));
    if (!m_sets.insert((ns + L"~" + name).toUtf8()).second ||
        (space && m_library.get<PropertySet>(DefinitionKey(name, space->id()))))
      return skip(id, t, "the library has this property set");
    // What the set names goes first, once, unless the library has it.
    for (pugi::xml_node e = fragment.last_child(); e; e = e.previous_sibling()) {
      if (e == set) continue;
      const OdString n = OdString::fromUtf8(e.attribute("name").value());
      const std::string kind = e.name();
      const bool has = kind == "Measure"             ? bool(m_library.get<Measure>(NameKey(n)))
                       : kind == "Unit"              ? bool(m_library.get<Unit>(NameKey(n)))
                       : kind == "PropertyNamespace" ? bool(space)
                       : kind == "EntityType"        ? bool(m_library.get<EntityType>(NameKey(n)))
                                                     : true;
      if (!has && m_named.insert(kind + "\n" + n.toUtf8()).second) root.prepend_copy(e);
    }
    root.append_copy(set);
    ++m_summary.propertySets;
  }

  // The storage type code of an IFC measure type: 0 boolean, 5 integer, 10 text, 9 any other.
  static int storageType(const std::wstring& measure) {
    if (measure == L"IfcBoolean" || measure == L"IfcLogical") return 0;
    if (measure == L"IfcInteger" || measure == L"IfcCountMeasure") return 5;
    if (measure == L"IfcLabel" || measure == L"IfcText" || measure == L"IfcIdentifier" ||
        measure.empty())
      return 10;
    return 9;
  }

  // The element name and dimensions (ours, in the XML's unit) of a profile, or the outline of an
  // arbitrary one; why it is not mapped, empty when it is.
  std::string dimensions(const IfcProfileDef& p, std::string& element,
                         std::vector<std::pair<const char*, double>>& out,
                         std::vector<OutlinePoint>& points) {
    // A size IFC requires, left out, would come in as no value and go out as 0, which no
    // import takes back; only radii and slopes may be left out.
    std::string missing;
    auto need = [&](const char* name, bool given) {
      if (!given && missing.empty()) missing = name;
      return given;
    };
    auto len = [&](const char* name, const auto& v) {
      if (need(name, v != nullptr)) out.emplace_back(name, v->m_value * m_toXml);
    };
    auto radius = [&](const char* name, const auto& v) {
      if (v) out.emplace_back(name, v->m_value * m_toXml);
    };
    auto twice = [&](const char* name, const auto& v) {
      if (need(name, v != nullptr)) out.emplace_back(name, 2 * v->m_value * m_toXml);
    };
    auto slope = [&](const char* name, const auto& v) {
      if (v) out.emplace_back(name, std::tan(v->m_value));
    };
    if (auto e = dynamic_cast<const IfcIShapeProfileDef*>(&p)) {
      element = "IShapeProfile";
      len("height", e->m_OverallDepth), len("width", e->m_OverallWidth);
      len("web_thickness", e->m_WebThickness), len("flange_thickness", e->m_FlangeThickness);
      radius("fillet_radius", e->m_FilletRadius), slope("flange_slope", e->m_FlangeSlope);
    } else if (auto e = dynamic_cast<const IfcAsymmetricIShapeProfileDef*>(&p)) {
      element = "AsymmetricIShapeProfile";
      len("height", e->m_OverallDepth), len("top_width", e->m_TopFlangeWidth);
      len("bottom_width", e->m_BottomFlangeWidth), len("web_thickness", e->m_WebThickness);
      len("top_flange_thickness",
          e->m_TopFlangeThickness ? e->m_TopFlangeThickness : e->m_BottomFlangeThickness);
      len("bottom_flange_thickness", e->m_BottomFlangeThickness);
      radius("fillet_radius", e->m_BottomFlangeFilletRadius);
    } else if (auto e = dynamic_cast<const IfcUShapeProfileDef*>(&p)) {
      element = "UShapeProfile";
      len("height", e->m_Depth), len("width", e->m_FlangeWidth);
      len("web_thickness", e->m_WebThickness), len("flange_thickness", e->m_FlangeThickness);
      radius("fillet_radius", e->m_FilletRadius), slope("flange_slope", e->m_FlangeSlope);
    } else if (auto e = dynamic_cast<const IfcCShapeProfileDef*>(&p)) {
      element = "CShapeProfile";
      len("height", e->m_Depth), len("width", e->m_Width);
      len("wall_thickness", e->m_WallThickness), len("lip_length", e->m_Girth);
      radius("inner_radius", e->m_InternalFilletRadius);
    } else if (auto e = dynamic_cast<const IfcTShapeProfileDef*>(&p)) {
      element = "TShapeProfile";
      len("height", e->m_Depth), len("width", e->m_FlangeWidth);
      len("web_thickness", e->m_WebThickness), len("flange_thickness", e->m_FlangeThickness);
      radius("fillet_radius", e->m_FilletRadius);
    } else if (auto e = dynamic_cast<const IfcZShapeProfileDef*>(&p)) {
      element = "ZShapeProfile";
      len("height", e->m_Depth), len("width", e->m_FlangeWidth);
      len("web_thickness", e->m_WebThickness), len("flange_thickness", e->m_FlangeThickness);
      radius("fillet_radius", e->m_FilletRadius);
    } else if (auto e = dynamic_cast<const IfcLShapeProfileDef*>(&p)) {
      element = "LShapeProfile";
      len("height", e->m_Depth), len("width", e->m_Width ? e->m_Width : e->m_Depth);
      len("thickness", e->m_Thickness), radius("root_radius", e->m_FilletRadius);
      radius("toe_radius", e->m_EdgeRadius);
    } else if (auto e = dynamic_cast<const IfcRectangleHollowProfileDef*>(&p)) {
      element = "RectangleHollowProfile";
      len("width", e->m_XDim), len("height", e->m_YDim), len("wall_thickness", e->m_WallThickness);
      radius("inner_radius", e->m_InnerFilletRadius),
          radius("outer_radius", e->m_OuterFilletRadius);
    } else if (auto e = dynamic_cast<const IfcRoundedRectangleProfileDef*>(&p)) {
      element = "RoundedRectangleProfile";
      len("width", e->m_XDim), len("height", e->m_YDim), radius("radius", e->m_RoundingRadius);
    } else if (auto e = dynamic_cast<const IfcRectangleProfileDef*>(&p)) {
      element = "RectangleProfile";
      len("width", e->m_XDim), len("height", e->m_YDim);
    } else if (auto e = dynamic_cast<const IfcTrapeziumProfileDef*>(&p)) {
      element = "TrapeziumProfile";
      len("height", e->m_YDim), len("bottom_width", e->m_BottomXDim),
          len("top_width", e->m_TopXDim);
      if (e->m_TopXOffset && e->m_BottomXDim && e->m_TopXDim)
        out.emplace_back("top_offset", (e->m_TopXOffset->m_value + e->m_TopXDim->m_value / 2 -
                                        e->m_BottomXDim->m_value / 2) *
                                           m_toXml);
    } else if (auto e = dynamic_cast<const IfcEllipseProfileDef*>(&p)) {
      element = "EllipseProfile";
      twice("width", e->m_SemiAxis1), twice("height", e->m_SemiAxis2);
    } else if (auto e = dynamic_cast<const IfcCircleHollowProfileDef*>(&p)) {
      element = "CircleHollowProfile";
      twice("diameter", e->m_Radius), len("wall_thickness", e->m_WallThickness);
    } else if (auto e = dynamic_cast<const IfcCircleProfileDef*>(&p)) {
      element = "CircleProfile";
      twice("diameter", e->m_Radius);
    } else if (auto e = dynamic_cast<const IfcArbitraryClosedProfileDef*>(&p)) {
      return arbitrary(*e, element, out, points);
    } else {
      return "no shape of ours maps to it";
    }
    return missing.empty() ? std::string() : "it has no " + missing;
  }

  // A crane rail of ours by its shape and dimensions, else a custom profile of the outline.
  std::string arbitrary(const IfcArbitraryClosedProfileDef& p, std::string& element,
                        std::vector<std::pair<const char*, double>>& out,
                        std::vector<OutlinePoint>& points) {
    auto psets = m_psets.find(&p);
    const std::wstring rail =
        psets == m_psets.end() ? std::wstring() : textOf(psets->second[L"Shape"]);
    if (rail == L"CraneRailAShapeProfile" || rail == L"CraneRailFShapeProfile") {
      for (const char* name : {STOCKLIB_CRANE_RAIL_DIMENSIONS(STOCKLIB_FIELD_NAME)})
        out.emplace_back(name, -1.0);  // from the property set below; left -1, refused
      element = utf8(rail);
      return std::string();
    }
    std::string why;
    points = outline(p.m_OuterCurve, why);
    if (!why.empty()) return why;
    if (points.size() < 2) return "its outline has fewer than 2 vertices";
    for (OutlinePoint& v : points) {
      v.x *= m_toXml, v.y *= m_toXml;
      if (!(std::fabs(v.x) < 1e7 && std::fabs(v.y) < 1e7 && std::fabs(v.bulge) < 1e7))
        return "a vertex is out of range";
    }
    // Our own outline, exactly as it was, in place of its flattened arcs.
    auto lists = m_lists.find(&p);
    auto exact = lists == m_lists.end() ? nullptr : &lists->second[L"Outline"];
    if (exact && !exact->empty() && exact->size() % 3 == 0) {
      std::vector<OutlinePoint> ours(exact->size() / 3);
      for (std::size_t i = 0; i < exact->size(); ++i) {
        double v = 0;
        if (!number((*exact)[i], v) || !(std::fabs(v) < 1e7)) return "its Outline is out of range";
        OutlinePoint& o = ours[i / 3];
        (i % 3 == 0 ? o.x : i % 3 == 1 ? o.y : o.bulge) = v * (i % 3 == 2 ? 1 : m_toXml);
      }
      points = ours;
    }
    element = "CustomProfile";
    return std::string();
  }

  void profile(pugi::xml_node& root, int id, const IfcProfileDef& p) {
    std::string element;
    std::vector<std::pair<const char*, double>> dims;
    std::vector<OutlinePoint> points;
    const std::string why = dimensions(p, element, dims, points);
    if (!why.empty()) return skip(id, p, why);
    const Properties& props = m_psets[&p];
    // A slope the IFC profile left out comes back from our own property set.
    if (props.count(L"flange_slope") && std::none_of(dims.begin(), dims.end(), [](const auto& d) {
          return std::string(d.first) == "flange_slope";
        }))
      dims.emplace_back("flange_slope", 0.0);
    for (auto& [name, v] : dims) {
      auto exact = props.find(OdString(name).c_str());
      // Lengths kept exactly are in the file's unit too.
      if (exact != props.end() && number(exact->second, v) &&
          std::dynamic_pointer_cast<IfcLengthMeasure>(exact->second))
        v *= m_toXml;
    }
    for (const auto& [name, v] : dims)
      if (!((v >= 0 || std::string(name) == "top_offset") && std::fabs(v) < 1e7))
        return skip(id, p, std::string(name) + " is out of range");
    auto text = [&](const wchar_t* key) {
      auto found = props.find(key);
      return found == props.end() ? std::wstring() : textOf(found->second);
    };
    std::wstring standard = text(L"Standard"), family = text(L"Name"), size = text(L"Size");
    if (family.empty()) {
      // Another tool's profile: its name up to the last blank is the family, the rest the size.
      std::wstring full = str(p.m_ProfileName);
      if (full.empty()) return skip(id, p, "it has no ProfileName");
      std::size_t blank = full.rfind(L' ');
      family = blank == std::wstring::npos ? full : full.substr(0, blank);
      size = blank == std::wstring::npos ? L"0" : full.substr(blank + 1);
    }
    if (size.empty()) size = L"0";
    std::wstring key = standard + L'\n' + family;
    if (!standard.empty() && m_standards.insert(standard).second)
      root.append_child("ProfileStandard").append_attribute("name") = utf8(standard).c_str();
    if (m_families.insert(key).second) {
      pugi::xml_node n = root.append_child("ProfileName");
      if (!standard.empty()) n.append_attribute("standard") = utf8(standard).c_str();
      n.append_attribute("name") = utf8(family).c_str();
    }
    OdString st(standard.c_str()), fa(family.c_str());
    std::wstring unique = size;
    for (int n = 2; !m_sizes.insert(key + L'\n' + unique).second ||
                    m_library.getObject(ObjectTraits<Profile>::type,
                                        ProfileKey(st, fa, OdString(unique.c_str())));
         ++n)
      unique = size + L"-" + std::to_wstring(n);
    pugi::xml_node e = root.append_child(element.c_str());
    e.append_attribute("profile_name") = utf8(family).c_str();
    if (!standard.empty()) e.append_attribute("profile_name.standard") = utf8(standard).c_str();
    e.append_attribute("size") = utf8(unique).c_str();
    double type = 0;
    auto found = props.find(L"ProfileType");
    if (found != props.end() && number(found->second, type) && type >= 1 && type <= 32)
      e.append_attribute("profile_type") = static_cast<int>(type);
    for (const auto& [name, v] : dims)
      e.append_attribute(name) = v;
    for (const OutlinePoint& v : points) {
      pugi::xml_node vertex = e.append_child("ProfileVertex");
      vertex.append_attribute("x") = v.x;
      vertex.append_attribute("y") = v.y;
      vertex.append_attribute("bulge") = v.bulge;
    }
    ++m_summary.profiles;
  }

  Library& m_library;
  IfcImportSummary& m_summary;
  pugi::xml_document m_doc;
  double m_toXml = 1000;
  shared_ptr<IfcUnitAssignment> m_units;
  std::map<int, shared_ptr<IfcMaterial>> m_materials;
  std::map<int, shared_ptr<IfcMaterialLayerSet>> m_layerSets;
  std::map<int, shared_ptr<IfcProfileDef>> m_profiles;
  std::map<int, shared_ptr<IfcPropertySetTemplate>> m_templates;
  std::map<const void*, std::wstring> m_ourSets;
  std::set<std::string> m_sets;
  std::set<std::string> m_named;
  std::map<const void*, Properties> m_psets;
  std::map<const void*, Lists> m_lists;
  std::map<const void*, int> m_typeOf;
  std::map<const void*, std::wstring> m_materialNames;
  std::set<std::wstring> m_usedMaterials, m_usedPhysical, m_usedInformation, m_usedCompositions,
      m_standards, m_families, m_sizes;
  std::set<std::string> m_categories;
};

}  // namespace

IfcImportSummary importFromIfc(Library& library, const std::string& text) {
  IfcImportSummary summary;
  Reader(library, summary).read(text);
  return summary;
}

}  // namespace stocklib
