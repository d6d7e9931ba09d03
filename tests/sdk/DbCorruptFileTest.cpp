// Hostile drawing files: missing, foreign, truncated at every offset, flipped bytes and absurd
// counts all give an OdError, and the drawing they were read into stays as it was.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <fstream>
#include <map>
#include <string>
#include <vector>

#include "DataRows.h"
#include "DbDatabase.h"
#include "DbDictionary.h"
#include "DbEntity.h"
#include "DbTestSupport.h"

namespace {

using dbtest::ScratchDir;
using Bytes = std::vector<std::uint8_t>;

// The file's checksum (CRC-32C), recomputed so that crafted files reach the parser.
std::uint32_t crc32c(const Bytes& b, std::size_t n) {
  std::uint32_t c = ~0u;
  for (std::size_t i = 0; i < n; ++i) {
    c ^= b[i];
    for (int k = 0; k < 8; ++k)
      c = (c >> 1) ^ (0x82F63B78u & (0u - (c & 1u)));
  }
  return ~c;
}
void reseal(Bytes& b) {
  std::uint32_t c = crc32c(b, b.size() - 4);
  std::memcpy(b.data() + b.size() - 4, &c, 4);
}
// Writes the `width` low bytes of `value` at `at` (the file is little-endian, as is the host).
void poke(Bytes& b, std::size_t at, std::uint64_t value, std::size_t width) {
  std::memcpy(b.data() + at, &value, width);
  reseal(b);
}

Bytes smallDrawing(const ScratchDir& dir) {
  OdDbDatabasePtr db = odDbCreateDatabase();
  OdDbPolylinePtr pl = OdDbPolyline::createObject();
  pl->addVertexAt(0, OdGePoint2d(1, 2));
  OdDbBlockTableRecordPtr(db->getModelSpaceId().safeOpenObject(OdDb::kForWrite))
      ->appendOdDbEntity(pl);
  OdDbDictionaryPtr nod = db->getNamedObjectsDictionaryId().safeOpenObject(OdDb::kForWrite);
  for (const wchar_t* name : {L"D", L"Dup1", L"Dup2"})
    nod->setAt(OdString(name), OdDbDictionary::createObject());
  nod = nullptr;
  pl = nullptr;
  db->writeFile(dir.file("small.sldrw"));
  return dbtest::readBytes(dir.file("small.sldrw"));
}

// Reads `bytes` into a drawing that has content of its own; answers the error code (eOk when
// it was read) and its description, and checks the drawing is untouched on failure.
OdResult readInto(const ScratchDir& dir, const Bytes& bytes, std::string* why = nullptr) {
  OdString path = dir.file("bad.sldrw");
  std::ofstream(path.toUtf8(), std::ios::binary)
      .write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
  OdDbDatabasePtr db = odDbCreateDatabase(false);
  OdDbObjectId before = db->getNamedObjectsDictionaryId();
  try {
    db->readFile(path);
    return eOk;
  } catch (const OdError& e) {
    EXPECT_EQ(db->getMEASUREMENT(), 0);
    EXPECT_EQ(db->getNamedObjectsDictionaryId(), before);
    EXPECT_TRUE(db->getFilename().isEmpty());
    EXPECT_FALSE(e.description().isEmpty());
    if (why) *why = e.description().toUtf8();
    return e.code();
  }
}

// Offsets of the file's parts, found by walking it as the format describes, and its class count.
struct Layout {
  std::map<std::string, std::size_t> parts;
  std::vector<std::size_t> records;
  std::uint32_t classes;
};
Layout layoutOf(const Bytes& b) {
  auto u32 = [&](std::size_t at) {
    std::uint32_t v;
    std::memcpy(&v, b.data() + at, 4);
    return v;
  };
  Layout l{{{"file", 0}}, {}, 0};
  std::size_t at = l.parts["class count"] = 12 + 4 + u32(12);
  l.classes = u32(at);
  at = l.parts["first class"] = at + 4;
  for (std::uint32_t c = 0; c < l.classes; ++c) {
    for (int s = 0; s < 4; ++s)
      at += 4 + u32(at);
    at += 12;
  }
  l.parts["object count"] = at;
  std::uint64_t count, size;
  std::memcpy(&count, b.data() + at, 8);
  for (at += 8; count > 0; --count) {
    l.records.push_back(at);
    std::memcpy(&size, b.data() + at + 20, 8);  // after the handle, class index and owner
    at += 28 + size;
  }
  l.parts["first object"] = l.records[0];
  return l;
}

TEST(DbCorruptFile, MissingForeignTruncatedFlippedAndAbsurdFiles) {
  ScratchDir dir;
  OdDbDatabasePtr db = odDbCreateDatabase();
  EXPECT_EQ(dbtest::errorCode([&] { db->readFile(dir.file("none.sldrw")); }), eFileNotFound);
  EXPECT_EQ(readInto(dir, Bytes{'h', 'e', 'l', 'l', 'o', '\n'}), eNotADrawing);
  Bytes good = smallDrawing(dir);
  EXPECT_EQ(readInto(dir, good), eOk);
  Bytes newer = good;
  poke(newer, 8, 2, 2);
  EXPECT_EQ(readInto(dir, newer), eUnsupportedVersion);
  for (std::size_t n = 0; n < good.size(); ++n) {
    OdResult r = readInto(dir, Bytes(good.begin(), good.begin() + static_cast<std::ptrdiff_t>(n)));
    EXPECT_TRUE(r == eNotADrawing || r == eBadDrawingFile) << "cut at " << n << ": " << r;
  }
  const Layout l = layoutOf(good);
  const std::size_t classCount = l.parts.at("class count");
  for (std::size_t i = 0; i < good.size(); ++i) {
    Bytes bad = good;
    bad[i] ^= 0x5A;
    EXPECT_NE(readInto(dir, bad), eOk) << "flip at " << i;
    // Flips behind a valid checksum reach the parser: every one is refused or read whole.
    if (i < classCount || i + 4 >= good.size()) continue;
    bad[i] ^= 0x5A ^ 0xFF;
    reseal(bad);
    OdResult r = readInto(dir, bad);
    EXPECT_TRUE(r == eOk || r == eBadDrawingFile) << "flip at " << i << ": " << r;
  }
  for (const auto& row : sltest::dataRows("corrupt-counts.txt", 5)) {
    const std::vector<std::size_t> parts =
        row[0] == "every object" ? l.records : std::vector<std::size_t>{l.parts.at(row[0])};
    for (std::size_t part : parts) {
      Bytes bad = good;
      poke(bad, part + std::stoul(row[1]),
           row[2] == "the class count" ? l.classes : std::stoull(row[2], nullptr, 0),
           std::stoul(row[3]));
      std::string why;
      EXPECT_EQ(readInto(dir, bad, &why), eBadDrawingFile) << row[0] << " at " << row[1];
      EXPECT_NE(why.find(row[4]), std::string::npos) << why;
    }
  }
  // Bytes between the last object and the checksum, behind a valid checksum.
  Bytes trailing = good;
  trailing.insert(trailing.end() - 4, {0, 0, 0, 0});
  reseal(trailing);
  EXPECT_EQ(readInto(dir, trailing), eBadDrawingFile);
  // A dictionary naming one entry twice would lose one of them.
  const std::uint8_t second[] = {4, 0, 0, 0, 'D', 'u', 'p', '2'};
  Bytes twice = good;
  auto at = std::search(twice.begin(), twice.end(), std::begin(second), std::end(second));
  ASSERT_NE(at, twice.end());
  at[7] = '1';
  reseal(twice);
  EXPECT_EQ(readInto(dir, twice), eBadDrawingFile);
}

}  // namespace
