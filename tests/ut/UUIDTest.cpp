// ut::UUID: version-5 identifiers against published values, text form, parsing.
#include "ut/UUID.h"

#include <gtest/gtest.h>

TEST(UUID, Version5MatchesPublishedValues) {
  // Published examples of name-based SHA-1 identifiers.
  EXPECT_EQ(ut::UUID::s_cDNSNameSpace.generate("www.example.com").toString(),
            L"2ed6657d-e927-568b-95e1-2665a8aea6a2");
  EXPECT_EQ(ut::UUID::s_cDNSNameSpace.generate("python.org").toString(),
            L"886313e1-3b8a-5372-9b90-0c9aee199e5d");
  ut::UUID url = ut::UUID::s_cURLNameSpace.generate(OdString(L"http://example.org/a"));
  EXPECT_EQ(url.version(), 5);
  EXPECT_EQ(url, ut::UUID::s_cURLNameSpace.generate("http://example.org/a"));
  EXPECT_NE(url, ut::UUID::s_cURLNameSpace.generate("http://example.org/b"));
  EXPECT_NE(url, ut::UUID::s_cDNSNameSpace.generate("http://example.org/a"));
}

TEST(UUID, TextFormRoundTripAndRejects) {
  ut::UUID parsed;
  ASSERT_TRUE(ut::UUID::fromString(L"6BA7B811-9DAD-11D1-80B4-00C04FD430C8", parsed));
  EXPECT_EQ(parsed, ut::UUID::s_cURLNameSpace);
  EXPECT_EQ(parsed.toString(), L"6ba7b811-9dad-11d1-80b4-00c04fd430c8");
  ut::UUID untouched = ut::UUID::s_cDNSNameSpace;
  EXPECT_FALSE(ut::UUID::fromString(L"6ba7b811-9dad-11d1-80b4-00c04fd430c", untouched));
  EXPECT_FALSE(ut::UUID::fromString(L"6ba7b811x9dad-11d1-80b4-00c04fd430c8", untouched));
  EXPECT_FALSE(ut::UUID::fromString(L"6ba7b811-9dad-11d1-80b4-00c04fd430cg", untouched));
  EXPECT_EQ(untouched, ut::UUID::s_cDNSNameSpace);
  EXPECT_TRUE(ut::UUID().isNull());
  EXPECT_FALSE(parsed.isNull());
}
