// Library files: create, open, reopen, identity per location, read-only refusal, settings,
// default units, and files that are not (or no longer) libraries.
#include <sys/stat.h>

#include <fstream>
#include <functional>

#include "TestSupport.h"

using namespace stocklib;

namespace {
class LibraryFile : public sltest::TempDir {};
}  // namespace

TEST_F(LibraryFile, CreateOpenReopenAndIdentity) {
  LibraryManager& m = LibraryManager::instance();
  OdString file = path("a.stocklib");
  std::shared_ptr<Library> lib = m.create(file, kLibraryUnitInch, L"Mine");
  ASSERT_TRUE(lib);
  EXPECT_TRUE(lib->isNew());
  lib->locale(L"de_DE");
  lib->region(L"EU");
  uint32_t nsId = PropertyNamespace::create(L"User")->save(lib)->id();

  // Same location, other spellings: the same library while it is alive.
  EXPECT_EQ(m.open(file, false), lib);
  EXPECT_EQ(m.open(OdString::fromUtf8(m_dir + "/./a.stocklib"), false), lib);
  EXPECT_EQ(m.create(file, kLibraryUnitMillimeter, L"Other"), lib);
  lib.reset();

  std::shared_ptr<Library> again = m.open(file, false);
  ASSERT_TRUE(again);
  EXPECT_FALSE(again->isNew());
  EXPECT_EQ(again->unit(), kLibraryUnitInch);
  EXPECT_EQ(again->name(), L"Mine");
  EXPECT_EQ(again->locale(), L"de_DE");
  EXPECT_EQ(again->region(), L"EU");
  EXPECT_EQ(again->get<PropertyNamespace>(NameKey(L"User"))->id(), nsId);
}

TEST_F(LibraryFile, ReadOnlyRefusesEveryChange) {
  LibraryManager& m = LibraryManager::instance();
  OdString file = path("ro.stocklib");
  {
    auto lib = m.create(file, kLibraryUnitMillimeter, L"");
    ASSERT_TRUE(lib);
    PropertyNamespace::create(L"N")->save(lib);
  }
  std::shared_ptr<Library> lib = m.open(file, true).value();
  EXPECT_TRUE(lib->isReadOnly());
  KcSmartPtr<PropertyNamespace> ns = lib->get<PropertyNamespace>(NameKey(L"N"));
  ASSERT_TRUE(ns);
  ns->set_label(L"changed");
  EXPECT_THROW(ns->save(), Exception);
  EXPECT_THROW(PropertyNamespace::create(L"M")->save(lib), Exception);
  EXPECT_THROW((void)lib->remove(ns), Exception);
  lib.reset();

  // A file that may not be written is read-only even when asked for writing.
  ::chmod(pathUtf8("ro.stocklib").c_str(), 0444);
  if (::geteuid() != 0) {
    auto again = m.open(file, false);
    ASSERT_TRUE(again);
    EXPECT_TRUE(again->isReadOnly());
  }
  auto reread = m.open(file, true);
  ASSERT_TRUE(reread);
  EXPECT_EQ(reread->get<PropertyNamespace>(NameKey(L"N"))->has_label(), false);
}

// Every refusal names its reason in one line, with the code a caller can act on; a library
// file the store made opens, also checked.
TEST_F(LibraryFile, FilesThatAreNoLibraryAreRefusedWithTheirReason) {
  LibraryManager& m = LibraryManager::instance();
  auto text = [this](const char* name) {
    std::ofstream(pathUtf8(name)) << "this is not a database at all, just some long text\n";
  };
  auto bigCutInHalf = [this](const char* name) {
    auto lib = library(name);
    auto set = PropertySet::create(PropertyNamespace::create(L"N")->save(lib), L"S");
    for (int i = 0; i < 2000; ++i)
      set->append_property_definition(OdString::formatted(L"def %d", i), PropertyType(1, 2))
          ->set_description(OdString(L'x', 200));
    set->save(lib);
    lib.reset();
    std::filesystem::resize_file(pathUtf8(name), std::filesystem::file_size(pathUtf8(name)) / 2);
  };
  // A database written behind the store's back: a library made by it first, or none.
  auto sqlite = [this](bool onLibrary, const char* statement) {
    return [this, onLibrary, statement](const char* name) {
      if (onLibrary) library(name).reset();
      sqlOn(name, statement);
    };
  };
  auto memFile = OdString(L"memvfs://") + MemFs::instance().createUnique()->filename();
  struct Case {
    OdString location;
    std::function<void(const char*)> make;
    ErrorCode code;
    const char* named;
  } cases[] = {
      {path("none.stocklib"), nullptr, ErrorCode::kNotFound, "no library file"},
      {path("text.stocklib"), text, ErrorCode::kDamaged, "text.stocklib"},
      {path("other.db"), sqlite(false, "CREATE TABLE t(x)"), ErrorCode::kNotALibrary,
       "is not a library"},
      // What a failed making leaves once its journal is rolled back: no library yet.
      {path("blank.stocklib"), sqlite(false, "CREATE TABLE t(x); DROP TABLE t; VACUUM"),
       ErrorCode::kNotFound, "no library file"},
      {path("big.stocklib"), bigCutInHalf, ErrorCode::kDamaged, "big.stocklib"},
      {path("trigger.stocklib"),
       sqlite(true, "CREATE TRIGGER eat AFTER INSERT ON o_Tag BEGIN DELETE FROM o_Tag; END"),
       ErrorCode::kNotALibrary, "trigger eat"},
      {path("view.stocklib"), sqlite(true, "CREATE VIEW peek AS SELECT * FROM objects"),
       ErrorCode::kNotALibrary, "view peek"},
      {path("table.stocklib"), sqlite(true, "CREATE TABLE stash(x)"), ErrorCode::kNotALibrary,
       "table stash"},
      {OdString::fromUtf8(m_dir), nullptr, ErrorCode::kNotALibrary, "is not a file"},
      {OdString(), nullptr, ErrorCode::kNoLocation, "no library location"},
      {L"memvfs://", nullptr, ErrorCode::kNoLocation, "needs a file name"},
      {L"memvfs://no-such-file", nullptr, ErrorCode::kNotFound, "no in-memory file"},
      {memFile, nullptr, ErrorCode::kNotFound, "is empty"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.location.toUtf8());
    std::string file = c.location.toUtf8();
    if (c.make) c.make(file.substr(file.rfind('/') + 1).c_str());
    for (bool readOnly : {false, true}) {
      LibraryResult refused = m.open(c.location, readOnly);
      EXPECT_EQ(refused.code(), c.code);
      EXPECT_NE(refused.message().toUtf8().find(c.named), std::string::npos)
          << refused.message().toUtf8();
      EXPECT_EQ(refused.message().find(L"\n"), -1);
      EXPECT_THROW(refused.value(), Exception);
    }
  }
  // Made where there was none; an empty file or database is made into one.
  EXPECT_TRUE(m.create(path("blank.stocklib"), kLibraryUnitMillimeter, L""));
  EXPECT_TRUE(m.create(memFile, kLibraryUnitInch, L""));
  EXPECT_FALSE(m.create(path("other.db"), kLibraryUnitMillimeter, L""));
  EXPECT_EQ(m.create(path("no/folder.stocklib"), kLibraryUnitInch, L"").code(),
            ErrorCode::kNotWritable);
  // The store's own tables and indexes do not count against a file.
  library("ok.stocklib").reset();
  LibraryResult ok = m.openChecked(path("ok.stocklib"));
  ASSERT_TRUE(ok) << ok.message().toUtf8();
  EXPECT_EQ(ok->check(), std::vector<OdString>());
}

TEST_F(LibraryFile, DefaultUnitsPerMeasure) {
  auto lib = LibraryManager::instance().create(path("u.stocklib"), kLibraryUnitMillimeter, L"");
  ASSERT_TRUE(lib);
  auto length = Measure::create(L"LENGTH")->save(lib);
  auto m = Unit::create(L"m", 1.0, length)->save(lib);
  Unit::create(L"mm", 0.001, length)->save(lib);
  EXPECT_FALSE(lib->defaultUnit(L"LENGTH"));
  auto other = LibraryManager::instance().create(path("v.stocklib"), kLibraryUnitMillimeter, L"");
  auto foreign = Unit::create(L"ft", 0.3048, Measure::create(L"LENGTH")->save(other))->save(other);
  EXPECT_THROW(lib->setDefaultUnit(foreign), ConsistencyError);
  EXPECT_THROW(lib->setDefaultUnit(nullptr), ConsistencyError);
  // A unit made for the purpose is stored first.
  lib->setDefaultUnit(Unit::create(L"km", 1000, length));
  EXPECT_EQ(lib->defaultUnit(L"LENGTH")->symbol(), L"km");
  lib->setDefaultUnit(m);
  auto loose = Unit::create(L"x", 1.0, nullptr)->save(lib);
  EXPECT_THROW(lib->setDefaultUnit(loose), ConsistencyError);
  // Units of a measure by factor, within a relative tolerance.
  std::vector<KcSmartPtr<Unit>> found;
  EXPECT_EQ(lib->get<Unit>(found, UnitCriteria(length, 0.001 * (1 + 1e-12))), 1u);
  EXPECT_EQ(found[0]->symbol(), L"mm");
  EXPECT_EQ(lib->get<Unit>(found, UnitCriteria(length, 0.0011)), 0u);
  // Removing the default unit clears the default.
  EXPECT_EQ(lib->remove(m), Library::kRemoved);
  EXPECT_FALSE(lib->defaultUnit(L"LENGTH"));
}
