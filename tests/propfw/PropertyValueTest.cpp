// tdx::PropertyValue: kinds, payloads, state bits, owned text, copies and swaps.
#include "tdx/PropertyValue.h"

#include <gtest/gtest.h>

#include <cstring>
#include <optional>

#include "OdError.h"

using tdx::PropertyValue;

namespace {

// read: what get() answers as a T, empty when it refuses (and then it left its output alone).
template <class T>
std::optional<T> read(const PropertyValue& value, const T& kept = T()) {
  T out = kept;
  if (value.get(out)) return out;
  EXPECT_EQ(out, kept);
  return std::nullopt;
}

// Each blocking state bit makes get() refuse; other bits of the state word do not block.
template <class T>
void expectStateBlocks(PropertyValue value, const T& kept) {
  for (std::uint32_t bit :
       {std::uint32_t(PropertyValue::kNoValue), std::uint32_t(PropertyValue::kVaries)}) {
    value.setState(bit | 0x30u);
    EXPECT_FALSE(read(value, kept)) << "kind " << value.kind() << ", state " << bit;
  }
  value.setState(0x30u);
  EXPECT_NE(read(value, kept).value_or(kept), kept) << "kind " << value.kind();
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
  EXPECT_EQ(read<bool>(yes), true);

  PropertyValue real(2.5);
  EXPECT_EQ(real.kind(), PropertyValue::kReal);
  double bits = 0;
  std::uint64_t payload = real.payload();
  std::memcpy(&bits, &payload, sizeof bits);
  EXPECT_EQ(bits, 2.5);
  EXPECT_EQ(read<double>(real), 2.5);

  PropertyValue integer = PropertyValue::integer(-7, 0x30);
  EXPECT_EQ(integer.kind(), PropertyValue::kInteger);
  EXPECT_EQ(integer.state(), 0x30u);
  EXPECT_EQ(read<std::int64_t>(integer), -7);

  PropertyValue text(OdString(L"Concrete"));
  EXPECT_EQ(text.kind(), PropertyValue::kString);
  EXPECT_NE(text.payload(), 0u);
  EXPECT_EQ(read<OdString>(text), OdString(L"Concrete"));

  // Asking for another kind answers false and leaves the output alone.
  EXPECT_FALSE(read(real, OdString(L"kept")));
  EXPECT_FALSE(read(text, 2.5));
}

TEST(PropertyValue, StateBitsBlockReading) {
  PropertyValue absent(PropertyValue::kString, 0, PropertyValue::kNoValue);
  EXPECT_FALSE(read(absent, OdString(L"kept")));
  EXPECT_FALSE(absent.hasValue());

  PropertyValue varies(L"a");
  varies.setState(PropertyValue::kVaries);
  EXPECT_TRUE(varies.varies());
  expectStateBlocks(PropertyValue(true), false);
  expectStateBlocks(PropertyValue(2.5), 0.0);
  expectStateBlocks(PropertyValue::integer(-7), std::int64_t(0));
  expectStateBlocks(PropertyValue(L"a"), OdString(L"kept"));

  EXPECT_EQ(read(PropertyValue(PropertyValue::kString, 0, 0), OdString(L"kept")), OdString());

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
  EXPECT_EQ(read<OdString>(b), OdString(L"first"));

  PropertyValue c(1.5);
  a.swap(c);
  EXPECT_EQ(read<double>(a), 1.5);
  EXPECT_EQ(read<OdString>(c), OdString(L"changed"));

  PropertyValue moved(std::move(c));
  EXPECT_EQ(read<OdString>(moved), OdString(L"changed"));
  EXPECT_FALSE(c.hasValue());  // NOLINT(bugprone-use-after-move): moved-from state is defined

  EXPECT_NE(PropertyValue(L"x"), PropertyValue(L"y"));
  EXPECT_NE(PropertyValue(true), PropertyValue::integer(1));
  EXPECT_TRUE(PropertyValue::integer(3, 0x30).sameContent(PropertyValue::integer(3)));
  EXPECT_FALSE(PropertyValue::integer(3, 0x30) == PropertyValue::integer(3));
}
