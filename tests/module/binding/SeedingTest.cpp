// Seeding of new libraries: the initial template from the support folder, units and the
// default units chosen from a drawing's INSUNITS and MEASUREMENT, the "User" namespace.
#include "sl_db/Seeding.h"

#include <pugixml.hpp>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "DataRows.h"
#include "DbDatabase.h"
#include "RxClass.h"
#include "TestSupport.h"
#include "sl_db/Library.h"
#include "stocklib/Materials.h"
#include "stocklib/MemFs.h"
#include "stocklib/Translations.h"

using namespace stocklib;
namespace seed = sl_db::detail;

namespace {

class Seeding : public ::testing::Test {
 protected:
  Seeding() { hooks.provider.setRoamableRootFolder(dir.path()); }

  std::shared_ptr<stocklib::Library> create(const char* name) {
    auto lib = LibraryManager::instance().create(dir.file(name), kLibraryUnitMillimeter, L"");
    EXPECT_TRUE(lib) << lib.message().toUtf8();
    return lib;
  }
  // Writes Support/NAME with `text`.
  void writeSupport(const char* name, const std::string& text) {
    std::ofstream(dir.touch((std::string("Support/") + name).c_str()).toUtf8()) << text;
  }
  // `source` exported as XML under <StockLibrary>, after the elements `meta`.
  static std::string exported(const stocklib::Library& source, const char* meta = "") {
    pugi::xml_document doc;
    pugi::xml_node root = doc.append_child("StockLibrary");
    root.append_buffer(meta, std::strlen(meta));
    source.exportToXml(root);
    std::ostringstream out;
    doc.save(out);
    return out.str();
  }
  static OdDbDatabasePtr drawing(int insunits, int measurement) {
    OdDbDatabasePtr db = odDbCreateDatabase(measurement != 0);
    db->setINSUNITS(static_cast<OdDb::UnitsValue>(insunits));
    db->setMEASUREMENT(static_cast<OdDb::MeasurementValue>(measurement));
    return db;
  }
  /// The symbols of the default units of LENGTH, AREA and MASS, "-" for none.
  static std::string defaults(const stocklib::Library& lib) {
    std::string out;
    for (const wchar_t* measure : {L"LENGTH", L"AREA", L"MASS"}) {
      KcSmartPtr<Unit> u = lib.defaultUnit(measure);
      out += (out.empty() ? "" : " ") + (u ? u->symbol().toUtf8() : std::string("-"));
    }
    return out;
  }

  sltest::ScratchDir dir;
  sltest::InstalledHooks hooks;
};

}  // namespace

TEST_F(Seeding, ShippedSupportFolderSeedsListableContent) {
  const char* source = std::getenv("SL_SOURCE_DIR");
  ASSERT_TRUE(source) << "SL_SOURCE_DIR names the source tree";
  for (const char* name : {"stocklib.xml", "stocklib_units.xml"})
    std::filesystem::copy_file(std::string(source) + "/data/support/" + name,
                               dir.touch((std::string("Support/") + name).c_str()).toUtf8(),
                               std::filesystem::copy_options::overwrite_existing);
  auto lib = create("new.stocklib");
  OdDbDatabasePtr db = drawing(4, 1);
  seed::seedNewLibrary(lib, db.get());
  seed::importUnits(lib, db.get());
  EXPECT_TRUE(!lib->locale().isEmpty() && lib->get<MaterialType>(NameKey(L"Concrete")));
  EXPECT_EQ(defaults(*lib), "mm m^2 kg");
  // The starter sets apply to entity classes the SDK registers.
  for (const wchar_t* cls : {L"OdDbLine", L"OdDbCircle"}) {
    sl_db::PropertySetList sets;
    sl_db::Library::get(lib)->propertySets(sets, odrxClassDictionary()->getAt(cls));
    EXPECT_FALSE(sets.empty()) << OdString(cls).toUtf8();
  }
}

TEST_F(Seeding, TheTemplateIsImportedElseTranslatedMaterialTypesAndMalformedGivesNothing) {
  auto lib = create("new.stocklib");
  seed::seedNewLibrary(lib, nullptr);  // no Support folder at all
  std::vector<KcSmartPtr<MaterialType>> types;
  std::vector<KcSmartPtr<PropertyNamespace>> nss;
  ASSERT_EQ(lib->get<MaterialType>(types), 14u);
  EXPECT_TRUE(types.front()->name() == L"Ceramic" && types.back()->name() == L"Wood");
  EXPECT_EQ(lib->get<PropertyNamespace>(nss), 0u);

  EXPECT_EQ(seed::addUserNamespace()->label(), L"User");
  auto catalogue = std::make_shared<Translations>();
  catalogue->add(L"Wood", L"Holz");
  catalogue->add(L"User", OdString::fromUtf8("Benutzer"));
  Translations::set(catalogue);
  auto translated = create("translated.stocklib");
  seed::seedNewLibrary(translated, nullptr);
  auto user = seed::addUserNamespace();
  Translations::set(nullptr);
  EXPECT_TRUE(translated->get<MaterialType>(NameKey(L"Holz")) &&
              !translated->get<MaterialType>(NameKey(L"Wood")));
  // The "User" namespace keeps its name; its label is translated.
  EXPECT_TRUE(user->name() == L"User" && user->label() == L"Benutzer");

  // A template: its meta and content are taken, instead of the built-in types.
  auto source = create("source.stocklib");
  auto set = PropertySet::create(PropertyNamespace::create(L"Starter")->save(source), L"Lines");
  set->insert_entity_type(L"OdDbLine");
  set->save(source);
  writeSupport("stocklib.xml",
               exported(*source, "<meta><locale>de</locale><region>CH</region></meta>"));
  auto templated = create("templated.stocklib");
  seed::seedNewLibrary(templated, nullptr);
  EXPECT_TRUE(templated->locale() == L"de" && templated->region() == L"CH");
  auto starter = templated->get<PropertyNamespace>(NameKey(L"Starter"));
  EXPECT_TRUE(starter && templated->get<PropertySet>(DefinitionKey(L"Lines", starter->id())));
  EXPECT_EQ(templated->get<MaterialType>(types), 0u);

  writeSupport("stocklib.xml", "<StockLibrary><meta><locale>fr</locale></meta><PropertyNamespace");
  auto malformed = create("malformed.stocklib");
  seed::seedNewLibrary(malformed, nullptr);
  EXPECT_TRUE(malformed->locale().isEmpty() && malformed->get<MaterialType>(types) == 0 &&
              malformed->get<PropertyNamespace>(nss) == 0);
}

TEST_F(Seeding, DefaultUnitsFollowInsunits) {
  // In-memory libraries: a dozen files would each wait for the disk.
  struct MemFsScope {
    MemFsScope() { register_memvfs(); }
    ~MemFsScope() { unregister_memvfs(); }
  } memfs;
  int n = 0;
  for (const auto& row : sltest::dataRows("binding-seeding.txt", 4)) {
    SCOPED_TRACE("INSUNITS " + row[0] + " MEASUREMENT " + row[1]);
    auto lib = LibraryManager::instance().create(OdString::formatted(L"memvfs://u%d", n++),
                                                 kLibraryUnitMillimeter, L"");
    ASSERT_TRUE(lib);
    OdDbDatabasePtr db = row[0] == "none" ? nullptr : drawing(std::stoi(row[0]), std::stoi(row[1]));
    seed::setDefaultUnits(lib, db.get());
    EXPECT_EQ(defaults(*lib), row[2]);
    ASSERT_TRUE(lib->defaultUnit(L"LENGTH"));
    EXPECT_DOUBLE_EQ(lib->defaultUnit(L"LENGTH")->factor(), std::stod(row[3]));
  }
}

TEST_F(Seeding, UnitsFileIsImportedThenDefaultsSetKeepingExistingOnes) {
  auto lib = create("a.stocklib");
  auto length = lib->save(Measure::create(L"LENGTH"));
  auto area = lib->save(Measure::create(L"AREA"));
  lib->setDefaultUnit(lib->save(Unit::create(L"cm", 0.01, length)).get());
  // A unit of AREA with the metric factor under another symbol, and a LENGTH unit with it too:
  // only the one of the right measure is taken.
  lib->save(Unit::create(L"m", 1.0, length));
  lib->save(Unit::create(L"sq m", 1.0, area));
  seed::setDefaultUnits(lib, drawing(4, 1).get());
  EXPECT_EQ(defaults(*lib), "cm sq m kg");
  EXPECT_FALSE(lib->get<Unit>(NameKey(L"m^2")) || lib->get<Unit>(NameKey(L"mm")));

  auto imported = create("b.stocklib");
  seed::importUnits(imported, nullptr);  // no file: nothing at all
  EXPECT_EQ(defaults(*imported), "- - -");
  auto source = create("units.stocklib");
  auto in = Unit::create(L"in", 0.0254, source->save(Measure::create(L"LENGTH")));
  in->set_label(L"inch");
  source->save(in);
  writeSupport("stocklib_units.xml", exported(*source));
  seed::importUnits(imported, drawing(1, 0).get());
  EXPECT_EQ(defaults(*imported), "in ft^2 lbs");
  EXPECT_EQ(imported->defaultUnit(L"LENGTH")->label(), L"inch");  // the imported unit itself
  EXPECT_DOUBLE_EQ(imported->defaultUnit(L"VOLUME")->factor(), 0.028316846592);
  auto other = create("c.stocklib");
  writeSupport("stocklib_units.xml", "<StockLibrary><Unit");
  seed::importUnits(other, drawing(1, 0).get());
  EXPECT_FALSE(other->defaultUnit(L"LENGTH"));
}

TEST_F(Seeding, ProfilesStoredAtAWrongScaleAreRepaired) {
  auto primary = create("primary.stocklib");
  auto secondary = create("secondary.stocklib");
  const auto rect = [](const std::shared_ptr<stocklib::Library>& lib, const ProfileName* name,
                       const wchar_t* size, double h, double w) {
    auto p = RectangleProfile::create(name, size);
    p->set_height(h);
    p->set_width(w);
    return p->save(lib);
  };
  // Two candidates of the size: the first in order decides the factor.
  rect(secondary, ProfileName::create(L"A", nullptr)->save(secondary), L"100x50", 100, 50);
  rect(secondary, ProfileName::create(L"B", nullptr)->save(secondary), L"100x50", 1000, 500);
  auto circle = CircleProfile::create(nullptr, L"80x40");
  circle->set_diameter(80);
  circle->save(secondary);
  rect(secondary, nullptr, L"120x60", 120, 70);
  // Wrongly scaled, matched by a profile of another class, by none, and by one of another shape.
  const KcSmartPtr<RectangleProfile> profiles[] = {
      rect(primary, nullptr, L"100x50", 10, 5), rect(primary, nullptr, L"80x40", 8, 4),
      rect(primary, nullptr, L"60x30", 6, 3), rect(primary, nullptr, L"120x60", 12, 6)};
  using Sizes = std::vector<std::pair<double, double>>;
  const auto stored = [&] {
    Sizes out;
    for (const auto& p : profiles) {
      auto s = primary->get<RectangleProfile>(p->id());
      out.emplace_back(s->height(), s->width());
    }
    return out;
  };
  const Sizes repaired{{100, 50}, {8, 4}, {6, 3}, {12, 6}};
  seed::repairProfileScales(primary, secondary);
  EXPECT_EQ(stored(), repaired);
  // Repaired profiles now equal their first match: a second run leaves them alone instead of
  // scaling them to the next candidate.
  seed::repairProfileScales(primary, secondary);
  EXPECT_EQ(stored(), repaired);
  seed::repairProfileScales(primary, nullptr);  // no secondary: nothing to compare with
}
