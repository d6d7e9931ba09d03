// OdString: shared buffers, UTF-8 both ways, UTF-16 code-unit ordering, formatting.
#include "OdString.h"

#include <gtest/gtest.h>

TEST(OdString, SharedCopiesEditingAndFormatting) {
  OdString a(L"type spec");
  OdString b = a, c = a;
  EXPECT_TRUE(a.sharesDataWith(b));
  b += L"!";
  c.setAt(0, L'T');
  EXPECT_EQ(a, OdString(L"type spec"));
  EXPECT_EQ(c, OdString(L"Type spec"));
  EXPECT_FALSE(a.sharesDataWith(OdString(L"type spec")));
  // Editing and formatting.
  OdString s;
  s.format(L"%ls-%d", L"Wall", 2);
  EXPECT_EQ(s, L"Wall-2");
  EXPECT_EQ(s.reverseFind(L'-'), 4);
  EXPECT_EQ(s.right(100), s);
  EXPECT_EQ(s.find(L'x'), -1);
  EXPECT_EQ(OdString(L"aXbXc").replace(L"X", L"--"), L"a--b--c");
  EXPECT_EQ(OdString(L"  x  ").trimLeft().trimRight(), L"x");
}

TEST(OdString, Utf8RoundTripAndInvalidInput) {
  const char* text =
      "Stra\xc3\x9f"
      "e \xe2\x82\xac \xf0\x9f\x98\x80";
  OdString s(text);
  EXPECT_EQ(s.getLength(), 10);
  EXPECT_EQ(s.getAt(9), static_cast<wchar_t>(0x1F600));
  EXPECT_EQ(s.toUtf8(), std::string(text));
  // Truncated, overlong and surrogate sequences become U+FFFD, never a crash, and are told apart
  // from a U+FFFD written as such.
  EXPECT_TRUE(OdString::isValidUtf8("\xef\xbf\xbd"));
  for (const std::string bad : {"a\xe2\x82", "\xc0\xaf", "\xe0\x80\xaf", "\xed\xa0\x80", "\xff"}) {
    EXPECT_EQ(OdString::fromUtf8(bad).getAt(bad[0] == 'a'), L'\uFFFD') << bad;
    EXPECT_FALSE(OdString::isValidUtf8(bad)) << bad;
  }
  // Blank: empty or white space only, in any locale.
  EXPECT_TRUE(OdString(L" \t\u3000").isBlank());
  EXPECT_FALSE(OdString(L" x ").isBlank());
}

TEST(OdString, OrdersByUtf16CodeUnits) {
  EXPECT_LT(OdString(L"B"), OdString(L"a"));  // upper case first
  EXPECT_LT(OdString(L"ab"), OdString(L"abc"));
  // U+1F600 is a surrogate pair D83D DE00 in UTF-16: it sorts below U+FFFD.
  OdString astral(std::wstring(1, static_cast<wchar_t>(0x1F600)));
  EXPECT_LT(astral, OdString(L"\uFFFD"));
  EXPECT_GT(astral, OdString(L"\uD7FF"));
  // One high surrogate (D83D) for both: the low ones decide.
  OdString next(std::wstring(1, static_cast<wchar_t>(0x1F601)));
  EXPECT_LT(astral, next);
  EXPECT_EQ(OdString(L"Abc").iCompare(L"aBC"), 0);
  // Embedded zero characters take part: unequal strings never order as equal.
  OdString x(L"x"), x0y(L"x\0y", 3), x0z(L"x\0z", 3);
  EXPECT_LT(x, x0y);
  EXPECT_LT(x0y, x0z);
}
