// ut::LexiNumericalSorter: tokens, the order of numbers and texts, the hook, and the strict
// weak order on a generated set of texts, with and without hooks.
#include "ut/LexiNumericalSorter.h"

#include <gtest/gtest.h>

#include <limits>
#include <string>
#include <vector>

#include "DataRows.h"

using ut::LexiNumericalSorter;
using Tokens = LexiNumericalSorter::Tokens;

namespace {

std::string split(const OdString& text, const LexiNumericalSorter& sorter = {}) {
  std::string out;
  for (const auto& t : sorter.tokens(text))
    out +=
        (out.empty() ? "" : "|") + (t.which() == 0   ? "d" + std::to_string(boost::get<double>(t))
                                    : t.which() == 1 ? "'" + boost::get<OdString>(t).toUtf8() + "'"
                                                     : "i" + std::to_string(boost::get<int>(t)));
  return out;
}

// Every number negated: a hook whose effect on the order is plain to see.
void negated(Tokens& t) {
  for (auto& token : t)
    if (LexiNumericalSorter::isNumber(token)) token = -LexiNumericalSorter::getAsDouble(token);
}

// Checks the four properties of a strict weak order over every pair and triple of `texts`.
void expectStrictWeakOrder(const LexiNumericalSorter& sorter, const std::vector<OdString>& texts) {
  const std::size_t n = texts.size();
  std::vector<std::vector<bool>> less(n, std::vector<bool>(n));
  for (std::size_t i = 0; i < n; ++i)
    for (std::size_t j = 0; j < n; ++j)
      less[i][j] = sorter.isLess(texts[i], texts[j]);
  auto same = [&](std::size_t i, std::size_t j) { return !less[i][j] && !less[j][i]; };
  for (std::size_t i = 0; i < n; ++i)
    for (std::size_t j = 0; j < n; ++j)
      for (std::size_t k = 0; k < n && (less[i][j] || same(i, j)); ++k)
        ASSERT_TRUE(!less[i][i] && !(less[i][j] && less[j][i]) &&
                    (!less[i][j] || !less[j][k] || less[i][k]) &&
                    (!same(i, j) || !same(j, k) || same(i, k)))
            << texts[i].toUtf8() << " / " << texts[j].toUtf8() << " / " << texts[k].toUtf8();
}

}  // namespace

TEST(LexiNumericalSorter, SplitsIntoTokensAndOrdersNumbersByValueAndTextsByCodeUnits) {
  for (const auto& row : sltest::dataRows("lexi-tokens.txt", 2))
    EXPECT_EQ(split(OdString(row[0].c_str())), row[1]) << row[0];
  std::vector<OdString> ordered;
  for (const auto& row : sltest::dataRows("lexi-order.txt", 1))
    ordered.push_back(OdString(row[0].c_str()));
  LexiNumericalSorter plain, hooked(negated);
  for (std::size_t i = 0; i < ordered.size(); ++i)
    for (std::size_t j = 0; j < ordered.size(); ++j)
      EXPECT_EQ(plain.isLess(ordered[i], ordered[j]), i < j)
          << ordered[i].toUtf8() << " vs " << ordered[j].toUtf8();
  // The hook reverses the numbers only.
  EXPECT_TRUE(hooked.isLess(OdString(L"HEA 200"), OdString(L"HEA 100")));
  EXPECT_TRUE(hooked.isLess(OdString(L"2.5"), OdString(L"2")));
  // Equal token lists are told apart by their texts' code units: "007" before "7".
  EXPECT_TRUE(plain.isLess(OdString(L"007"), OdString(L"7")));
  EXPECT_FALSE(plain.isLess(OdString(L"7"), OdString(L"007")));
}

TEST(LexiNumericalSorter, IsAStrictWeakOrderWithAndWithoutHooks) {
  const wchar_t* parts[] = {L"",    L"0",          L"7",    L"007",        L"20",    L"100",
                            L"2.5", L"2147483648", L"HEA ", L"hea ",       L"-",     L"/",
                            L"1/2", L"x",          L" ",    L"\U0001F600", L"\uFF21"};
  std::vector<OdString> texts;
  for (const wchar_t* a : parts)
    for (const wchar_t* b : parts)
      texts.push_back(OdString(a) + b);
  expectStrictWeakOrder(LexiNumericalSorter(), texts);
  expectStrictWeakOrder(LexiNumericalSorter(negated), texts);
  // A hook that makes NaN numbers and merges lists must not break the order either.
  expectStrictWeakOrder(LexiNumericalSorter([](Tokens& t) {
                          for (auto& token : t)
                            if (token.which() == 1 && boost::get<OdString>(token) == L"x")
                              token = std::numeric_limits<double>::quiet_NaN();
                          if (t.size() > 2) t.resize(2);
                        }),
                        texts);
}
