// The progress callbacks of import and check: told in order, ending at the total, and a callback
// that throws ends the call with the library as it was.
#include "TestSupport.h"

using namespace stocklib;
using Progress = sltest::TempDir;

namespace {
using Calls = std::vector<std::pair<std::size_t, std::size_t>>;

// A document of `tags` tags, with a meta element that is not an object.
std::string tagsXml(int tags, const std::string& prefix) {
  std::string xml = "<r><meta><locale>en</locale></meta>";
  for (int i = 0; i < tags; ++i)
    xml += "<Tag name='" + prefix + std::to_string(i) + "'/>";
  return xml + "</r>";
}
// Calls start at 0, rise strictly, keep one total and end at it.
void expectOrdered(const Calls& calls, std::size_t total) {
  ASSERT_FALSE(calls.empty());
  EXPECT_EQ(calls.front().first, 0u);
  EXPECT_EQ(calls.back().first, total);
  for (std::size_t i = 0; i < calls.size(); ++i) {
    EXPECT_EQ(calls[i].second, total) << "call " << i;
    EXPECT_TRUE(i == 0 || calls[i - 1].first < calls[i].first) << "call " << i;
  }
}
}  // namespace

TEST_F(Progress, ImportAndCheckAreToldInOrderAndAThrowLeavesTheLibraryAsItWas) {
  auto lib = library("a.stocklib");
  for (int tags : {0, 1, 250}) {
    Calls calls;
    sltest::importXml(
        *lib, tagsXml(tags, "n" + std::to_string(tags) + "_"), {},
        [&](std::size_t done, std::size_t total) { calls.emplace_back(done, total); });
    expectOrdered(calls, static_cast<std::size_t>(tags));
    EXPECT_LE(calls.size(), 102u) << tags;
    EXPECT_GE(calls.size(), std::min<std::size_t>(tags, 50) + 1) << "called along the way";
  }
  EXPECT_TRUE(lib->get<Tag>(NameKey(L"n250_249")));

  const std::string before = sltest::exportedText(*lib);
  // Thrown midway and at the very last call, when every object is written but not committed.
  for (std::size_t stopAt : {150u, 300u}) {
    auto recorder = std::make_shared<sltest::Recorder>();
    LibraryManager::instance().setReactor(recorder);
    auto stop = [&](std::size_t done, std::size_t) {
      if (done >= stopAt) throw std::runtime_error("stop");
    };
    EXPECT_THROW(sltest::importXml(*lib, tagsXml(300, "t"), {}, stop), std::runtime_error);
    EXPECT_EQ(sltest::exportedText(*lib), before) << stopAt;
    EXPECT_TRUE(recorder->events.empty()) << stopAt;
  }
  // The transaction is over: the same import without the callback succeeds.
  sltest::importXml(*lib, tagsXml(300, "t"));
  EXPECT_TRUE(lib->get<Tag>(NameKey(L"t299")));

  // Check: told every step.
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
