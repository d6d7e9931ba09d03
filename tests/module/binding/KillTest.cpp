// A drawing with an embedded library, saved by a child process that is killed at random moments,
// many times: the drawing on disk is always the old or the new one, whole, and its library passes
// the store's check; the temporary files the killed saves left go with the next good save.
#include <filesystem>
#include <fstream>
#include <random>

#include "DocLibsSupport.h"
#include "KilledChild.h"
#include "OdError.h"

using sltest::DocLibsTest;

namespace {
constexpr int kKills = 12;
constexpr int kTagsPerRound = 2000;

std::size_t temporaries(const std::string& folder) {
  std::size_t n = 0;
  for (const auto& e : std::filesystem::directory_iterator(folder))
    n += e.path().filename().string().rfind("d.dwg.sltmp-", 0) == 0;
  return n;
}
}  // namespace

TEST_F(DocLibsTest, KilledDrawingSavesLeaveTheOldOrTheNewDrawing) {
  const OdString path = dir.file("d.dwg");
  {
    auto [db, docs] = newDrawing();
    docs->initialize();
    db->writeFile(path);
  }
  std::mt19937 random(std::random_device{}());
  for (int round = 0; round < kKills; ++round) {
    const int delayMs = std::uniform_int_distribution<int>(0, 120)(random);
    SCOPED_TRACE(std::to_string(round) + ", killed after " + std::to_string(delayMs) + " ms");
    ASSERT_TRUE(sltest::killedWhileSaving(delayMs, [&](auto ready) {
      OdDbDatabasePtr db = odDbCreateDatabase(true);
      db->readFile(path);
      auto primary = sl_db::docLibs(db.get())->primary(false);
      if (!primary) ::_exit(3);
      for (int i = 0; i < kTagsPerRound; ++i) {
        auto tag = stocklib::Tag::create(OdString::formatted(L"round %d %d", round, i));
        tag->set_description(OdString(L'd', 300));
        primary->save(tag);
      }
      ready();
      db->writeFile(path);
    })) << "the child failed on its own";

    OdDbDatabasePtr db = odDbCreateDatabase(true);
    ASSERT_NO_THROW(db->readFile(path));
    auto primary = sl_db::docLibs(db.get())->primary();
    ASSERT_TRUE(primary);
    std::vector<KcSmartPtr<stocklib::Tag>> mine;
    primary->get(mine, stocklib::StringCriteria(OdString::formatted(L"round %d ", round),
                                                stocklib::StringCriteria::kBeginsWith));
    EXPECT_TRUE(mine.empty() || mine.size() == kTagsPerRound) << mine.size();
    EXPECT_EQ(primary->check(), std::vector<OdString>());
  }
  // Killed saves may have left their temporary files; the next good save removes them.
  const std::string folder = dir.path().toUtf8();
  std::ofstream(folder + "/d.dwg.sltmp-AbC123") << "left by a killed save";
  ASSERT_GE(temporaries(folder), 1u);
  OdDbDatabasePtr db = odDbCreateDatabase(true);
  db->readFile(path);
  db->writeFile(path);
  EXPECT_EQ(temporaries(folder), 0u);
}
