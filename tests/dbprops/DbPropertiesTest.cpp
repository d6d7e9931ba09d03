// DbProperties as a container: storing, replacing, removing, name order, instance set keys and
// the filed form, damaged data kept and bounded, and the limits shared by writer and reader.
#include "dbprops/DbProperties.h"

#include <gtest/gtest.h>

#include <iterator>
#include <map>
#include <sstream>

#include "DataRows.h"
#include "DbMemoryFiler.h"
#include "Samples.h"

using samples::filedOut;

namespace {

std::shared_ptr<DbProperty> real(double v) {
  return std::make_shared<DbPropertyContainer<double>>(v);
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

  EXPECT_TRUE(container.attachInstancePropertySet(L"Fire~Safety") &&
              container.attachInstancePropertySet(L"Acoustic~Safety"));
  EXPECT_FALSE(container.attachInstancePropertySet(L"Fire~Safety") ||
               container.attachInstancePropertySet(L"") ||
               container.detachInstancePropertySet(L"Other"));
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

  OdStaticRxObject<DbProperties> back;
  ASSERT_EQ(back.dwgIn(samples::reader(filedOut(container)).get()), eOk);
  EXPECT_FALSE(back.isDamaged()) << back.damage().toUtf8();
  EXPECT_EQ(filedOut(back), filedOut(container));
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

}  // namespace

TEST(DbProperties, DamagedDataIsKeptAndWhatCanBeReadIsListed) {
  std::map<std::string, std::vector<std::uint8_t>> values = {
      {"a", entry(L"A", *real(1))},
      {"b", entry(L"B", DbPropertyContainer<bool>(true))},
      {"c", entry(L"C", DbPropertyContainer<OdString>(OdString(L"c")))},
      {"d", entry(L"D", *real(4))},
      {"badRefType", entry(L"R", DbPropertyContainer<OdDbTypedId>(OdDbTypedId()))},
      {"nested33", entry(L"N", *nest(33))}};
  values["badBool"] = values["unknownType"] = values["b"];
  values["badBool"].back() = 2;
  values["unknownType"][4 + 1 + 4] = 99;
  values["badFlags"] = values["c"];
  values["badFlags"][4 + 1 + 12] = 0x41;  // after the name "C" and the descriptor
  values["badRefType"].back() = 9;

  for (const auto& row : sltest::dataRows("damage.txt", 7)) {
    SCOPED_TRACE(row[0]);
    // Container data: version, count, the values, then one instance set key.
    std::vector<std::uint8_t> bytes;
    OdDbDwgFilerPtr out = samples::writer(bytes);
    out->wrInt32(std::stoi(row[1]));
    out->wrUInt32(static_cast<std::uint32_t>(std::stoul(row[2])));
    std::istringstream list(row[3]);
    const std::vector<std::string> given{std::istream_iterator<std::string>(list), {}};
    for (const std::string& value : given)
      if (values.count(value)) out->wrBytes(values[value].data(), values[value].size());
    out->wrUInt32(1);
    out->wrString(L"Fire~Safety");
    const int change =
        given.back()[0] == '+' || given.back()[0] == '-' ? std::stoi(given.back()) : 0;
    bytes.resize(bytes.size() + change, 1);
    const std::size_t readable = std::stoul(row[4]), unreadable = std::stoul(row[5]);
    const bool sound = row[6] == "-";
    OdStaticRxObject<DbProperties> read;
    ASSERT_EQ(read.dwgIn(samples::reader(bytes).get()), eOk);
    EXPECT_EQ(read.isDamaged(), !sound);
    EXPECT_TRUE(sound || read.damage().find(OdString(row[6].c_str())) != -1)
        << read.damage().toUtf8();
    EXPECT_EQ(read.size(), readable);
    EXPECT_EQ(read.unreadableCount(), unreadable);
    EXPECT_TRUE(!readable || read.getProperty(L"A"));

    // Saved again: what could not be read is written back and read the same way.
    const std::vector<std::uint8_t> again = filedOut(read);
    EXPECT_TRUE(readable || again == bytes);
    EXPECT_EQ(again.size(), bytes.size());
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
    EXPECT_TRUE(read.discardDamaged() && !read.discardDamaged() && !read.isDamaged());
    EXPECT_EQ(read.size(), readable);
    EXPECT_TRUE(read.setProperty(L"New", real(5)));
    OdStaticRxObject<DbProperties> mended;
    ASSERT_EQ(mended.dwgIn(samples::reader(filedOut(read)).get()), eOk);
    EXPECT_FALSE(mended.isDamaged());
    EXPECT_EQ(mended.size(), readable + 1);
  }
}
