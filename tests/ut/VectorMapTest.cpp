// ut::vector_map: sorted insertion, no duplicates, lookups.
#include "ut/vector_map.h"

#include <gtest/gtest.h>

#include "OdString.h"

TEST(VectorMap, KeepsKeysSortedAndUnique) {
  ut::vector_map<OdString, int> m;
  EXPECT_TRUE(m.insert(OdString(L"b"), 1).second);
  EXPECT_TRUE(m.insert(OdString(L"a"), 2).second);
  EXPECT_TRUE(m.insert(OdString(L"B"), 3).second);
  auto again = m.insert(OdString(L"a"), 9);
  EXPECT_FALSE(again.second);
  EXPECT_EQ(again.first->second, 2);
  ASSERT_EQ(m.size(), 3u);
  EXPECT_EQ(m.begin()->first, L"B");
  EXPECT_EQ((m.begin() + 2)->first, L"b");
  EXPECT_EQ(m.find(OdString(L"a"))->second, 2);
  EXPECT_EQ(m.find(OdString(L"c")), m.end());
  m[OdString(L"c")] = 4;
  EXPECT_EQ(m.erase(OdString(L"B")), 1u);
  EXPECT_EQ(m.erase(OdString(L"B")), 0u);
  EXPECT_EQ(m.size(), 3u);
}
