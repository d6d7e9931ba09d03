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

// `value` reads as `expected` under state bits that do not block, and each blocking bit makes
// get() refuse.
template <class T>
void expectStateBlocks(PropertyValue value, const T& expected, const T& kept) {
  for (std::uint32_t bit :
       {std::uint32_t(PropertyValue::kNoValue), std::uint32_t(PropertyValue::kVaries)}) {
    value.setState(bit | 0x30u);
    EXPECT_FALSE(read(value, kept)) << "kind " << value.kind() << ", state " << bit;
  }
  value.setState(0x30u);
  EXPECT_EQ(read(value, kept), expected) << "kind " << value.kind();
}

}  // namespace

TEST(PropertyValue, StateBitsBlockReading) {
  PropertyValue none;
  EXPECT_EQ(none.kind(), PropertyValue::kNone);
  EXPECT_FALSE(none.hasValue());
  EXPECT_EQ(PropertyValue(true).payload(), 1u);
  double bits = 0;
  std::uint64_t payload = PropertyValue(2.5).payload();
  std::memcpy(&bits, &payload, sizeof bits);
  EXPECT_EQ(bits, 2.5);
  expectStateBlocks(PropertyValue(true), true, false);
  expectStateBlocks(PropertyValue(2.5), 2.5, 0.0);
  expectStateBlocks(PropertyValue::integer(-7), std::int64_t(-7), std::int64_t(0));
  expectStateBlocks(PropertyValue(L"a"), OdString(L"a"), OdString(L"kept"));
  // Asking for another kind answers false and leaves the output alone.
  EXPECT_FALSE(read(PropertyValue(2.5), OdString(L"kept")));
  EXPECT_FALSE(read(PropertyValue(L"a"), 2.5));
  EXPECT_EQ(read(PropertyValue(PropertyValue::kString, 0, 0), OdString(L"kept")), OdString());
  EXPECT_FALSE(PropertyValue(static_cast<const wchar_t*>(nullptr)).hasValue());
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
  PropertyValue moved(std::move(c));
  EXPECT_EQ(read<OdString>(moved), OdString(L"changed"));
  EXPECT_FALSE(c.hasValue());  // NOLINT(bugprone-use-after-move): moved-from state is defined
  EXPECT_NE(PropertyValue(true), PropertyValue::integer(1));
  EXPECT_TRUE(PropertyValue::integer(3, 0x30).sameContent(PropertyValue::integer(3)));
  EXPECT_FALSE(PropertyValue::integer(3, 0x30) == PropertyValue::integer(3));
}
