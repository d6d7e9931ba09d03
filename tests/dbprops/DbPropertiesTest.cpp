// DbProperties as a container: storing, replacing, removing, name order, instance set keys and
// the filed form, damaged data kept and bounded, and the limits shared by writer and reader.
#include "dbprops/DbProperties.h"

#include <gtest/gtest.h>

#include "DbMemoryFiler.h"
#include "Samples.h"

namespace {

std::shared_ptr<DbProperty> real(double v) {
  return std::make_shared<DbPropertyContainer<double>>(v);
}

std::vector<std::uint8_t> filedOut(const DbProperties& c) {
  std::vector<std::uint8_t> bytes;
  c.dwgOut(samples::writer(bytes).get());
  return bytes;
}

// A number nested in arrays, `levels` deep in all.
DbPropertyPtr nest(int levels) {
  DbPropertyPtr v = real(1);
  for (int i = 1; i < levels; ++i)
    v = std::make_shared<DbPropertyContainer<DbArray<DbPropertyPtr>>>(
        DbArray<DbPropertyPtr>{nullptr, v});
  return v;
}

std::vector<OdString> names(const DbProperties& container) {
  std::vector<OdString> out;
  for (const auto& entry : container)
    out.push_back(entry.first);
  return out;
}

}  // namespace

TEST(DbProperties, StoresReplacesRemovesAndFilesWhatReadsBackInNameOrder) {
  OdStaticRxObject<DbProperties> container;
  EXPECT_FALSE(container.setProperty(L"Width~Door", nullptr));
  auto width = real(0.9);
  EXPECT_TRUE(container.setProperty(L"Width~Door", width));
  EXPECT_EQ(container.getProperty(L"Width~Door"), width);  // the value itself, not a copy
  EXPECT_TRUE(container.setProperty(L"Width~Door", real(2.0)));
  EXPECT_EQ(container.size(), 1u);
  EXPECT_NE(container.getProperty(L"Width~Door"), width);
  EXPECT_EQ(container.getProperty(L"width~door"), nullptr);  // names are case-sensitive
  EXPECT_TRUE(container.resetProperty(L"Width~Door"));
  EXPECT_FALSE(container.resetProperty(L"Width~Door"));
  EXPECT_EQ(container.size(), 0u);

  // UTF-16 code unit order: U+10000 is the surrogate pair D800 DC00, below U+FFFF.
  for (const wchar_t* name : {L"b", L"\uffff", L"\U00010000", L"B", L"a~", L"a", L""})
    container.setProperty(name, real(1));
  EXPECT_EQ(names(container),
            (std::vector<OdString>{L"", L"B", L"a", L"a~", L"b", L"\U00010000", L"\uffff"}));

  EXPECT_TRUE(container.attachInstancePropertySet(L"Fire~Safety"));
  EXPECT_TRUE(container.attachInstancePropertySet(L"Acoustic~Safety"));
  EXPECT_FALSE(container.attachInstancePropertySet(L"Fire~Safety"));
  EXPECT_FALSE(container.attachInstancePropertySet(L""));
  EXPECT_FALSE(container.detachInstancePropertySet(L"Other"));
  auto mapped = std::make_shared<DbPropertyContainer<OdString>>(OdString(L"EI 60"));
  mapped->setMapped(true);
  container.setProperty(L"Rating~Fire", mapped);
  container.setProperty(L"Empty", DbPropertyType::get<DbArray<double>>().createProperty());

  // Stored only when it reads back: no deeper than the reader follows.
  EXPECT_TRUE(container.setProperty(L"Deepest", nest(DbProperties::maxNesting())));
  EXPECT_FALSE(container.setProperty(L"TooDeep", nest(DbProperties::maxNesting() + 1)));
  auto deepMap = std::make_shared<DbPropertyContainer<std::map<OdString, DbPropertyPtr>>>(
      std::map<OdString, DbPropertyPtr>{{L"k", nest(DbProperties::maxNesting())}});
  EXPECT_FALSE(container.setProperty(L"TooDeepInAMap", deepMap));
  EXPECT_EQ(container.getProperty(L"TooDeep"), nullptr);

  OdStaticRxObject<DbProperties> back;
  ASSERT_EQ(back.dwgIn(samples::reader(filedOut(container)).get()), eOk);
  EXPECT_FALSE(back.isDamaged()) << back.damage().toUtf8();
  EXPECT_EQ(back.instancePropertySets(), (OdArray<OdString>{L"Fire~Safety", L"Acoustic~Safety"}));
  EXPECT_EQ(names(back), names(container));
  for (const auto& entry : container)
    EXPECT_EQ(samples::filed(*back.getProperty(entry.first)), samples::filed(*entry.second));
  EXPECT_TRUE(back.detachInstancePropertySet(L"Fire~Safety"));
  EXPECT_EQ(back.instancePropertySets(), OdArray<OdString>{L"Acoustic~Safety"});
}

namespace {

// One filed value: name, descriptor and data, as the container writes it.
std::vector<std::uint8_t> entry(const OdString& name, const DbProperty& value) {
  std::vector<std::uint8_t> bytes;
  samples::writer(bytes)->wrString(name);
  const std::vector<std::uint8_t> filed = samples::filed(value);
  bytes.insert(bytes.end(), filed.begin(), filed.end());
  return bytes;
}

// Container data from filed values: version, count, the values, then one instance set key.
std::vector<std::uint8_t> container(std::int32_t version, std::uint32_t count,
                                    const std::vector<std::vector<std::uint8_t>>& entries) {
  std::vector<std::uint8_t> bytes;
  OdDbDwgFilerPtr out = samples::writer(bytes);
  out->wrInt32(version);
  out->wrUInt32(count);
  for (const auto& e : entries)
    out->wrBytes(e.data(), e.size());
  out->wrUInt32(1);
  out->wrString(L"Fire~Safety");
  return bytes;
}

}  // namespace

TEST(DbProperties, DamagedDataIsKeptAndWhatCanBeReadIsListed) {
  const auto a = entry(L"A", *real(1));
  const auto b = entry(L"B", DbPropertyContainer<bool>(true));
  const auto c = entry(L"C", DbPropertyContainer<OdString>(OdString(L"c")));
  const auto d = entry(L"D", *real(4));
  auto badBool = b;
  badBool.back() = 2;
  auto badFlags = c;
  badFlags[4 + 1 + 12] = 0x41;  // after the name "C" and the descriptor
  auto unknownType = b;
  unknownType[4 + 1 + 4] = 99;
  auto badRefType = entry(L"R", DbPropertyContainer<OdDbTypedId>(OdDbTypedId()));
  badRefType.back() = 9;
  auto truncated = container(1, 4, {a, b, c, d});
  truncated.resize(truncated.size() - 3);
  auto trailing = container(1, 4, {a, b, c, d});
  trailing.push_back(7);

  struct Damage {
    const char* what;
    std::vector<std::uint8_t> bytes;
    std::size_t readable;    // values listed
    std::size_t unreadable;  // values kept as bytes (0 when nothing could be bounded)
    const wchar_t* reason;   // part of damage()
  };
  const std::vector<Damage> damages = {
      {"sound", container(1, 4, {a, b, c, d}), 4, 0, nullptr},
      {"bool byte 2", container(1, 4, {a, badBool, c, d}), 3, 1, L"(B): boolean byte 2"},
      {"flag bits", container(1, 4, {a, b, badFlags, d}), 3, 1, L"(C): unknown value flags 0x41"},
      {"reference type", container(1, 2, {a, badRefType}), 1, 1, L"(R): unknown reference type"},
      {"two bad values", container(1, 4, {a, badBool, badFlags, d}), 2, 2, L"value 2 of 4 (B)"},
      {"repeated name", container(1, 4, {a, b, c, a}), 3, 1, L"value 4 of 4 (A)"},
      {"trailing bytes", trailing, 4, 0, L"1 bytes after the values"},
      {"version", container(2, 4, {a, b, c, d}), 0, 0, L"property container version 2"},
      {"unknown element", container(1, 4, {a, unknownType, c, d}), 0, 0, L"value 2 of 4"},
      {"count too large", container(1, 5, {a, b, c, d}), 0, 0, L"value 5 of 5"},
      {"count past the data", container(1, 0x7fffffff, {a}), 0, 0, L"2147483647 elements"},
      {"count one short", container(1, 3, {a, b, c, d}), 0, 0, L""},
      {"nesting 33", container(1, 2, {a, entry(L"N", *nest(33))}), 0, 0, L"deeper than 32"},
      {"truncated", truncated, 0, 0, L"the data ends early"},
  };
  for (const Damage& damage : damages) {
    SCOPED_TRACE(damage.what);
    OdStaticRxObject<DbProperties> read;
    ASSERT_EQ(read.dwgIn(samples::reader(damage.bytes).get()), eOk);
    EXPECT_EQ(read.isDamaged(), damage.reason != nullptr);
    EXPECT_TRUE(!damage.reason || read.damage().find(damage.reason) != -1)
        << read.damage().toUtf8();
    EXPECT_EQ(read.size(), damage.readable);
    EXPECT_EQ(read.unreadableCount(), damage.unreadable);
    EXPECT_TRUE(!damage.readable || read.getProperty(L"A"));

    // Saved again: what could not be read is written back and read the same way.
    const std::vector<std::uint8_t> again = filedOut(read);
    EXPECT_TRUE(damage.readable || again == damage.bytes);
    EXPECT_EQ(again.size(), damage.bytes.size());
    OdStaticRxObject<DbProperties> reread;
    ASSERT_EQ(reread.dwgIn(samples::reader(again).get()), eOk);
    EXPECT_EQ(names(reread), names(read));
    EXPECT_EQ(reread.unreadableCount(), read.unreadableCount());
    EXPECT_EQ(reread.isDamaged(), read.isDamaged());
    EXPECT_EQ(filedOut(reread), again);

    // No change until the unreadable data is discarded; then the values read stay.
    if (!read.isDamaged()) continue;
    EXPECT_FALSE(read.setProperty(L"New", real(5)) || read.resetProperty(L"A") ||
                 read.attachInstancePropertySet(L"Other~Set") ||
                 read.detachInstancePropertySet(L"Fire~Safety"));
    EXPECT_TRUE(read.discardDamaged());
    EXPECT_FALSE(read.discardDamaged());
    EXPECT_FALSE(read.isDamaged());
    EXPECT_EQ(read.size(), damage.readable);
    EXPECT_TRUE(read.setProperty(L"New", real(5)));
    OdStaticRxObject<DbProperties> mended;
    ASSERT_EQ(mended.dwgIn(samples::reader(filedOut(read)).get()), eOk);
    EXPECT_FALSE(mended.isDamaged());
    EXPECT_EQ(mended.size(), damage.readable + 1);
  }
}
