// IFC export and import seen from outside: round trips, foreign files, hostile files.
#include "stocklib/Ifc.h"

#include <gtest/gtest.h>
#include <pugixml.hpp>

#include <algorithm>
#include <iterator>
#include <map>
#include <sstream>

#include "ScratchDir.h"
#include "stocklib/Materials.h"
#include "stocklib/Profiles.h"

using namespace stocklib;

namespace {

std::shared_ptr<Library> openShipped(const char* name) {
  return LibraryManager::instance().open(
      OdString((std::string(SL_SUPPORT_DIR) + "/" + name).c_str()), true);
}

std::shared_ptr<Library> fresh(const testsupport::ScratchDir& dir, const char* name,
                               LibraryUnit unit = kLibraryUnitMillimeter) {
  return LibraryManager::instance().create(dir.file(name), unit, OdString(name));
}

// The file without its header and without the lines naming the library (project, its
// library and their GlobalIds), which differ by design between two libraries.
std::string body(const std::string& ifc) {
  std::istringstream data(ifc.substr(ifc.find("DATA;")));
  std::string kept, line;
  while (std::getline(data, line)) {
    const std::size_t entity = line.find("= IFC");
    const std::string name = entity == std::string::npos ? "" : line.substr(entity + 2);
    if (line[0] == '#' &&
        (name.rfind("IFCPROJECT(", 0) == 0 || name.rfind("IFCPROJECTLIBRARY(", 0) == 0 ||
         name.rfind("IFCRELDECLARES(", 0) == 0))
      continue;
    kept += line + "\n";
  }
  return kept;
}

// `text` with its first "IFC4" (the schema line) given as `schema`.
std::string withSchema(std::string text, const std::string& schema) {
  return text.replace(text.find("IFC4"), 4, schema);
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

const char* kHeader =
    "ISO-10303-21;\nHEADER;\nFILE_DESCRIPTION(('ViewDefinition [CoordinationView]'),'2;1');\n"
    "FILE_NAME('x.ifc','2024-01-01T00:00:00',('a'),('b'),'c','d','');\n"
    "FILE_SCHEMA(('IFC4'));\nENDSEC;\nDATA;\n";
const char* kFooter = "ENDSEC;\nEND-ISO-10303-21;\n";

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
    std::shared_ptr<Library> original = name[0] == 'e' ? everyShape(dir) : openShipped(name);
    ASSERT_TRUE(original);
    std::shared_ptr<Library> copy = fresh(dir, "copy.stocklib", original->unit());
    std::string first, second;
    IfcExportSummary wrote = exportToIfc(*original, first);
    EXPECT_GT(wrote.materials, 0u);
    EXPECT_GT(wrote.layerSets, 0u);
    EXPECT_GT(wrote.profiles, 0u);
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
    EXPECT_EQ(read.materials, wrote.materials);
    EXPECT_EQ(read.layerSets, wrote.layerSets);
    EXPECT_EQ(read.profiles, wrote.profiles);
    EXPECT_EQ(read.propertySets, wrote.propertySets);
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
    original->get(before);
    copy->get(after);
    ASSERT_EQ(before.size(), after.size());
    for (const auto& m : before) {
      KcSmartPtr<Material> back = copy->get<Material>(NameKey(m->name()));
      ASSERT_TRUE(back) << m->name().toUtf8();
      EXPECT_EQ(back->description(), m->description());
      EXPECT_EQ(back->comments(), m->comments());
      ASSERT_EQ(bool(back->type()), bool(m->type()));
      if (m->type()) {
        EXPECT_EQ(back->type()->name(), m->type()->name());
      }
      KcSmartPtr<InformationAsset> i = m->information_asset(), j = back->information_asset();
      if (i && !i->classification().isEmpty()) {
        ASSERT_TRUE(j);
        EXPECT_EQ(j->classification(), i->classification());
      }
    }
    // A property set the library has is not made again.
    IfcImportSummary again = importFromIfc(*copy, first);
    EXPECT_EQ(again.propertySets, 0u);
    EXPECT_EQ(again.skipped.size(), wrote.propertySets);
  }
}

TEST(IfcExchange, ImportTwiceGivesNewNames) {
  std::shared_ptr<Library> original = openShipped("metric.stocklib");
  ASSERT_TRUE(original);
  std::string ifc;
  (void)exportToIfc(*original, ifc);
  testsupport::ScratchDir dir;
  std::shared_ptr<Library> lib = fresh(dir, "twice.stocklib");
  (void)importFromIfc(*lib, ifc);
  (void)importFromIfc(*lib, ifc);
  std::vector<KcSmartPtr<Material>> materials;
  std::vector<KcSmartPtr<Composition>> compositions;
  EXPECT_EQ(lib->get(materials), 2 * original->get(materials));
  KcSmartPtr<Material> first = original->get(materials) ? materials[0] : nullptr;
  ASSERT_TRUE(first);
  KcSmartPtr<Material> second = lib->get<Material>(NameKey(first->name() + L"-2"));
  ASSERT_TRUE(second);
  EXPECT_EQ(second->description(), first->description());
  EXPECT_EQ(lib->get(compositions), 2 * original->get(compositions));
}

TEST(IfcExchange, ForeignFilesImportWithTheirUnits) {
  // A slab type with a 200 mm concrete layer set, in a millimetre file.
  std::string slab = std::string(kHeader) +
                     "#1= IFCSIUNIT(*,.LENGTHUNIT.,.MILLI.,.METRE.);\n"
                     "#2= IFCUNITASSIGNMENT((#1));\n"
                     "#3= IFCPROJECT('2O2Fr$t4X7Zf8NOew3FLOH',$,'P',$,$,$,$,$,#2);\n"
                     "#4= IFCMATERIAL('Concrete',$,'Concrete');\n"
                     "#5= IFCMATERIALLAYER(#4,200.,.F.,'Core',$,'LoadBearing',$);\n"
                     "#6= IFCMATERIALLAYERSET((#5),'Slab 200',$);\n"
                     "#7= IFCSLABTYPE('1Bc0DhUnz4SRl3ZK9$FeGp',$,'Slab 200',$,$,$,$,$,$,.FLOOR.);\n"
                     "#8= IFCRELASSOCIATESMATERIAL('3nQ9kTX4H0x8$mFdY5bUIa',$,$,$,(#7),#6);\n"
                     "#9= IFCSIMPLEPROPERTYTEMPLATE('0fXHGXaI1Bh9Rv1ZHx8c0L',$,'IsExternal',$,"
                     ".P_SINGLEVALUE.,'IfcBoolean',$,$,$,$,$,.READWRITE.);\n"
                     "#10= IFCSIMPLEPROPERTYTEMPLATE('1vKq8sJmT2W9o3Z1Yd0fPa',$,'Widths',$,"
                     ".P_TABLEVALUE.,'IfcLabel','IfcLengthMeasure',$,$,$,$,$);\n"
                     "#11= IFCPROPERTYSETTEMPLATE('2Hn4Q8eYb1Fv6Tq0Lx3aWc',$,'Pset_SlabCommon',$,"
                     ".PSET_OCCURRENCEDRIVEN.,'IfcSlab',(#9,#10));\n"
                     "#12= IFCPROPERTYSINGLEVALUE('FirstCorePly',$,IFCINTEGER(1),$);\n"
                     "#13= IFCMATERIALPROPERTIES('Stocklib_Composition',$,(#12),#6);\n"
                     "#14= IFCPROPERTYSINGLEVALUE('MassDensity',$,IFCMASSDENSITYMEASURE(-2.),$);\n"
                     "#15= IFCMATERIALPROPERTIES('Pset_MaterialCommon',$,(#14),#4);\n" +
                     kFooter;
  // A beam type with an IPE 600 material profile set, in a metre file.
  std::string beam = std::string(kHeader) +
                     "#1= IFCSIUNIT(*,.LENGTHUNIT.,$,.METRE.);\n"
                     "#2= IFCUNITASSIGNMENT((#1));\n"
                     "#3= IFCPROJECT('0YvctVUKr0kugbFTf53O9L',$,'P',$,$,$,$,$,#2);\n"
                     "#4= IFCMATERIAL('S355JR',$,'Steel');\n"
                     "#5= IFCISHAPEPROFILEDEF(.AREA.,'IPE600',$,0.22,0.6,0.012,0.019,0.024,$,$);\n"
                     "#6= IFCMATERIALPROFILE('IPE600',$,#4,#5,$,$);\n"
                     "#7= IFCMATERIALPROFILESET('IPE600',$,(#6),$);\n"
                     "#8= IFCBEAMTYPE('0cMNd$7Y1BYw_vdCaKRXyN',$,'IPE600',$,$,$,$,$,$,.BEAM.);\n"
                     "#9= IFCRELASSOCIATESMATERIAL('1lGzy3Ed1EZAv8GyN8fUWN',$,$,$,(#8),#7);\n"
                     "#10= IFCISHAPEPROFILEDEF(.AREA.,'IPN200',$,0.09,0.2,0.0075,0.0113,0.0075,$,"
                     "0.13909594148207);\n"
                     "#11= IFCCARTESIANPOINT((0.,0.));\n#12= IFCCARTESIANPOINT((0.1,0.));\n"
                     "#13= IFCCARTESIANPOINT((0.,0.05));\n#14= IFCPOLYLINE((#11,#12,#13,#11));\n"
                     "#15= IFCARBITRARYCLOSEDPROFILEDEF(.AREA.,'Plate',#14);\n" +
                     kFooter;
  testsupport::ScratchDir dir;
  std::shared_ptr<Library> lib = fresh(dir, "foreign.stocklib");
  IfcImportSummary s = importFromIfc(*lib, slab);
  EXPECT_EQ(s.layerSets, 1u);
  KcSmartPtr<Composition> c = lib->get<Composition>(NameKey(OdString(L"Slab 200")));
  ASSERT_TRUE(c);
  EXPECT_EQ(c->type(), Composition::kSlab);
  ASSERT_EQ(c->plies_size(), 1u);
  EXPECT_DOUBLE_EQ(c->ply(0)->thickness(), 200.0);
  EXPECT_EQ(c->ply(0)->function(), kFunctionStructure);
  ASSERT_TRUE(c->ply(0)->material());
  EXPECT_EQ(c->ply(0)->material()->name(), OdString(L"Concrete"));
  // Its property set template, in a namespace of its own name.
  EXPECT_EQ(s.propertySets, 1u);
  KcSmartPtr<PropertyNamespace> ns = lib->get<PropertyNamespace>(NameKey(L"Pset_SlabCommon"));
  ASSERT_TRUE(ns);
  KcSmartPtr<PropertySet> pset = lib->get<PropertySet>(DefinitionKey(L"Pset_SlabCommon", ns->id()));
  ASSERT_TRUE(pset);
  EXPECT_TRUE(pset->per_instance());
  ASSERT_EQ(pset->property_definitions().size(), 2u);
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
  EXPECT_EQ(is[0]->flange_slope(), 0.0);
  EXPECT_NEAR(is[1]->flange_slope(), 0.14, 1e-12);
  // An outline in metres, closed by its first point again.
  std::vector<KcSmartPtr<CustomProfile>> plates;
  ASSERT_EQ(lib->get(plates), 1u);
  EXPECT_EQ(plates[0]->outline(), (std::vector<OutlinePoint>{{0, 0, 0}, {100, 0, 0}, {0, 50, 0}}));
  EXPECT_NEAR(is[0]->height(), 600.0, 1e-9);
  EXPECT_NEAR(is[0]->width(), 220.0, 1e-9);
  EXPECT_NEAR(is[0]->web_thickness(), 12.0, 1e-9);
  EXPECT_NEAR(is[0]->flange_thickness(), 19.0, 1e-9);
  EXPECT_NEAR(is[0]->fillet_radius(), 24.0, 1e-9);
  // An IFC 2x3 file: materials without description, layers without names.
  std::string older = withSchema(kHeader, "IFC2X3") +
                      "#1= IFCSIUNIT(*,.LENGTHUNIT.,.MILLI.,.METRE.);\n"
                      "#2= IFCUNITASSIGNMENT((#1));\n"
                      "#4= IFCMATERIAL('Brick');\n"
                      "#5= IFCMATERIALLAYER(#4,115.,.F.);\n"
                      "#6= IFCMATERIALLAYERSET((#5),'Wall 115');\n" +
                      kFooter;
  s = importFromIfc(*lib, older);
  KcSmartPtr<Composition> wall = lib->get<Composition>(NameKey(OdString(L"Wall 115")));
  ASSERT_TRUE(wall);
  ASSERT_EQ(wall->plies_size(), 1u);
  EXPECT_DOUBLE_EQ(wall->ply(0)->thickness(), 115.0);
  // The same figures into an inch library come out in inches.
  std::shared_ptr<Library> inch = fresh(dir, "inch.stocklib", kLibraryUnitInch);
  (void)importFromIfc(*inch, beam);
  ASSERT_EQ(inch->get(is), 2u);
  EXPECT_NEAR(std::max(is[0]->height(), is[1]->height()), 600.0 / 25.4, 1e-9);
}

TEST(IfcExchange, HostileFilesChangeNothing) {
  const std::string good = "#1= IFCMATERIAL('A',$,$);\n";
  struct Case {
    const char* what;
    std::string text;
    const char* says;
  };
  std::string header = kHeader;
  const std::vector<Case> cases = {
      {"truncated", header + good + "#2= IFCMATERIAL('B", "truncated"},
      {"no end", header + good + "ENDSEC;\n", "truncated"},
      {"unknown entity", header + good + "#2= IFCWIDGET('x');\n" + kFooter, "unknown entity"},
      {"dangling", header + good + "#2= IFCMATERIALLAYER(#9,1.,$,$,$,$,$);\n" + kFooter,
       "does not define"},
      {"twice", header + good + good + kFooter, "defined twice"},
      {"absurd", header + good + "#2= IFCMATERIALLAYER(#1,1.E400,$,$,$,$,$);\n" + kFooter,
       "out of range"},
      {"schema", withSchema(header, "IFC9") + good + kFooter, "neither IFC4 nor IFC2X3"},
      {"not step", "hello", "ISO-10303-21"},
      {"unbalanced", header + "#1= IFCMATERIAL(('A',$,$);\n" + kFooter, "parentheses"},
  };
  testsupport::ScratchDir dir;
  std::shared_ptr<Library> lib = fresh(dir, "hostile.stocklib");
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    try {
      (void)importFromIfc(*lib, c.text);
      ADD_FAILURE() << "accepted";
    } catch (const Exception& e) {
      EXPECT_NE(std::string(e.what()).find(c.says), std::string::npos) << e.what();
    }
    std::vector<KcSmartPtr<Material>> none;
    EXPECT_EQ(lib->get(none), 0u);
  }
  // A cycle of references is not an error of the text; what it names is skipped, not followed.
  std::string cycle = header +
                      "#1= IFCMATERIALLAYERSET((#2),'S',$);\n"
                      "#2= IFCMATERIALLAYER($,1.,$,$,$,$,$);\n"
                      "#3= IFCRELASSOCIATESMATERIAL('1lGzy3Ed1EZAv8GyN8fUWN',$,$,$,(#3),#1);\n" +
                      kFooter;
  IfcImportSummary s = importFromIfc(*lib, cycle);
  EXPECT_EQ(s.layerSets, 0u);
  ASSERT_EQ(s.skipped.size(), 1u);
  EXPECT_NE(s.skipped[0].toUtf8().find("#1 IfcMaterialLayerSet"), std::string::npos);
}
