// Seeding of new libraries: the initial template from the support folder, units and the
// default units chosen from a drawing's INSUNITS and MEASUREMENT, the "User" namespace.
#include "sl_db/Seeding.h"

#include <pugixml.hpp>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

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
  // `source` exported as XML under <StockLibrary>, with a meta element when `meta` is given.
  static std::string exported(const stocklib::Library& source, const char* meta = nullptr) {
    pugi::xml_document doc;
    pugi::xml_node root = doc.append_child("StockLibrary");
    if (meta) {
      pugi::xml_document m;
      m.load_string(meta);
      root.append_copy(m.first_child());
    }
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
  static OdString defaultSymbol(const stocklib::Library& lib, const wchar_t* measure) {
    KcSmartPtr<Unit> u = lib.defaultUnit(measure);
    return u ? u->symbol() : OdString(L"<none>");
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
  EXPECT_FALSE(lib->locale().isEmpty());
  EXPECT_TRUE(lib->get<MaterialType>(NameKey(L"Concrete")));
  EXPECT_EQ(defaultSymbol(*lib, L"LENGTH"), L"mm");
  EXPECT_EQ(defaultSymbol(*lib, L"MASS"), L"kg");

  // The starter sets apply to entity classes the SDK registers.
  auto w = sl_db::Library::get(lib);
  sl_db::PropertySetList lines, circles;
  w->propertySets(lines, odrxClassDictionary()->getAt(L"OdDbLine"));
  w->propertySets(circles, odrxClassDictionary()->getAt(L"OdDbCircle"));
  EXPECT_FALSE(lines.empty());
  EXPECT_FALSE(circles.empty());
}

TEST_F(Seeding, TheTemplateIsImportedElseTranslatedMaterialTypesAndMalformedGivesNothing) {
  auto lib = create("new.stocklib");
  seed::seedNewLibrary(lib, nullptr);  // no Support folder at all
  std::vector<KcSmartPtr<MaterialType>> types;
  ASSERT_EQ(lib->get<MaterialType>(types), 14u);
  EXPECT_EQ(types.front()->name(), L"Ceramic");
  EXPECT_EQ(types.back()->name(), L"Wood");
  std::vector<KcSmartPtr<PropertyNamespace>> nss;
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
  EXPECT_TRUE(translated->get<MaterialType>(NameKey(L"Holz")));
  EXPECT_FALSE(translated->get<MaterialType>(NameKey(L"Wood")));
  // The "User" namespace keeps its name; its label is translated.
  EXPECT_EQ(user->name(), L"User");
  EXPECT_EQ(user->label(), L"Benutzer");

  // A template: its meta and content are taken, instead of the built-in types.
  auto source = create("source.stocklib");
  auto set = PropertySet::create(PropertyNamespace::create(L"Starter")->save(source), L"Lines");
  set->insert_entity_type(L"OdDbLine");
  set->save(source);
  writeSupport("stocklib.xml",
               exported(*source, "<meta><locale>de</locale><region>CH</region></meta>"));
  auto templated = create("templated.stocklib");
  seed::seedNewLibrary(templated, nullptr);
  EXPECT_EQ(templated->locale(), L"de");
  EXPECT_EQ(templated->region(), L"CH");
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
  struct Row {
    int insunits, measurement;
    const wchar_t* length;
    double factor;
    bool metric;
  };
  const Row rows[] = {
      {1, 1, L"in", 0.0254, false}, {2, 1, L"ft", 0.3048, false},  {3, 1, L"mi", 1609.344, false},
      {4, 0, L"mm", 0.001, true},   {5, 0, L"cm", 0.01, true},     {6, 0, L"m", 1.0, true},
      {7, 0, L"km", 1000.0, true},  {10, 1, L"yd", 0.9144, false}, {0, 1, L"mm", 0.001, true},
      {0, 0, L"in", 0.0254, false}, {8, 1, L"mm", 0.001, true},    {20, 0, L"in", 0.0254, false},
  };
  // In-memory libraries: a dozen files would each wait for the disk.
  struct MemFsScope {
    MemFsScope() { register_memvfs(); }
    ~MemFsScope() { unregister_memvfs(); }
  } memfs;
  int n = 0;
  for (const Row& r : rows) {
    SCOPED_TRACE(testing::Message()
                 << "INSUNITS " << r.insunits << " MEASUREMENT " << r.measurement);
    auto lib = LibraryManager::instance().create(OdString::formatted(L"memvfs://u%d", n++),
                                                 kLibraryUnitMillimeter, L"");
    ASSERT_TRUE(lib);
    OdDbDatabasePtr db = drawing(r.insunits, r.measurement);
    seed::setDefaultUnits(lib, db.get());
    KcSmartPtr<Unit> length = lib->defaultUnit(L"LENGTH");
    ASSERT_TRUE(length);
    EXPECT_EQ(length->symbol(), r.length);
    EXPECT_DOUBLE_EQ(length->factor(), r.factor);
    EXPECT_EQ(defaultSymbol(*lib, L"AREA"), r.metric ? L"m^2" : L"ft^2");
    EXPECT_EQ(defaultSymbol(*lib, L"MASS"), r.metric ? L"kg" : L"lbs");
  }
  auto lib = create("null.stocklib");
  seed::setDefaultUnits(lib, nullptr);
  EXPECT_EQ(defaultSymbol(*lib, L"LENGTH"), L"mm");
}

TEST_F(Seeding, UnitsFileIsImportedThenDefaultsSetKeepingExistingOnes) {
  auto lib = create("a.stocklib");
  auto length = lib->save(Measure::create(L"LENGTH"));
  auto area = lib->save(Measure::create(L"AREA"));
  lib->setDefaultUnit(lib->save(Unit::create(L"cm", 0.01, length)).get());
  // A unit of AREA with the metric factor under another symbol, and a LENGTH unit with it too:
  // only the one of the right measure is taken.
  lib->save(Unit::create(L"m", 1.0, length));
  auto sqm = lib->save(Unit::create(L"sq m", 1.0, area));
  seed::setDefaultUnits(lib, drawing(4, 1).get());
  EXPECT_EQ(defaultSymbol(*lib, L"LENGTH"), L"cm");
  EXPECT_EQ(lib->defaultUnit(L"AREA")->id(), sqm->id());
  EXPECT_FALSE(lib->get<Unit>(NameKey(L"m^2")) || lib->get<Unit>(NameKey(L"mm")));
  EXPECT_EQ(defaultSymbol(*lib, L"MASS"), L"kg");

  auto imported = create("b.stocklib");
  seed::importUnits(imported, nullptr);  // no file: nothing at all
  EXPECT_FALSE(imported->defaultUnit(L"LENGTH"));
  auto source = create("units.stocklib");
  auto in = Unit::create(L"in", 0.0254, source->save(Measure::create(L"LENGTH")));
  in->set_label(L"inch");
  source->save(in);
  writeSupport("stocklib_units.xml", exported(*source));
  seed::importUnits(imported, drawing(1, 0).get());
  ASSERT_TRUE(imported->defaultUnit(L"LENGTH"));
  EXPECT_EQ(imported->defaultUnit(L"LENGTH")->label(), L"inch");  // the imported unit itself
  EXPECT_EQ(defaultSymbol(*imported, L"AREA"), L"ft^2");
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
  auto a = ProfileName::create(L"A", nullptr)->save(secondary);
  auto b = ProfileName::create(L"B", nullptr)->save(secondary);
  // Two candidates of the size: the first in order decides the factor.
  rect(secondary, a, L"100x50", 100, 50);
  rect(secondary, b, L"100x50", 1000, 500);
  auto circle = CircleProfile::create(nullptr, L"80x40");
  circle->set_diameter(80);
  circle->save(secondary);
  rect(secondary, nullptr, L"120x60", 120, 70);

  auto wrong = rect(primary, nullptr, L"100x50", 10, 5);
  auto otherClass = rect(primary, nullptr, L"80x40", 8, 4);
  auto noSize = rect(primary, nullptr, L"60x30", 6, 3);
  auto notScaled = rect(primary, nullptr, L"120x60", 12, 6);

  seed::repairProfileScales(primary, secondary);
  const auto stored = [&](const KcSmartPtr<RectangleProfile>& p) {
    auto s = primary->get<RectangleProfile>(p->id());
    return std::make_pair(s->height(), s->width());
  };
  EXPECT_EQ(stored(wrong), std::make_pair(100.0, 50.0));
  EXPECT_EQ(stored(otherClass), std::make_pair(8.0, 4.0));
  EXPECT_EQ(stored(noSize), std::make_pair(6.0, 3.0));
  EXPECT_EQ(stored(notScaled), std::make_pair(12.0, 6.0));

  // Repaired profiles now equal their first match: a second run leaves them alone instead of
  // scaling them to the next candidate.
  seed::repairProfileScales(primary, secondary);
  EXPECT_EQ(stored(wrong), std::make_pair(100.0, 50.0));
  seed::repairProfileScales(primary, nullptr);  // no secondary: nothing to compare with
}
