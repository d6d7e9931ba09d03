// Files and values from elsewhere: lengths that overflow on conversion, damaged references,
// and damage found after opening.
#include "TestSupport.h"

using namespace stocklib;
using HostileFile = sltest::TempDir;

TEST_F(HostileFile, OverflowingLengthsDanglingReferencesOrphansAndLaterDamageAreFound) {
  auto inch = library("inch.stocklib", kLibraryUnitInch);
  auto mm = library("mm.stocklib");
  auto circle = CircleProfile::create(ProfileName::create(L"Big", nullptr), L"1");
  circle->set_diameter(1e308);  // finite in inches, not in millimetres
  circle = circle->save(inch);
  EXPECT_EQ(inch->check(), std::vector<OdString>());

  pugi::xml_document doc;
  pugi::xml_node root = doc.append_child("stocklib");
  inch->exportToXml(root);
  root.prepend_child("Tag").append_attribute("name") = "before";
  std::string refused = sltest::thrown([&] { mm->importFromXml(root, {kLibraryUnitInch}); });
  EXPECT_NE(refused.find("CircleProfile"), std::string::npos) << refused;
  EXPECT_NE(refused.find("\"diameter\""), std::string::npos) << refused;
  EXPECT_FALSE(mm->get<Tag>(NameKey(L"before")));
  // The same number in the target's own unit fits.
  mm->importFromXml(root, Library::ImportOptions());
  EXPECT_TRUE(mm->get<Tag>(NameKey(L"before")));

  auto target = library("target.stocklib");
  refused = sltest::thrown<ConsistencyError>([&] { circle->save(target); });
  EXPECT_NE(refused.find("diameter"), std::string::npos) << refused;
  IdMapping mapping(target.get());
  EXPECT_THROW(target->copyAll(inch, mapping), ConsistencyError);
  EXPECT_EQ(sltest::count<ProfileName>(target), 0u);  // nothing it refers to stays either

  // A value that is not finite is refused by a plain save as well.
  auto other = CircleProfile::create(ProfileName::create(L"Inf", nullptr), L"2");
  other->set_diameter(std::numeric_limits<double>::infinity());
  EXPECT_THROW(other->save(mm), ConsistencyError);

  // Dangling references and orphans are refused when opened checked.
  {
    auto lib = library("d.stocklib");
    auto ns = PropertyNamespace::create(L"N")->save(lib);
    auto set = PropertySet::create(ns, L"S");
    set->append_property_definition(L"P", PropertyType(1, 2));
    set->save(lib);
    Tag::create(L"T")->save(lib);
  }
  // Behind the store's back: the namespace's row goes (its object stays, the set points at
  // nothing), and the tag loses its object entry.
  sqlOn("d.stocklib",
        "PRAGMA foreign_keys=OFF;"
        "DELETE FROM o_PropertyNamespace;"
        "DELETE FROM objects WHERE id = (SELECT id FROM o_Tag);");
  auto checked = LibraryManager::instance().openChecked(path("d.stocklib"));
  EXPECT_EQ(checked.code(), ErrorCode::kInconsistent);
  std::string why = checked.message().toUtf8();
  EXPECT_NE(why.find("PropertyNamespace without their data"), std::string::npos) << why;

  // An ordinary open still reads it, and check names every kind of damage.
  auto lib = LibraryManager::instance().open(path("d.stocklib"), true);
  ASSERT_TRUE(lib) << lib.message().toUtf8();
  std::string problems;
  for (const OdString& line : lib->check())
    problems += line.toUtf8() + "\n";
  EXPECT_NE(problems.find("1 PropertyNamespace without their data"), std::string::npos) << problems;
  EXPECT_NE(problems.find("1 Tag rows of no object"), std::string::npos) << problems;
  EXPECT_NE(problems.find("dangling reference"), std::string::npos) << problems;
  EXPECT_EQ(lib->check(1).size(), 1u);

  // Damage found after opening is an exception of every reading call.
  auto late = library("late.stocklib");
  late->locale(L"en-GB");
  Tag::create(L"T")->save(late);
  ASSERT_EQ(late->name(), L"");
  {
    // Another writer garbles the settings' page and bumps the change counter, so that the open
    // connection reads the page again.
    std::fstream f(pathUtf8("late.stocklib"), std::ios::in | std::ios::out | std::ios::binary);
    f.seekp(4096);
    std::string junk(4096, '\xA5');
    f.write(junk.data(), junk.size());
    f.seekp(24);
    f.write("\x7f\x7f\x7f\x7f", 4);
  }
  EXPECT_THROW(late->name(), Exception);
  EXPECT_THROW(late->locale(L"fr-FR"), Exception);
  EXPECT_NO_THROW(late->unit());
}
