// ut::vector_map: sorted insertion, no duplicates, lookups.
#include "ut/vector_map.h"

#include <gtest/gtest.h>

#include "OdString.h"

TEST(VectorMap, KeepsKeysSortedAndUnique) {
  ut::vector_map<OdString, int> m{{L"b", 1}, {L"a", 2}, {L"B", 3}};
  auto again = m.insert(OdString(L"a"), 9);
  EXPECT_FALSE(again.second);
  EXPECT_EQ(again.first->second, 2);
  m[OdString(L"c")] = 4;
  EXPECT_EQ(m.erase(OdString(L"B")), 1u);
  EXPECT_EQ(m.erase(OdString(L"B")), 0u);
  EXPECT_EQ(m.find(OdString(L"d")), m.end());
  std::vector<std::pair<OdString, int>> items(m.begin(), m.end());
  EXPECT_EQ(items, (std::vector<std::pair<OdString, int>>{{L"a", 2}, {L"b", 1}, {L"c", 4}}));
}
