// Translations: the installed catalogue, and .mo files both well-formed and damaged.
#include <fstream>

#include "TestSupport.h"
#include "stocklib/Translations.h"

using namespace stocklib;

namespace {
// A .mo image with the given pairs (little-endian, sorted as given).
std::string moFile(const std::vector<std::pair<std::string, std::string>>& pairs) {
  std::string out;
  auto put = [&](uint32_t v) { out.append(reinterpret_cast<const char*>(&v), 4); };
  uint32_t n = static_cast<uint32_t>(pairs.size());
  uint32_t originals = 28, translations = originals + 8 * n, strings = translations + 8 * n;
  put(0x950412de);
  put(0);
  put(n);
  put(originals);
  put(translations);
  put(0);
  put(0);
  std::string blob;
  std::vector<std::pair<uint32_t, uint32_t>> o, t;
  for (auto& p : pairs) {
    o.emplace_back(static_cast<uint32_t>(p.first.size()),
                   strings + static_cast<uint32_t>(blob.size()));
    blob += p.first + '\0';
  }
  for (auto& p : pairs) {
    t.emplace_back(static_cast<uint32_t>(p.second.size()),
                   strings + static_cast<uint32_t>(blob.size()));
    blob += p.second + '\0';
  }
  for (auto& e : o) {
    put(e.first);
    put(e.second);
  }
  for (auto& e : t) {
    put(e.first);
    put(e.second);
  }
  return out + blob;
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

  char dir[] = "/tmp/stocklib-mo-XXXXXX";
  ASSERT_NE(::mkdtemp(dir), nullptr);
  std::string file = std::string(dir) + "/fr.mo";
  std::ofstream(file, std::ios::binary) << mo;
  auto fromFile = Translations::loadMo(OdString::fromUtf8(file), &error);
  ASSERT_TRUE(fromFile);
  EXPECT_TRUE(fromFile->translate(L"Wood", out));
  EXPECT_FALSE(Translations::loadMo(OdString::fromUtf8(file + ".missing"), &error));
  EXPECT_FALSE(error.isEmpty());
  std::filesystem::remove_all(dir);
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
