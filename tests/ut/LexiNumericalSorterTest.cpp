// ut::LexiNumericalSorter: tokens, the order of numbers and texts, the hook, and the strict
// weak order on a generated set of texts, with and without hooks.
#include "ut/LexiNumericalSorter.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>
#include <vector>

using ut::LexiNumericalSorter;
using Token = LexiNumericalSorter::Token;
using Tokens = LexiNumericalSorter::Tokens;

namespace {

std::string describe(const Tokens& tokens) {
  std::string out;
  for (const Token& t : tokens)
    out +=
        (out.empty() ? "" : "|") + (t.which() == 0   ? "d" + std::to_string(boost::get<double>(t))
                                    : t.which() == 1 ? "'" + boost::get<OdString>(t).toUtf8() + "'"
                                                     : "i" + std::to_string(boost::get<int>(t)));
  return out;
}

std::string split(const wchar_t* text) {
  return describe(LexiNumericalSorter::tokenize(OdString(text)));
}

// Every number negated: a hook whose effect on the order is plain to see.
void negated(Tokens& t) {
  for (Token& token : t)
    if (LexiNumericalSorter::isNumber(token)) token = -LexiNumericalSorter::getAsDouble(token);
}

// Checks the four properties of a strict weak order over every pair and triple of `texts`.
void expectStrictWeakOrder(const LexiNumericalSorter& sorter, const std::vector<OdString>& texts) {
  const std::size_t n = texts.size();
  std::vector<std::vector<bool>> less(n, std::vector<bool>(n));
  for (std::size_t i = 0; i < n; ++i)
    for (std::size_t j = 0; j < n; ++j)
      less[i][j] = sorter.isLess(texts[i], texts[j]);
  auto name = [&](std::size_t i) { return texts[i].toUtf8(); };
  auto same = [&](std::size_t i, std::size_t j) { return !less[i][j] && !less[j][i]; };
  for (std::size_t i = 0; i < n; ++i) {
    ASSERT_FALSE(less[i][i]) << "irreflexive: " << name(i);
    for (std::size_t j = 0; j < n; ++j) {
      ASSERT_FALSE(less[i][j] && less[j][i]) << "asymmetric: " << name(i) << " / " << name(j);
      if (less[i][j]) {
        for (std::size_t k = 0; k < n; ++k) {
          ASSERT_TRUE(!less[j][k] || less[i][k])
              << "transitive: " << name(i) << " " << name(j) << " " << name(k);
        }
      } else if (same(i, j)) {
        for (std::size_t k = 0; k < n; ++k) {
          ASSERT_TRUE(!same(j, k) || same(i, k))
              << "equivalence: " << name(i) << " " << name(j) << " " << name(k);
        }
      }
    }
  }
}

std::vector<OdString> generatedTexts() {
  const wchar_t* parts[] = {L"",    L"0",          L"7",    L"007",        L"20",    L"100",
                            L"2.5", L"2147483648", L"HEA ", L"hea ",       L"-",     L"/",
                            L"1/2", L"x",          L" ",    L"\U0001F600", L"\uFF21"};
  std::vector<OdString> texts;
  for (const wchar_t* a : parts)
    for (const wchar_t* b : parts)
      texts.push_back(OdString(a) + b);
  for (std::size_t i = 0; i < 40; ++i) {
    texts.push_back(OdString(parts[i % 17]) + parts[(i * 7) % 17] + parts[(i * 5 + 3) % 17]);
  }
  return texts;
}

}  // namespace

TEST(LexiNumericalSorter, SplitsTextIntoNumberAndTextTokens) {
  EXPECT_EQ(split(L""), "");
  EXPECT_EQ(split(L"HEA 100x10"), "'HEA '|i100|'x'|i10");
  EXPECT_EQ(split(L"1-1/2\""), "i1|'-'|i1|'/'|i2|'\"'");
  EXPECT_EQ(split(L"2.5 m"), "d2.500000|' m'");
  EXPECT_EQ(split(L"1.2.3"), "d1.200000|'.'|i3");
  EXPECT_EQ(split(L".5 -3"), "'.'|i5|' '|'-'|i3");
  EXPECT_EQ(split(L"2147483647 0002147483647"), "i2147483647|' '|i2147483647");
  EXPECT_EQ(split(L"2147483648"), "d2147483648.000000");
  EXPECT_EQ(split(L"5."), "i5|'.'");

  EXPECT_EQ(LexiNumericalSorter::getAsDouble(Token(3)), 3.0);
  EXPECT_EQ(LexiNumericalSorter::getAsDouble(Token(0.25)), 0.25);
  EXPECT_TRUE(std::isnan(LexiNumericalSorter::getAsDouble(Token(OdString(L"3")))));
}

TEST(LexiNumericalSorter, OrdersNumbersByValueAndTextsByCodeUnits) {
  LexiNumericalSorter s;
  // By UTF-16 code units U+1F600 (a surrogate pair) comes before U+FF21.
  const wchar_t* ordered[] = {L"2",        L"2.5",        L"3",       L"20",         L"100",
                              L"100 a",    L"2147483648", L"HEA",     L"HEA 100",    L"HEA 200",
                              L"HEA 1000", L"HEB 100",    L"hea 100", L"\U0001F600", L"\uFF21"};
  const std::size_t n = sizeof(ordered) / sizeof(ordered[0]);
  for (std::size_t i = 0; i < n; ++i) {
    for (std::size_t j = 0; j < n; ++j) {
      EXPECT_EQ(s.isLess(OdString(ordered[i]), OdString(ordered[j])), i < j)
          << OdString(ordered[i]).toUtf8() << " vs " << OdString(ordered[j]).toUtf8();
    }
  }
  // Equal token lists are told apart by their texts' code units: "007" before "7".
  EXPECT_TRUE(s.isLess(OdString(L"007"), OdString(L"7")));
  EXPECT_FALSE(s.isLess(OdString(L"7"), OdString(L"007")));
  EXPECT_EQ(LexiNumericalSorter::compareTokens(LexiNumericalSorter::tokenize(OdString(L"007")),
                                               LexiNumericalSorter::tokenize(OdString(L"7.0"))),
            0);
}

TEST(LexiNumericalSorter, AppliesTheHookBeforeComparing) {
  int calls = 0;
  LexiNumericalSorter counting([&](Tokens&) { ++calls; });
  counting.isLess(OdString(L"a"), OdString(L"b"));
  EXPECT_EQ(calls, 2);

  LexiNumericalSorter plain;
  LexiNumericalSorter hooked(negated);
  EXPECT_TRUE(plain.isLess(OdString(L"HEA 100"), OdString(L"HEA 200")));
  EXPECT_TRUE(hooked.isLess(OdString(L"HEA 200"), OdString(L"HEA 100")));
  EXPECT_TRUE(hooked.isLess(OdString(L"2.5"), OdString(L"2")));
  EXPECT_EQ(describe(hooked.tokens(OdString(L"W 2x3"))), "'W '|d-2.000000|'x'|d-3.000000");

  LexiNumericalSorter throwing([](Tokens&) { throw std::runtime_error("hook failed"); });
  EXPECT_THROW(throwing.isLess(OdString(L"a"), OdString(L"b")), std::runtime_error);
}

TEST(LexiNumericalSorter, IsAStrictWeakOrderWithAndWithoutHooks) {
  const std::vector<OdString> texts = generatedTexts();
  expectStrictWeakOrder(LexiNumericalSorter(), texts);
  expectStrictWeakOrder(LexiNumericalSorter(negated), texts);
  // A hook that makes NaN numbers and merges lists must not break the order either.
  expectStrictWeakOrder(LexiNumericalSorter([](Tokens& t) {
                          for (Token& token : t) {
                            if (token.which() == 1 && boost::get<OdString>(token) == L"x")
                              token = std::numeric_limits<double>::quiet_NaN();
                          }
                          if (t.size() > 2) t.resize(2);
                        }),
                        texts);
}
