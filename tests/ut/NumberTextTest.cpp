// Numbers as text: shortest exact forms both ways, whatever the process's locale.
#include "ut/NumberText.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

TEST(NumberText, ShortestTextReadsBackExactlyAndOnlyAWholeFiniteNumberIsRead) {
  EXPECT_EQ(ut::realText(0.1), L"0.1");
  EXPECT_EQ(ut::realText(100), L"100");
  EXPECT_EQ(ut::realText(1e20), L"1e+20");
  EXPECT_EQ(ut::realText(-0.0), L"-0");
  EXPECT_EQ(ut::realText(std::nan("")), L"nan");
  EXPECT_EQ(ut::realText(-std::numeric_limits<double>::infinity()), L"-inf");
  double back = 0;
  for (double v : {1.0 / 3, 0.1 + 0.2, 2.5e-310, std::numeric_limits<double>::max(), -7.25e-5}) {
    ASSERT_TRUE(ut::realFromText(ut::realText(v), back)) << v;
    EXPECT_EQ(back, v);
  }
  EXPECT_TRUE(ut::realFromText(OdString(L"+2"), back));
  EXPECT_EQ(back, 2.0);
  for (const wchar_t* bad :
       {L"", L"+", L"1,5", L"1.5x", L" 1", L"++1", L"+-1", L"1e999", L"nan", L"inf", L"0x10"}) {
    EXPECT_FALSE(ut::realFromText(OdString(bad), back)) << OdString(bad).toUtf8();
    EXPECT_EQ(back, 2.0);
  }
}
