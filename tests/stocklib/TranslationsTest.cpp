// Translations: the installed catalogue, and .mo files both well-formed and damaged.
#include <fstream>

#include "ScratchDir.h"
#include "TestSupport.h"
#include "stocklib/Translations.h"

using namespace stocklib;

namespace {
// A .mo image with the given pairs (little-endian, sorted as given).
std::string moFile(const std::vector<std::pair<std::string, std::string>>& pairs) {
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
}  // namespace

TEST(Translations, LoadsMoFilesAndAnswersKnownWordsOnly) {
  std::string mo = moFile({{"", "Content-Type: text/plain; charset=UTF-8\n"},
                           {"Concrete", "Béton"},
                           {"Wood", "Bois"},
                           {std::string("File\0Files", 10), std::string("Fichier\0Fichiers", 16)}});
  OdString error;
  auto t = Translations::parseMo(mo, &error);
  ASSERT_TRUE(t) << error.toUtf8();
  EXPECT_EQ(t->size(), 3u);
  OdString out = L"unchanged";
  EXPECT_TRUE(t->translate(L"Concrete", out));
  EXPECT_EQ(out, OdString::fromUtf8("Béton"));
  EXPECT_TRUE(t->translate(L"File", out));
  EXPECT_EQ(out, L"Fichier");
  out = L"unchanged";
  EXPECT_FALSE(t->translate(L"Glass", out));
  EXPECT_EQ(out, L"unchanged");

  EXPECT_EQ(Translations::get(), nullptr);
  Translations::set(t);
  EXPECT_EQ(Translations::get(), t.get());
  Translations::set(nullptr);
  EXPECT_EQ(Translations::get(), nullptr);

  testsupport::ScratchDir dir;
  const std::string file = dir.file("fr.mo").toUtf8();
  std::ofstream(file, std::ios::binary) << mo;
  auto fromFile = Translations::loadMo(OdString::fromUtf8(file), &error);
  ASSERT_TRUE(fromFile);
  EXPECT_TRUE(fromFile->translate(L"Wood", out));
  EXPECT_FALSE(Translations::loadMo(OdString::fromUtf8(file + ".missing"), &error));
  EXPECT_FALSE(error.isEmpty());
}

TEST(Translations, DamagedMoFilesAreRefusedWithAReason) {
  std::string good = moFile({{"Concrete", "Beton"}});
  OdString error;
  EXPECT_FALSE(Translations::parseMo(good.substr(0, 12), &error));    // short header
  EXPECT_FALSE(Translations::parseMo(std::string(40, 'x'), &error));  // bad magic
  EXPECT_NE(error.find(L"magic"), -1);
  // Cut in the string data: the last string's end lies past the file.
  EXPECT_FALSE(Translations::parseMo(good.substr(0, good.size() - 3), &error));
  EXPECT_NE(error.find(L"outside"), -1);
  // A count far beyond what the file can hold.
  std::string huge = good;
  uint32_t count = 0x7fffffff;
  huge.replace(8, 4, reinterpret_cast<const char*>(&count), 4);
  EXPECT_FALSE(Translations::parseMo(huge, &error));
  // An offset pointing past the end.
  std::string far = good;
  uint32_t offset = 0xfffffff0;
  far.replace(32, 4, reinterpret_cast<const char*>(&offset), 4);
  EXPECT_FALSE(Translations::parseMo(far, &error));
}
