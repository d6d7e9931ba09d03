// IFC export and import seen from outside: round trips, foreign files, hostile files.
#include "stocklib/Ifc.h"

#include <gtest/gtest.h>
#include <pugixml.hpp>

#include <algorithm>
#include <fstream>
#include <iterator>
#include <map>
#include <sstream>

#include "DataRows.h"
#include "ScratchDir.h"
#include "stocklib/Materials.h"
#include "stocklib/Profiles.h"

using namespace stocklib;

namespace {

std::shared_ptr<Library> fresh(const testsupport::ScratchDir& dir, const char* name,
                               LibraryUnit unit = kLibraryUnitMillimeter) {
  return LibraryManager::instance().create(dir.file(name), unit, OdString(name));
}

// The file without its header and without the lines naming the library (project, its
// library and their GlobalIds), which differ by design between two libraries.
std::string body(const std::string& ifc) {
  std::istringstream data(ifc.substr(ifc.find("DATA;")));
  std::string kept;
  for (std::string line; std::getline(data, line);) {
    const std::size_t at = line.find("= IFC");  // "#12= IFCPROJECT(...": PROJECT
    const std::string name = line.rfind('#', 0) == 0 && at != std::string::npos
                                 ? line.substr(at + 5, line.find('(', at) - at - 5)
                                 : std::string();
    if (name != "PROJECT" && name != "PROJECTLIBRARY" && name != "RELDECLARES") kept += line + "\n";
  }
  return kept;
}

// Each element of the library's XML export of these kinds, as a line of text, by element.
std::multiset<std::string> elements(const Library& lib, const std::set<std::string>& kinds) {
  pugi::xml_document doc;
  pugi::xml_node root = doc.append_child("stocklib");
  lib.exportToXml(root);
  std::multiset<std::string> out;
  for (pugi::xml_node e : root.children()) {
    if (!kinds.count(e.name())) continue;
    std::ostringstream s;
    e.print(s, "", pugi::format_raw);
    out.insert(s.str());
  }
  return out;
}

// The start of a file of the schema `schema`, up to its data.
std::string header(const std::string& schema = "IFC4") {
  return "ISO-10303-21;\nHEADER;\nFILE_DESCRIPTION(('ViewDefinition [CoordinationView]'),'2;1');\n"
         "FILE_NAME('x.ifc','2024-01-01T00:00:00',('a'),('b'),'c','d','');\nFILE_SCHEMA(('" +
         schema + "'));\nENDSEC;\nDATA;\n";
}
const char* kFooter = "ENDSEC;\nEND-ISO-10303-21;\n";

// The text of a file beside this one.
std::string fixture(const char* name) {
  std::stringstream s;
  s << std::ifstream(std::string(SL_IFC_FIXTURES) + "/" + name).rdbuf();
  EXPECT_FALSE(s.str().empty()) << name;
  return s.str();
}

// A library of every shape (every_shape.xml beside this file).
std::shared_ptr<Library> everyShape(const testsupport::ScratchDir& dir) {
  pugi::xml_document doc;
  EXPECT_TRUE(doc.load_file(SL_IFC_FIXTURES "/every_shape.xml"));
  std::shared_ptr<Library> lib = fresh(dir, "shapes.stocklib");
  pugi::xml_node root = doc.child("stocklib");
  lib->importFromXml(root, Library::ImportOptions{});
  return lib;
}

}  // namespace

TEST(IfcExchange, ShippedLibrariesComeBackEqual) {
  for (const char* name : {"metric.stocklib", "imperial.stocklib", "every shape"}) {
    SCOPED_TRACE(name);
    testsupport::ScratchDir dir;
    std::shared_ptr<Library> original = everyShape(dir);
    if (name[0] != 'e')
      original = LibraryManager::instance().open(
          OdString::fromUtf8(std::string(SL_SUPPORT_DIR) + "/" + name), true);
    ASSERT_TRUE(original);
    std::shared_ptr<Library> copy = fresh(dir, "copy.stocklib", original->unit());
    std::string first, second;
    IfcExportSummary wrote = exportToIfc(*original, first);
    EXPECT_TRUE(wrote.materials && wrote.layerSets && wrote.profiles);
    if (name[0] == 'e') {
      EXPECT_EQ(wrote.propertySets, 2u);
      // A receiving tool sees the arcs of an outline as chords: the fourth of eight on the arc
      // from (0.1, 0) to (0.3, 0.2) of bulge 0.7 is the arc's midpoint.
      std::string flat = first;
      flat.replace(flat.find("'Outline'"), 9, "'Ignored'");
      std::shared_ptr<Library> chords = fresh(dir, "chords.stocklib");
      (void)importFromIfc(*chords, flat);
      KcSmartPtr<CustomProfile> o = chords->get<CustomProfile>(ProfileKey(L"T", L"S", L"O"));
      ASSERT_TRUE(o);
      ASSERT_EQ(o->outline().size(), 18u);
      EXPECT_NEAR(o->outline()[5].x, 0.27, 1e-12);
      EXPECT_NEAR(o->outline()[5].y, 0.03, 1e-12);
      // Hollow and H shapes are columns, the others beams.
      auto typeOf = [&](const std::string& n) {
        return first.substr(first.rfind("= IFC", first.find(",$,'T S " + n + "',$")) + 2, 9);
      };
      EXPECT_EQ(typeOf("H"), "IFCCOLUMN");
      EXPECT_EQ(typeOf("RHS"), "IFCCOLUMN");
      EXPECT_EQ(typeOf("I"), "IFCBEAMTY");
    }
    IfcImportSummary read = importFromIfc(*copy, first);
    EXPECT_TRUE(read.skipped.empty());
    EXPECT_TRUE(read.materials == wrote.materials && read.layerSets == wrote.layerSets &&
                read.profiles == wrote.profiles && read.propertySets == wrote.propertySets);
    (void)exportToIfc(*copy, second);
    EXPECT_EQ(body(first), body(second));
    // What IFC carries reads back as it was.
    std::istringstream names(
        "Composition PhysicalAsset ProfileName ProfileStandard CircleProfile CircleHollowProfile "
        "RectangleProfile IShapeProfile RectangleHollowProfile UShapeProfile LShapeProfile "
        "TShapeProfile AsymmetricIShapeProfile CShapeProfile ZShapeProfile TrapeziumProfile "
        "EllipseProfile RoundedRectangleProfile CraneRailAShapeProfile CraneRailFShapeProfile "
        "CustomProfile PropertySet PropertyNamespace");
    const std::set<std::string> kinds{std::istream_iterator<std::string>(names), {}};
    std::multiset<std::string> was = elements(*original, kinds), is = elements(*copy, kinds);
    std::vector<std::string> lost;
    std::set_difference(was.begin(), was.end(), is.begin(), is.end(), std::back_inserter(lost));
    EXPECT_EQ(was.size(), is.size());
    EXPECT_TRUE(lost.empty()) << lost.size() << " differ, first " << lost[0];
    std::vector<KcSmartPtr<Material>> before, after;
    ASSERT_EQ(original->get(before), copy->get(after));
    // Materials as far as IFC carries them.
    auto carried = [](const KcSmartPtr<Material>& m) {
      if (!m) return std::string("none");
      KcSmartPtr<InformationAsset> i = m->information_asset();
      return (m->description() + L"|" + m->comments() + L"|" +
              (m->type() ? m->type()->name() : L"") + L"|" + (i ? i->classification() : OdString()))
          .toUtf8();
    };
    for (const auto& m : before)
      EXPECT_EQ(carried(copy->get<Material>(NameKey(m->name()))), carried(m)) << m->name().toUtf8();
    // A property set the library has is not made again; a material or composition is, under a
    // new name.
    IfcImportSummary again = importFromIfc(*copy, first);
    EXPECT_TRUE(again.propertySets == 0 && again.skipped.size() == wrote.propertySets);
    std::vector<KcSmartPtr<Composition>> compositions;
    EXPECT_EQ(copy->get(after), 2 * before.size());
    EXPECT_EQ(copy->get(compositions), 2 * original->get(compositions));
    KcSmartPtr<Material> renamed = copy->get<Material>(NameKey(before[0]->name() + L"-2"));
    ASSERT_TRUE(renamed);
    EXPECT_EQ(renamed->description(), before[0]->description());
  }
}

TEST(IfcExchange, ForeignFilesImportWithTheirUnitsAndHostileOnesChangeNothing) {
  // A slab type with a 200 mm concrete layer set in millimetres; a beam type with an IPE 600
  // material profile set in metres; an IFC 2x3 wall: materials without description, layers
  // without names.
  const std::string slab = fixture("foreign_slab.ifc"), beam = fixture("foreign_beam.ifc");
  testsupport::ScratchDir dir;
  std::shared_ptr<Library> lib = fresh(dir, "foreign.stocklib");
  IfcImportSummary s = importFromIfc(*lib, slab);
  EXPECT_TRUE(s.layerSets == 1 && s.propertySets == 1);
  KcSmartPtr<Composition> c = lib->get<Composition>(NameKey(OdString(L"Slab 200")));
  ASSERT_TRUE(c && c->plies_size() == 1 && c->ply(0)->material());
  EXPECT_TRUE(c->type() == Composition::kSlab && c->ply(0)->thickness() == 200.0 &&
              c->ply(0)->function() == kFunctionStructure);
  EXPECT_EQ(c->ply(0)->material()->name(), OdString(L"Concrete"));
  // Its property set template, in a namespace of its own name.
  KcSmartPtr<PropertyNamespace> ns = lib->get<PropertyNamespace>(NameKey(L"Pset_SlabCommon"));
  ASSERT_TRUE(ns);
  KcSmartPtr<PropertySet> pset = lib->get<PropertySet>(DefinitionKey(L"Pset_SlabCommon", ns->id()));
  ASSERT_TRUE(pset && pset->per_instance() && pset->property_definitions().size() == 2);
  EXPECT_EQ(pset->property_definitions()[0]->type(), PropertyType(1, 0));
  EXPECT_EQ(pset->property_definitions()[1]->type(), PropertyType(3, 9, 10));
  // Figures no library holds are left out: a ply past the last one, a negative density.
  EXPECT_EQ(c->first_core_ply(), 0u);
  KcSmartPtr<PhysicalAsset> asset = c->ply(0)->material()->physical_asset();
  EXPECT_FALSE(asset && asset->has_density());
  s = importFromIfc(*lib, beam);
  EXPECT_EQ(s.profiles, 3u);
  std::vector<KcSmartPtr<IShapeProfile>> is;
  ASSERT_EQ(lib->get(is), 2u);
  if (is[0]->name()->name() != OdString(L"IPE600")) std::swap(is[0], is[1]);
  EXPECT_EQ(is[0]->name()->name(), OdString(L"IPE600"));
  EXPECT_TRUE(is[0]->height() == 600 && is[0]->width() == 220 && is[0]->web_thickness() == 12 &&
              is[0]->flange_thickness() == 19 && is[0]->fillet_radius() == 24 &&
              is[0]->flange_slope() == 0);
  EXPECT_NEAR(is[1]->flange_slope(), 0.14, 1e-12);
  // An outline in metres, closed by its first point again.
  std::vector<KcSmartPtr<CustomProfile>> plates;
  ASSERT_EQ(lib->get(plates), 1u);
  EXPECT_EQ(plates[0]->outline(), (std::vector<OutlinePoint>{{0, 0, 0}, {100, 0, 0}, {0, 50, 0}}));
  (void)importFromIfc(*lib, fixture("foreign_wall_ifc2x3.ifc"));
  KcSmartPtr<Composition> wall = lib->get<Composition>(NameKey(OdString(L"Wall 115")));
  ASSERT_TRUE(wall && wall->plies_size() == 1);
  EXPECT_DOUBLE_EQ(wall->ply(0)->thickness(), 115.0);
  // The same figures into an inch library come out in inches.
  std::shared_ptr<Library> inch = fresh(dir, "inch.stocklib", kLibraryUnitInch);
  (void)importFromIfc(*inch, beam);
  ASSERT_EQ(inch->get(is), 2u);
  EXPECT_NEAR(std::max(is[0]->height(), is[1]->height()), 600.0 / 25.4, 1e-9);
  // Hostile files change nothing.
  lib = fresh(dir, "hostile.stocklib");
  for (const auto& c : sltest::dataRows("ifc-hostile.txt", 5)) {
    SCOPED_TRACE(c[0]);
    try {
      (void)importFromIfc(
          *lib, (c[1].empty() ? "" : header(c[1])) + c[2] + (c[3] == "yes" ? kFooter : ""));
      ADD_FAILURE() << "accepted";
    } catch (const Exception& e) {
      EXPECT_NE(std::string(e.what()).find(c[4]), std::string::npos) << e.what();
    }
    std::vector<KcSmartPtr<Material>> none;
    EXPECT_EQ(lib->get(none), 0u);
  }
  // A cycle of references is not an error of the text; what it names is skipped, not followed.
  std::string cycle = header() +
                      "#1= IFCMATERIALLAYERSET((#2),'S',$);\n"
                      "#2= IFCMATERIALLAYER($,1.,$,$,$,$,$);\n"
                      "#3= IFCRELASSOCIATESMATERIAL('1lGzy3Ed1EZAv8GyN8fUWN',$,$,$,(#3),#1);\n" +
                      kFooter;
  s = importFromIfc(*lib, cycle);
  EXPECT_EQ(s.layerSets, 0u);
  ASSERT_EQ(s.skipped.size(), 1u);
  EXPECT_NE(s.skipped[0].toUtf8().find("#1 IfcMaterialLayerSet"), std::string::npos);
}
