// ut::UUID: version-5 identifiers against published values, text form, parsing.
#include "ut/UUID.h"

#include <gtest/gtest.h>

TEST(UUID, Version5MatchesPublishedValuesAndTextFormRoundTrips) {
  // Name-based identifiers of the URL namespace are checked against published ones by the
  // palette-source tests; of the DNS one here.
  EXPECT_EQ(ut::UUID::s_cDNSNameSpace.generate("www.example.com").toString(),
            L"2ed6657d-e927-568b-95e1-2665a8aea6a2");

  ut::UUID parsed;
  ASSERT_TRUE(ut::UUID::fromString(L"6BA7B811-9DAD-11D1-80B4-00C04FD430C8", parsed));
  EXPECT_EQ(parsed, ut::UUID::s_cURLNameSpace);
  EXPECT_EQ(parsed.toString(), L"6ba7b811-9dad-11d1-80b4-00c04fd430c8");
  for (const wchar_t* bad :
       {L"6ba7b811-9dad-11d1-80b4-00c04fd430c", L"6ba7b811x9dad-11d1-80b4-00c04fd430c8",
        L"6ba7b811-9dad-11d1-80b4-00c04fd430cg"}) {
    EXPECT_FALSE(ut::UUID::fromString(bad, parsed)) << OdString(bad).toUtf8();
    EXPECT_EQ(parsed, ut::UUID::s_cURLNameSpace);
  }
  EXPECT_TRUE(ut::UUID().isNull());
  EXPECT_FALSE(parsed.isNull());
}
