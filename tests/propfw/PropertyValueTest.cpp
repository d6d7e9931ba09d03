// tdx::PropertyValue: kinds, payloads, state bits, owned text, copies and swaps.
#include "tdx/PropertyValue.h"

#include <gtest/gtest.h>

#include <cstring>

#include "OdError.h"

using tdx::PropertyValue;

namespace {

// Each blocking state bit makes get() answer false and leave its output alone; other bits of the
// state word do not block.
template <class T>
void expectStateBlocks(PropertyValue value, const T& kept) {
  for (std::uint32_t bit :
       {std::uint32_t(PropertyValue::kNoValue), std::uint32_t(PropertyValue::kVaries)}) {
    value.setState(bit | 0x30u);
    T out = kept;
    EXPECT_FALSE(value.get(out)) << "kind " << value.kind() << ", state " << bit;
    EXPECT_EQ(out, kept);
  }
  value.setState(0x30u);
  T out = kept;
  EXPECT_TRUE(value.get(out)) << "kind " << value.kind();
  EXPECT_NE(out, kept);
}

}  // namespace

TEST(PropertyValue, EachKindFromItsConstructor) {
  PropertyValue none;
  EXPECT_EQ(none.kind(), PropertyValue::kNone);
  EXPECT_EQ(none.state(), PropertyValue::kNoValue);
  EXPECT_FALSE(none.hasValue());

  PropertyValue yes(true);
  EXPECT_EQ(yes.kind(), PropertyValue::kBoolean);
  EXPECT_EQ(yes.payload(), 1u);
  EXPECT_EQ(yes.state(), 0u);
  bool truth = false;
  EXPECT_TRUE(yes.get(truth));
  EXPECT_TRUE(truth);

  PropertyValue real(2.5);
  EXPECT_EQ(real.kind(), PropertyValue::kReal);
  double bits = 0;
  std::uint64_t payload = real.payload();
  std::memcpy(&bits, &payload, sizeof bits);
  EXPECT_EQ(bits, 2.5);
  double number = 0;
  EXPECT_TRUE(real.get(number));
  EXPECT_EQ(number, 2.5);

  PropertyValue integer = PropertyValue::integer(-7, 0x30);
  EXPECT_EQ(integer.kind(), PropertyValue::kInteger);
  EXPECT_EQ(integer.state(), 0x30u);
  std::int64_t whole = 0;
  EXPECT_TRUE(integer.get(whole));
  EXPECT_EQ(whole, -7);

  PropertyValue text(OdString(L"Concrete"));
  EXPECT_EQ(text.kind(), PropertyValue::kString);
  EXPECT_NE(text.payload(), 0u);
  OdString out;
  EXPECT_TRUE(text.get(out));
  EXPECT_EQ(out, L"Concrete");

  // Asking for another kind answers false and leaves the output alone.
  out = L"kept";
  EXPECT_FALSE(real.get(out));
  EXPECT_EQ(out, L"kept");
  EXPECT_FALSE(text.get(number));
  EXPECT_EQ(number, 2.5);
}

TEST(PropertyValue, StateBitsBlockReading) {
  PropertyValue absent(PropertyValue::kString, 0, PropertyValue::kNoValue);
  OdString out = L"kept";
  EXPECT_FALSE(absent.get(out));
  EXPECT_EQ(out, L"kept");
  EXPECT_FALSE(absent.hasValue());

  PropertyValue varies(L"a");
  varies.setState(PropertyValue::kVaries);
  EXPECT_TRUE(varies.varies());
  expectStateBlocks(PropertyValue(true), false);
  expectStateBlocks(PropertyValue(2.5), 0.0);
  expectStateBlocks(PropertyValue::integer(-7), std::int64_t(0));
  expectStateBlocks(PropertyValue(L"a"), OdString(L"kept"));

  PropertyValue emptyText(PropertyValue::kString, 0, 0);
  EXPECT_TRUE(emptyText.get(out));
  EXPECT_TRUE(out.isEmpty());

  PropertyValue nullText(static_cast<const wchar_t*>(nullptr));
  EXPECT_EQ(nullText.kind(), PropertyValue::kString);
  EXPECT_FALSE(nullText.hasValue());

  // A raw payload for a string would name memory the value does not own.
  EXPECT_THROW(PropertyValue(PropertyValue::kString, 42, 0), OdError);
}

TEST(PropertyValue, CopiesOwnTheirTextAndSwapExchanges) {
  PropertyValue a(L"first");
  PropertyValue b(a);
  EXPECT_NE(a.payload(), b.payload());
  EXPECT_EQ(a, b);
  a = PropertyValue(L"changed");
  OdString out;
  ASSERT_TRUE(b.get(out));
  EXPECT_EQ(out, L"first");

  PropertyValue c(1.5);
  a.swap(c);
  double number = 0;
  EXPECT_TRUE(a.get(number));
  EXPECT_EQ(number, 1.5);
  ASSERT_TRUE(c.get(out));
  EXPECT_EQ(out, L"changed");

  PropertyValue moved(std::move(c));
  ASSERT_TRUE(moved.get(out));
  EXPECT_EQ(out, L"changed");
  EXPECT_FALSE(c.hasValue());  // NOLINT(bugprone-use-after-move): moved-from state is defined

  EXPECT_NE(PropertyValue(L"x"), PropertyValue(L"y"));
  EXPECT_NE(PropertyValue(true), PropertyValue::integer(1));
  EXPECT_TRUE(PropertyValue::integer(3, 0x30).sameContent(PropertyValue::integer(3)));
  EXPECT_FALSE(PropertyValue::integer(3, 0x30) == PropertyValue::integer(3));
}
