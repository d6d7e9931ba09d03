// Library files: create, open, reopen, identity per location, read-only refusal, settings,
// default units, and files that are not (or no longer) libraries.
#include <sys/stat.h>

#include <fstream>

#include "TestSupport.h"

using namespace stocklib;

namespace {
class LibraryFile : public sltest::TempDir {};
}  // namespace

TEST_F(LibraryFile, CreateOpenReopenAndIdentity) {
  LibraryManager& m = LibraryManager::instance();
  OdString file = path("a.stocklib");
  EXPECT_FALSE(m.open(file, false));
  EXPECT_NE(m.lastError().find(L"no library file"), -1);

  std::shared_ptr<Library> lib = m.create(file, kLibraryUnitInch, L"Mine");
  ASSERT_TRUE(lib) << m.lastError().toUtf8();
  EXPECT_TRUE(m.lastError().isEmpty());
  EXPECT_TRUE(lib->isNew());
  EXPECT_EQ(lib->filename(), file);
  EXPECT_FALSE(lib->isReadOnly());
  EXPECT_EQ(lib->unit(), kLibraryUnitInch);
  EXPECT_EQ(lib->name(), L"Mine");
  lib->locale(L"de_DE");
  lib->region(L"EU");
  uint32_t nsId = PropertyNamespace::create(L"User")->save(lib)->id();
  EXPECT_NE(nsId, 0u);

  // Same location, other spellings: the same library while it is alive.
  EXPECT_EQ(m.open(file, false), lib);
  EXPECT_EQ(m.open(OdString::fromUtf8(m_dir + "/./a.stocklib"), false), lib);
  EXPECT_EQ(m.create(file, kLibraryUnitMillimeter, L"Other"), lib);
  lib.reset();

  std::shared_ptr<Library> again = m.open(file, false);
  ASSERT_TRUE(again);
  EXPECT_FALSE(again->isNew());
  EXPECT_EQ(again->unit(), kLibraryUnitInch);
  EXPECT_EQ(again->locale(), L"de_DE");
  EXPECT_EQ(again->region(), L"EU");
  KcSmartPtr<PropertyNamespace> ns = again->get<PropertyNamespace>(NameKey(L"User"));
  ASSERT_TRUE(ns);
  EXPECT_EQ(ns->id(), nsId);
  EXPECT_EQ(ns->library(), again);
  again.reset();
  EXPECT_TRUE(sltest::integrityOk(pathUtf8("a.stocklib")));
}

TEST_F(LibraryFile, ReadOnlyRefusesEveryChange) {
  LibraryManager& m = LibraryManager::instance();
  OdString file = path("ro.stocklib");
  {
    auto lib = m.create(file, kLibraryUnitMillimeter, L"");
    ASSERT_TRUE(lib);
    PropertyNamespace::create(L"N")->save(lib);
  }
  auto lib = m.open(file, true);
  ASSERT_TRUE(lib);
  EXPECT_TRUE(lib->isReadOnly());
  KcSmartPtr<PropertyNamespace> ns = lib->get<PropertyNamespace>(NameKey(L"N"));
  ASSERT_TRUE(ns);
  ns->set_label(L"changed");
  EXPECT_THROW(ns->save(), Exception);
  EXPECT_THROW(PropertyNamespace::create(L"M")->save(lib), Exception);
  EXPECT_THROW(lib->locale(L"x"), Exception);
  EXPECT_THROW(lib->remove(ns), Exception);
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

TEST_F(LibraryFile, NonLibraryTruncatedAndNewerFilesGiveEmptyOpenWithReason) {
  LibraryManager& m = LibraryManager::instance();
  {
    std::ofstream out(pathUtf8("text.stocklib"));
    out << "this is not a database at all, just some text that is long enough to matter\n";
  }
  EXPECT_FALSE(m.open(path("text.stocklib"), false));
  EXPECT_FALSE(m.lastError().isEmpty());

  // A foreign SQLite database.
  {
    sqlite3* db = nullptr;
    sqlite3_open(pathUtf8("other.db").c_str(), &db);
    sqlite3_exec(db, "CREATE TABLE t(x)", nullptr, nullptr, nullptr);
    sqlite3_close(db);
  }
  EXPECT_FALSE(m.open(path("other.db"), false));
  EXPECT_NE(m.lastError().find(L"is not a library"), -1) << m.lastError().toUtf8();
  EXPECT_FALSE(m.create(path("other.db"), kLibraryUnitMillimeter, L""));

  // An empty database (what a failed making leaves once its journal is rolled back) is no
  // library yet: opening it fails, making one in it works.
  {
    sqlite3* db = nullptr;
    sqlite3_open(pathUtf8("blank.stocklib").c_str(), &db);
    sqlite3_exec(db, "CREATE TABLE t(x); DROP TABLE t; VACUUM", nullptr, nullptr, nullptr);
    sqlite3_close(db);
  }
  ASSERT_GT(std::filesystem::file_size(pathUtf8("blank.stocklib")), 0u);
  EXPECT_FALSE(m.open(path("blank.stocklib"), false));
  EXPECT_NE(m.lastError().find(L"no library file"), -1) << m.lastError().toUtf8();
  EXPECT_TRUE(m.create(path("blank.stocklib"), kLibraryUnitMillimeter, L""))
      << m.lastError().toUtf8();

  // A library cut in half.
  {
    auto lib = m.create(path("big.stocklib"), kLibraryUnitMillimeter, L"");
    ASSERT_TRUE(lib);
    auto ns = PropertyNamespace::create(L"N")->save(lib);
    auto set = PropertySet::create(ns, L"S");
    for (int i = 0; i < 2000; ++i)
      set->append_property_definition(OdString::formatted(L"def %d", i), PropertyType(1, 2))
          ->set_description(OdString(L'x', 200));
    set->save(lib);
  }
  std::filesystem::resize_file(pathUtf8("big.stocklib"),
                               std::filesystem::file_size(pathUtf8("big.stocklib")) / 2);
  EXPECT_FALSE(m.open(path("big.stocklib"), false));
  EXPECT_FALSE(m.lastError().isEmpty());

  // A newer schema.
  {
    auto lib = m.create(path("new.stocklib"), kLibraryUnitMillimeter, L"");
    ASSERT_TRUE(lib);
  }
  {
    sqlite3* db = nullptr;
    sqlite3_open(pathUtf8("new.stocklib").c_str(), &db);
    sqlite3_exec(db, "PRAGMA user_version=99", nullptr, nullptr, nullptr);
    sqlite3_close(db);
  }
  EXPECT_FALSE(m.open(path("new.stocklib"), false));
  EXPECT_NE(m.lastError().find(L"schema version 99"), -1);
  // A folder is no library either.
  EXPECT_FALSE(m.open(OdString::fromUtf8(m_dir), false));
  EXPECT_FALSE(m.create(OdString(), kLibraryUnitMillimeter, L""));
}

TEST_F(LibraryFile, DefaultUnitsPerMeasure) {
  auto lib = LibraryManager::instance().create(path("u.stocklib"), kLibraryUnitMillimeter, L"");
  ASSERT_TRUE(lib);
  auto length = Measure::create(L"LENGTH")->save(lib);
  auto m = Unit::create(L"m", 1.0, length)->save(lib);
  auto mm = Unit::create(L"mm", 0.001, length)->save(lib);
  EXPECT_FALSE(lib->defaultUnit(L"LENGTH"));
  lib->setDefaultUnit(mm);
  ASSERT_TRUE(lib->defaultUnit(L"LENGTH"));
  EXPECT_EQ(lib->defaultUnit(L"LENGTH")->symbol(), L"mm");
  lib->setDefaultUnit(m);
  EXPECT_EQ(lib->defaultUnit(L"LENGTH")->id(), m->id());
  EXPECT_FALSE(lib->defaultUnit(L"AREA"));
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
  EXPECT_EQ(found.size(), 0u);
  // Removing the default unit clears the default.
  EXPECT_EQ(lib->remove(m), Library::kRemoved);
  EXPECT_FALSE(lib->defaultUnit(L"LENGTH"));
}
