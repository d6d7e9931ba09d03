// The lookup cache: every change to the file, by this library or another connection, is seen by the
// next lookup; failed saves and unsaved edits leave answers as today.
#include "TestSupport.h"

using namespace stocklib;

namespace {

class LookupCache : public sltest::TempDir {
 protected:
  // Another connection writes `sql` to the library file (one in another process is alike: the
  // store looks at the file, not at its own connections).
  void writeFromAnotherConnection(const std::string& sql) { sqlOn("a.stocklib", sql.c_str()); }
  OdString description(const std::shared_ptr<Library>& lib, const wchar_t* name) {
    KcSmartPtr<Material> m = lib->get<Material>(NameKey(name));
    return m ? m->description() : OdString(L"(none)");
  }
};

TEST_F(LookupCache, EveryChangeIsSeenAndUnsavedOrFailedOnesAreNot) {
  std::shared_ptr<Library> lib = library("a.stocklib");
  KcSmartPtr<Material> m = Material::create(L"Oak");
  m->set_description(L"one");
  uint32_t id = lib->save(m)->id();
  m = nullptr;

  // Repeated lookups are answered from the cache, misses too.
  EXPECT_EQ(description(lib, L"Oak"), L"one");
  EXPECT_EQ(description(lib, L"Ash"), L"(none)");
  uint64_t hits = lib->cacheInfo().hits;
  EXPECT_EQ(description(lib, L"Oak"), L"one");
  EXPECT_EQ(description(lib, L"Ash"), L"(none)");
  EXPECT_EQ(lib->get<Material>(id)->description(), L"one");
  EXPECT_GE(lib->cacheInfo().hits, hits + 3);

  // Through this library: an update, a rename, an insert into a cached miss.
  m = lib->get<Material>(id);
  m->set_description(L"two");
  m->save();
  EXPECT_EQ(lib->get<Material>(id)->description(), L"two");
  m->set_name(L"Elm");
  m->save();
  EXPECT_EQ(description(lib, L"Oak"), L"(none)");
  EXPECT_EQ(description(lib, L"Elm"), L"two");
  lib->save(Material::create(L"Ash"));
  EXPECT_EQ(description(lib, L"Ash"), L"");

  // Through another connection: an update, a new object under a cached miss, a removal.
  EXPECT_EQ(description(lib, L"Fir"), L"(none)");
  writeFromAnotherConnection("UPDATE o_Material SET description='four' WHERE name='Elm'");
  EXPECT_EQ(lib->get<Material>(id)->description(), L"four");
  writeFromAnotherConnection(
      "INSERT INTO objects(type) VALUES(" + std::to_string(static_cast<int>(ObjectType::Material)) +
      "); INSERT INTO o_Material(id, name, description) VALUES(last_insert_rowid(), 'Fir', 'new')");
  EXPECT_EQ(description(lib, L"Fir"), L"new");
  writeFromAnotherConnection("PRAGMA foreign_keys=ON; DELETE FROM objects WHERE id=" +
                             std::to_string(id));
  EXPECT_EQ(description(lib, L"Elm"), L"(none)");
  EXPECT_FALSE(lib->get<Material>(id));

  // Removed through this library: neither its id nor its key is answered any more.
  KcSmartPtr<Material> ash = lib->get<Material>(NameKey(L"Ash"));
  EXPECT_EQ(lib->remove(ash), Library::kRemoved);
  EXPECT_EQ(description(lib, L"Ash"), L"(none)");

  // Owned objects, unsaved edits and failed saves answer as the file.
  std::shared_ptr<Library> elsewhere = library("b.stocklib");
  KcSmartPtr<CustomProperty> fire = CustomProperty::create(L"Fire", 0)->save(lib);
  KcSmartPtr<CustomProperty> foreign = CustomProperty::create(L"Foreign", 0)->save(elsewhere);
  m = Material::create(L"Oak");
  m->set_description(L"file");
  m->set_custom_value(fire, L"A1");
  id = lib->save(m)->id();
  m = nullptr;

  // Owned objects: a changed list is seen through the cached owner.
  m = lib->get<Material>(id);
  m->set_custom_value(fire, L"B2");
  m->save();
  EXPECT_EQ(lib->get<Material>(id)->custom_value(fire), L"B2");
  m->clear_custom_value(fire);
  m->save();
  EXPECT_FALSE(lib->get<Material>(id)->has_custom_value(fire));

  // Unsaved edits: without a session each lookup answers the file (within one, the same object:
  // Objects.PropertySetRoundTripWithOrderedDefinitions).
  m = lib->get<Material>(id);
  m->set_description(L"edited");
  EXPECT_EQ(lib->get<Material>(id)->description(), L"file");
  EXPECT_EQ(lib->get<Material>(NameKey(L"Oak"))->description(), L"file");

  // A save that fails after writing the owner's row is rolled back, and so are the answers.
  m = lib->get<Material>(id);
  m->set_name(L"Renamed");
  m->set_description(L"lost");
  m->set_custom_value(foreign, L"x");
  EXPECT_THROW(m->save(), ConsistencyError);
  EXPECT_FALSE(lib->get<Material>(NameKey(L"Renamed")));
  KcSmartPtr<Material> again = lib->get<Material>(NameKey(L"Oak"));
  ASSERT_TRUE(again);
  EXPECT_EQ(again->description(), L"file");
  EXPECT_TRUE(again->custom_values().empty());

  // Read scopes and the limit.
  for (const wchar_t* name : {L"Ash", L"Elm"})
    lib->save(Material::create(name));
  {
    Library::ReadScope scope(*lib);
    Library::ReadScope nested(*lib);
    EXPECT_TRUE(lib->get<Material>(NameKey(L"Oak")));
    // A save inside a scope ends its read transaction first, and is seen at once.
    KcSmartPtr<Material> ash = lib->get<Material>(NameKey(L"Ash"));
    ash->set_description(L"saved in a scope");
    ash->save();
    EXPECT_EQ(lib->get<Material>(NameKey(L"Ash"))->description(), L"saved in a scope");
  }
  // The scope's read transaction ended with it: another connection can write, and is seen.
  writeFromAnotherConnection("UPDATE o_Material SET description='outside' WHERE name='Oak'");
  {
    Library::ReadScope scope(*lib);
    EXPECT_EQ(description(lib, L"Oak"), L"outside");
  }

  lib->setCacheLimit(2);
  for (const wchar_t* name : {L"Oak", L"Ash", L"Elm", L"Fir"})
    lib->get<Material>(NameKey(name));
  Library::CacheInfo info = lib->cacheInfo();
  EXPECT_EQ(info.rows, 2u);
  EXPECT_EQ(info.keys, 2u);
  // The least recently used went first: Elm and Fir stay, Oak is read again.
  uint64_t misses = info.misses;
  lib->get<Material>(NameKey(L"Fir"));
  EXPECT_EQ(lib->cacheInfo().misses, misses);
  lib->get<Material>(NameKey(L"Oak"));
  EXPECT_GT(lib->cacheInfo().misses, misses);

  lib->setCacheLimit(0);
  EXPECT_EQ(lib->cacheInfo().rows, 0u);
  EXPECT_EQ(description(lib, L"Elm"), L"");
}

}  // namespace
