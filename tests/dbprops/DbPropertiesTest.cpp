// DbProperties as a container: storing, replacing, removing, name order, instance set keys and
// the filed form, including refused data.
#include "dbprops/DbProperties.h"

#include <gtest/gtest.h>

#include "DbMemoryFiler.h"
#include "Samples.h"

namespace {

std::shared_ptr<DbProperty> real(double v) {
  return std::make_shared<DbPropertyContainer<double>>(v);
}

OdDbDwgFilerPtr reader(const std::vector<std::uint8_t>& bytes) {
  return odDbCreateMemoryReader(bytes.data(), bytes.size(), OdDbFiler::kFileFiler);
}

std::vector<OdString> names(const DbProperties& container) {
  std::vector<OdString> out;
  for (const auto& entry : container)
    out.push_back(entry.first);
  return out;
}

}  // namespace

TEST(DbProperties, StoresReplacesAndRemoves) {
  OdStaticRxObject<DbProperties> container;
  EXPECT_FALSE(container.setProperty(L"Width~Door", nullptr));
  EXPECT_EQ(container.size(), 0u);
  EXPECT_EQ(container.getProperty(L"Width~Door"), nullptr);

  auto width = real(0.9);
  EXPECT_TRUE(container.setProperty(L"Width~Door", width));
  EXPECT_EQ(container.getProperty(L"Width~Door"), width);  // the value itself, not a copy
  width->set(1.2);
  double v = 0;
  ASSERT_TRUE(container.getProperty(L"Width~Door")->get(v));
  EXPECT_EQ(v, 1.2);

  EXPECT_TRUE(container.setProperty(L"Width~Door", real(2.0)));
  EXPECT_EQ(container.size(), 1u);
  EXPECT_NE(container.getProperty(L"Width~Door"), width);
  EXPECT_EQ(container.getProperty(L"width~door"), nullptr);  // names are case-sensitive

  EXPECT_TRUE(container.resetProperty(L"Width~Door"));
  EXPECT_FALSE(container.resetProperty(L"Width~Door"));
  EXPECT_EQ(container.size(), 0u);
}

TEST(DbProperties, NamesInUtf16CodeUnitOrder) {
  OdStaticRxObject<DbProperties> container;
  // U+10000 is the surrogate pair D800 DC00, below U+FFFF; upper case before lower case.
  const std::vector<OdString> given = {L"b", L"\uffff", L"\U00010000", L"B", L"a~", L"a", L""};
  for (const OdString& name : given)
    container.setProperty(name, real(1));
  EXPECT_EQ(names(container),
            (std::vector<OdString>{L"", L"B", L"a", L"a~", L"b", L"\U00010000", L"\uffff"}));
}

TEST(DbProperties, InstanceSetKeysAndFiledForm) {
  OdStaticRxObject<DbProperties> container;
  EXPECT_TRUE(container.attachInstancePropertySet(L"Fire~Safety"));
  EXPECT_TRUE(container.attachInstancePropertySet(L"Acoustic~Safety"));
  EXPECT_FALSE(container.attachInstancePropertySet(L"Fire~Safety"));
  EXPECT_FALSE(container.attachInstancePropertySet(L""));
  EXPECT_FALSE(container.detachInstancePropertySet(L"Other"));
  auto mapped = std::make_shared<DbPropertyContainer<OdString>>(OdString(L"EI 60"));
  mapped->setMapped(true);
  container.setProperty(L"Rating~Fire", mapped);
  container.setProperty(L"Empty", DbPropertyType::get<DbArray<double>>().createProperty());
  container.setProperty(L"Nested", std::make_shared<DbPropertyContainer<DbArray<DbPropertyPtr>>>(
                                       DbArray<DbPropertyPtr>{real(3), nullptr}));

  std::vector<std::uint8_t> bytes;
  container.dwgOut(odDbCreateMemoryWriter(bytes, OdDbFiler::kFileFiler).get());
  OdDbDwgFilerPtr filer = reader(bytes);
  OdStaticRxObject<DbProperties> back;
  ASSERT_EQ(back.dwgIn(filer.get()), eOk);
  EXPECT_EQ(filer->bytesLeft(), 0u);
  ASSERT_EQ(back.instancePropertySets().size(), 2u);
  EXPECT_EQ(back.instancePropertySets()[0], L"Fire~Safety");
  EXPECT_EQ(back.instancePropertySets()[1], L"Acoustic~Safety");
  EXPECT_EQ(names(back), names(container));
  for (const auto& entry : container) {
    EXPECT_EQ(samples::filed(*back.getProperty(entry.first)), samples::filed(*entry.second));
  }
  EXPECT_TRUE(back.getProperty(L"Rating~Fire")->isMapped());
  EXPECT_FALSE(back.getProperty(L"Empty")->isSet());

  EXPECT_TRUE(back.detachInstancePropertySet(L"Fire~Safety"));
  ASSERT_EQ(back.instancePropertySets().size(), 1u);
  EXPECT_EQ(back.instancePropertySets()[0], L"Acoustic~Safety");
}

TEST(DbProperties, RefusedDataLeavesTheContainerAsItWas) {
  OdStaticRxObject<DbProperties> source;
  source.setProperty(L"A", real(1));
  source.setProperty(L"B", std::make_shared<DbPropertyContainer<OdString>>(OdString(L"b")));
  std::vector<std::uint8_t> bytes;
  source.dwgOut(odDbCreateMemoryWriter(bytes, OdDbFiler::kFileFiler).get());

  OdStaticRxObject<DbProperties> target;
  target.setProperty(L"Kept", real(7));
  target.attachInstancePropertySet(L"Set~Ns");
  auto expectUnchanged = [&] {
    ASSERT_EQ(target.size(), 1u);
    EXPECT_NE(target.getProperty(L"Kept"), nullptr);
    EXPECT_EQ(target.instancePropertySets().size(), 1u);
  };
  // Every truncation of good data is refused.
  for (std::size_t length = 0; length < bytes.size(); ++length) {
    EXPECT_NE(
        target.dwgIn(odDbCreateMemoryReader(bytes.data(), length, OdDbFiler::kFileFiler).get()),
        eOk)
        << length;
    expectUnchanged();
  }
  // An unknown version, and a value count beyond the data.
  std::vector<std::uint8_t> version = bytes;
  version[0] = 2;
  EXPECT_EQ(target.dwgIn(reader(version).get()), eBadDrawingFile);
  std::vector<std::uint8_t> count = bytes;
  count[7] = 0x7f;
  EXPECT_EQ(target.dwgIn(reader(count).get()), eBadDrawingFile);
  // The same name twice.
  std::vector<std::uint8_t> twice;
  {
    OdDbDwgFilerPtr out = odDbCreateMemoryWriter(twice, OdDbFiler::kFileFiler);
    out->wrInt32(1);
    out->wrUInt32(2);
    for (int i = 0; i < 2; ++i) {
      out->wrString(L"A");
      out->wrInt32(1);
      out->wrInt32(0);
      out->wrInt32(0);
      out->wrUInt8(1);
      out->wrBool(true);
    }
    out->wrUInt32(0);
  }
  EXPECT_EQ(target.dwgIn(reader(twice).get()), eBadDrawingFile);
  expectUnchanged();

  ASSERT_EQ(target.dwgIn(reader(bytes).get()), eOk);
  EXPECT_EQ(target.size(), 2u);
  EXPECT_TRUE(target.instancePropertySets().isEmpty());
}
