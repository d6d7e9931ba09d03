// Translations: .mo files both well-formed and damaged.
#include "ScratchDir.h"
#include "TestSupport.h"
#include "stocklib/Translations.h"

using namespace stocklib;

// A .mo image with the given pairs (little-endian, sorted as given).
static std::string moFile(const std::vector<std::pair<std::string, std::string>>& pairs) {
  std::string header, table, blob;
  auto put = [](std::string& to, uint32_t v) { to.append(reinterpret_cast<const char*>(&v), 4); };
  const uint32_t n = static_cast<uint32_t>(pairs.size()), strings = 28 + 16 * n;
  for (uint32_t v : {0x950412deu, 0u, n, 28u, 28 + 8 * n, 0u, 0u})
    put(header, v);
  // The originals' table, then the translations'; their strings in the same order.
  for (bool translation : {false, true}) {
    for (const auto& p : pairs) {
      const std::string& text = translation ? p.second : p.first;
      put(table, static_cast<uint32_t>(text.size()));
      put(table, strings + static_cast<uint32_t>(blob.size()));
      blob += text + '\0';
    }
  }
  return header + table + blob;
}

// `mo` with the 32-bit word at `at` replaced.
static std::string patched(std::string mo, std::size_t at, uint32_t word) {
  return mo.replace(at, 4, reinterpret_cast<const char*>(&word), 4);
}

TEST(Translations, LoadsMoFilesAnswersKnownWordsOnlyAndRefusesDamagedOnes) {
  std::string mo = moFile({{"", "Content-Type: text/plain; charset=UTF-8\n"},
                           {"Concrete", "Béton"},
                           {"Wood", "Bois"},
                           {std::string("File\0Files", 10), std::string("Fichier\0Fichiers", 16)}});
  OdString error;
  auto t = Translations::parseMo(mo, &error);
  ASSERT_TRUE(t) << error.toUtf8();
  EXPECT_EQ(t->size(), 3u);
  OdString out = L"unchanged";
  EXPECT_FALSE(t->translate(L"Glass", out));
  EXPECT_EQ(out, L"unchanged");
  EXPECT_TRUE(t->translate(L"Concrete", out));
  EXPECT_EQ(out, OdString::fromUtf8("Béton"));
  EXPECT_TRUE(t->translate(L"File", out));  // a plural answers its singular
  EXPECT_EQ(out, L"Fichier");

  testsupport::ScratchDir dir;
  const std::string file = dir.file("fr.mo").toUtf8();
  std::ofstream(file, std::ios::binary) << mo;
  auto fromFile = Translations::loadMo(OdString::fromUtf8(file), &error);
  ASSERT_TRUE(fromFile);
  EXPECT_TRUE(fromFile->translate(L"Wood", out));
  EXPECT_FALSE(Translations::loadMo(OdString::fromUtf8(file + ".missing"), &error));
  EXPECT_FALSE(error.isEmpty());

  const std::string good = moFile({{"Concrete", "Beton"}});
  const std::pair<std::string, const wchar_t*> damaged[] = {
      {good.substr(0, 12), L""},                      // short header
      {std::string(40, 'x'), L"magic"},               // bad magic
      {good.substr(0, good.size() - 3), L"outside"},  // the last string ends past the file
      {patched(good, 8, 0x7fffffff), L""},            // more strings than the file can hold
      {patched(good, 32, 0xfffffff0), L""}};          // an offset past the end
  for (const auto& [text, says] : damaged) {
    SCOPED_TRACE(text.size());
    error = OdString();
    EXPECT_FALSE(Translations::parseMo(text, &error));
    EXPECT_FALSE(error.isEmpty());
    EXPECT_TRUE(!*says || error.find(says) >= 0) << error.toUtf8();
  }
}
