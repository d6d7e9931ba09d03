// The command line's value text: parsing by storage type, printing back, and refusing text that
// does not parse whole.
#include "sl_db/ValueText.h"

#include "DataRows.h"
#include "TestSupport.h"

TEST(ValueText, ParsesEveryKindOfValueAndRefusesTextThatDoesNotParseWhole) {
  // The type typeName names `name`; none when it names none.
  auto typeNamed = [](const std::string& name) {
    for (std::int32_t s = DbPropertyType::kSingle; s <= DbPropertyType::kMap; ++s)
      for (std::int32_t t = 0; t < DbPropertyType::kTypeCount; ++t)
        for (std::int32_t k = 0; k < (s == DbPropertyType::kMap ? DbPropertyType::kTypeCount : 1);
             ++k)
          if (sl_db::typeName(DbPropertyType(s, t, k)) == name) return DbPropertyType(s, t, k);
    return DbPropertyType();
  };
  for (const auto& row : sltest::dataRows("value-text.txt", 3)) {
    SCOPED_TRACE(row[0] + ": '" + row[1] + "'");
    const DbPropertyType type = typeNamed(row[0]);
    std::string error;
    auto value = sl_db::parseValue(row[1], type, error);
    if (value) {
      EXPECT_TRUE(value->isSet());
      EXPECT_EQ(value->type(), type);
    }
    const std::string out = value ? sl_db::formatValue(*value) : "error: " + error;
    const std::string& want = row[2];
    const bool start = want.size() > 3 && want.compare(want.size() - 3, 3, "...") == 0;
    EXPECT_EQ(start ? out.substr(0, want.size() - 3) : out,
              want.substr(0, want.size() - 3 * start));
  }
}
