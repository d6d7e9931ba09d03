// Library files: create, open, reopen, identity per location, read-only refusal, settings,
// default units, and files that are not (or no longer) libraries.
#include <sys/stat.h>

#include "TestSupport.h"

using namespace stocklib;
using LibraryFile = sltest::TempDir;

TEST_F(LibraryFile, CreateOpenReopenReadOnlyDefaultUnitsAndFilesThatAreNoLibrary) {
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
  again.reset();

  // Read-only, every change is refused.
  lib = m.open(file, true).value();
  EXPECT_TRUE(lib->isReadOnly());
  KcSmartPtr<PropertyNamespace> ns = lib->get<PropertyNamespace>(NameKey(L"User"));
  ASSERT_TRUE(ns);
  ns->set_label(L"changed");
  EXPECT_THROW(ns->save(), Exception);
  EXPECT_THROW(PropertyNamespace::create(L"M")->save(lib), Exception);
  EXPECT_THROW((void)lib->remove(ns), Exception);
  lib.reset();

  // A file that may not be written is read-only even when asked for writing.
  ::chmod(pathUtf8("a.stocklib").c_str(), 0444);
  if (::geteuid() != 0) {
    auto writable = m.open(file, false);
    ASSERT_TRUE(writable);
    EXPECT_TRUE(writable->isReadOnly());
  }
  auto reread = m.open(file, true);
  ASSERT_TRUE(reread);
  EXPECT_EQ(reread->get<PropertyNamespace>(NameKey(L"User"))->has_label(), false);

  // Default units per measure.
  lib = library("u.stocklib");
  auto length = Measure::create(L"LENGTH")->save(lib);
  auto metre = Unit::create(L"m", 1.0, length)->save(lib);
  Unit::create(L"mm", 0.001, length)->save(lib);
  EXPECT_FALSE(lib->defaultUnit(L"LENGTH"));
  auto other = library("v.stocklib");
  auto foreign = Unit::create(L"ft", 0.3048, Measure::create(L"LENGTH")->save(other))->save(other);
  EXPECT_THROW(lib->setDefaultUnit(foreign), ConsistencyError);
  EXPECT_THROW(lib->setDefaultUnit(nullptr), ConsistencyError);
  // A unit made for the purpose is stored first.
  lib->setDefaultUnit(Unit::create(L"km", 1000, length));
  EXPECT_EQ(lib->defaultUnit(L"LENGTH")->symbol(), L"km");
  lib->setDefaultUnit(metre);
  auto loose = Unit::create(L"x", 1.0, nullptr)->save(lib);
  EXPECT_THROW(lib->setDefaultUnit(loose), ConsistencyError);
  // Units of a measure by factor, within a relative tolerance.
  std::vector<KcSmartPtr<Unit>> found;
  EXPECT_EQ(lib->get<Unit>(found, UnitCriteria(length, 0.001 * (1 + 1e-12))), 1u);
  EXPECT_EQ(found[0]->symbol(), L"mm");
  EXPECT_EQ(lib->get<Unit>(found, UnitCriteria(length, 0.0011)), 0u);
  // Removing the default unit clears the default.
  EXPECT_EQ(lib->remove(metre), Library::kRemoved);
  EXPECT_FALSE(lib->defaultUnit(L"LENGTH"));

  // Every refusal names its reason in one line, with the code a caller can act on; a library
  // file the store made opens, also checked.
  const std::map<std::string, ErrorCode> codes = {{"not found", ErrorCode::kNotFound},
                                                  {"damaged", ErrorCode::kDamaged},
                                                  {"not a library", ErrorCode::kNotALibrary},
                                                  {"no location", ErrorCode::kNoLocation}};
  auto memFile = OdString(L"memvfs://") + MemFs::instance().createUnique()->filename();
  for (const auto& c : sltest::dataRows("unreadable_files.txt", 4)) {
    SCOPED_TRACE(c[0] + " " + c[1]);
    const char* name = c[0].c_str();
    const std::string how = c[1].substr(0, c[1].find(' ')), sql = c[1].substr(how.size());
    if (how == "text") std::ofstream(pathUtf8(name)) << "this is not a database, just some text\n";
    if (how == "library") library(name).reset();
    if (how == "library" || how == "sql") sqlOn(name, sql.c_str());
    if (how == "half") {
      auto lib = library(name);
      auto set = PropertySet::create(PropertyNamespace::create(L"N")->save(lib), L"S");
      for (int i = 0; i < 2000; ++i)
        set->append_property_definition(OdString::formatted(L"def %d", i), PropertyType(1, 2))
            ->set_description(OdString(L'x', 200));
      set->save(lib);
      lib.reset();
      std::filesystem::resize_file(pathUtf8(name), std::filesystem::file_size(pathUtf8(name)) / 2);
    }
    const OdString location = c[0] == "memvfs://*" ? memFile
                              : c[0] == "."        ? OdString::fromUtf8(m_dir)
                              : c[0].empty() || c[0].rfind("memvfs:", 0) == 0
                                  ? OdString::fromUtf8(c[0])
                                  : path(name);
    for (bool readOnly : {false, true}) {
      LibraryResult refused = m.open(location, readOnly);
      EXPECT_EQ(refused.code(), codes.at(c[2]));
      EXPECT_NE(refused.message().toUtf8().find(c[3]), std::string::npos)
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
