// The progress callbacks of import and check: told in order, ending at the total, and a callback
// that throws ends the call with the library as it was.
#include <pugixml.hpp>

#include <algorithm>
#include <stdexcept>
#include <utility>

#include "TestSupport.h"

using namespace stocklib;

namespace {
using Calls = std::vector<std::pair<std::size_t, std::size_t>>;

class Progress : public sltest::TempDir {
 protected:
  // A document of `tags` tags, with a meta element that is not an object.
  static std::string tagsXml(int tags, const char* prefix) {
    std::string xml = "<r><meta><locale>en</locale></meta>";
    for (int i = 0; i < tags; ++i)
      xml += "<Tag name='" + std::string(prefix) + std::to_string(i) + "'/>";
    return xml + "</r>";
  }
  // Calls start at 0, rise strictly, keep one total and end at it.
  static void expectOrdered(const Calls& calls, std::size_t total) {
    ASSERT_FALSE(calls.empty());
    EXPECT_EQ(calls.front().first, 0u);
    EXPECT_EQ(calls.back().first, total);
    for (std::size_t i = 0; i < calls.size(); ++i) {
      EXPECT_EQ(calls[i].second, total) << "call " << i;
      if (i) {
        EXPECT_LT(calls[i - 1].first, calls[i].first) << "call " << i;
      }
    }
  }
};
}  // namespace

TEST_F(Progress, ImportIsToldAboutAHundredTimesInOrderUpToItsObjects) {
  auto lib = library("a.stocklib");
  for (int tags : {0, 1, 250}) {
    pugi::xml_document doc;
    ASSERT_TRUE(doc.load_string(tagsXml(tags, ("n" + std::to_string(tags) + "_").c_str()).c_str()));
    pugi::xml_node root = doc.first_child();
    Calls calls;
    lib->importFromXml(root, Library::ImportOptions(), [&](std::size_t done, std::size_t total) {
      calls.emplace_back(done, total);
    });
    expectOrdered(calls, static_cast<std::size_t>(tags));
    EXPECT_LE(calls.size(), 102u) << tags;
    EXPECT_GE(calls.size(), std::min<std::size_t>(tags, 50) + 1) << "called along the way";
  }
  EXPECT_TRUE(lib->get<Tag>(NameKey(L"n250_249")));
}

TEST_F(Progress, ImportWhoseCallbackThrowsLeavesTheLibraryAsItWas) {
  auto lib = library("a.stocklib");
  Tag::create(L"kept")->save(lib);
  const std::string before = sltest::exportedText(*lib);
  pugi::xml_document doc;
  ASSERT_TRUE(doc.load_string(tagsXml(300, "t").c_str()));
  pugi::xml_node root = doc.first_child();
  // Thrown midway and at the very last call, when every object is written but not committed.
  for (std::size_t stopAt : {150u, 300u}) {
    auto recorder = std::make_shared<sltest::Recorder>();
    LibraryManager::instance().setReactor(recorder);
    auto stop = [&](std::size_t done, std::size_t) {
      if (done >= stopAt) throw std::runtime_error("stop");
    };
    EXPECT_THROW(lib->importFromXml(root, Library::ImportOptions(), stop), std::runtime_error)
        << stopAt;
    EXPECT_EQ(sltest::exportedText(*lib), before) << stopAt;
    EXPECT_TRUE(recorder->events.empty()) << stopAt;
  }
  // The transaction is over: the same import without the callback succeeds.
  lib->importFromXml(root, Library::ImportOptions());
  EXPECT_TRUE(lib->get<Tag>(NameKey(L"t299")));
}

TEST_F(Progress, CheckIsToldEveryStepAndAThrowEndsIt) {
  auto lib = library("a.stocklib");
  Tag::create(L"t")->save(lib);
  for (std::size_t limit : {20u, 0u}) {
    Calls calls;
    EXPECT_TRUE(
        lib->check(limit, [&](std::size_t d, std::size_t t) { calls.emplace_back(d, t); }).empty());
    ASSERT_GT(calls.size(), 3u);
    expectOrdered(calls, calls.back().second);
    EXPECT_EQ(calls.size(), calls.back().second + 1) << "one call per step";
  }
  EXPECT_THROW(lib->check(20,
                          [](std::size_t done, std::size_t) {
                            if (done == 2) throw std::runtime_error("stop");
                          }),
               std::runtime_error);
  EXPECT_TRUE(lib->check().empty());
}
