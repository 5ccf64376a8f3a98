#include "platform/mailclient/filter.h"

#include <gtest/gtest.h>

#include <map>
#include <string>

namespace vellumo::mail {
namespace {

using Fields = std::map<std::string, std::string>;

bool Match(std::string_view filter, const Fields& fields) {
  return Filter::Parse(filter).Matches([&](std::string_view name) -> std::optional<std::string> {
    auto it = fields.find(std::string(name));
    if (it == fields.end()) return std::nullopt;
    return it->second;
  });
}

// The position and text of the error a filter raises when parsed.
FilterError ParseError(std::string_view filter) {
  try {
    Filter::Parse(filter);
  } catch (const FilterError& e) {
    return e;
  }
  ADD_FAILURE() << "no error for: " << filter;
  return FilterError(0, "");
}

TEST(Filter, ComparesTextIgnoringCaseButOtherwiseExactly) {
  const Fields f{{"Account", "Acme Ltd"}};
  EXPECT_TRUE(Match("[Account] = 'Acme Ltd'", f));
  EXPECT_TRUE(Match("[Account] = 'ACME LTD'", f));
  EXPECT_TRUE(Match("[Account]='acme ltd'", f));
  EXPECT_FALSE(Match("[Account] = 'Acme Ltd '", f));
  EXPECT_FALSE(Match("[Account] = 'Acme'", f));
  EXPECT_TRUE(Match("[Account] <> 'Acme'", f));
  EXPECT_FALSE(Match("[Account] <> 'acme LTD'", f));
  // Case folding covers more than ASCII.
  EXPECT_TRUE(Match("[Account] = 'ÄRGER GMBH'", {{"Account", "ärger GmbH"}}));
}

TEST(Filter, QuotesDoubledInsideValuesAndBothQuoteKinds) {
  const Fields f{{"LastName", "O'Brien"}, {"Title", "say \"hi\""}};
  EXPECT_TRUE(Match("[LastName] = 'O''Brien'", f));
  EXPECT_TRUE(Match("[LastName] = \"O'Brien\"", f));
  EXPECT_TRUE(Match("[Title] = \"say \"\"hi\"\"\"", f));
  EXPECT_TRUE(Match("[Title] = 'say \"hi\"'", f));
  EXPECT_TRUE(Match("[LastName] <> ''", f));
  EXPECT_TRUE(Match("[Account] = ''", {{"Account", ""}}));
}

TEST(Filter, KeywordsIgnoreCaseAndNotBindsTighterThanAndTighterThanOr) {
  const Fields f{{"A", "1"}, {"B", "1"}, {"C", "0"}};
  // OR below AND: 1 OR (1 AND 0) is true; (1 OR 1) AND 0 would be false.
  EXPECT_TRUE(Match("[A] = '1' OR [B] = '1' AND [C] = '1'", f));
  EXPECT_FALSE(Match("([A] = '1' OR [B] = '1') AND [C] = '1'", f));
  // NOT applies to the next condition only.
  EXPECT_FALSE(Match("NOT [A] = '1' AND [B] = '1'", f));
  EXPECT_TRUE(Match("not [C] = '1' and [B] = '1'", f));
  EXPECT_TRUE(Match("Not ([A] = '1' AND [C] = '1')", f));
  EXPECT_TRUE(Match("Not([C] = '1')", f));
  EXPECT_TRUE(Match("NOT NOT [A] = '1'", f));
  EXPECT_TRUE(Match("  (\t[A] = '1'\r\n)  ", f));
}

TEST(Filter, CategoriesMatchOneEntryOfTheList) {
  EXPECT_TRUE(Match("[Categories] = 'VIP'", {{"Categories", "Press, VIP"}}));
  EXPECT_TRUE(Match("[Categories] = 'vip'", {{"Categories", "VIP;Press"}}));
  EXPECT_FALSE(Match("[Categories] = 'VIP'", {{"Categories", "VIPs, Press"}}));
  EXPECT_FALSE(Match("[Categories] = 'Press, VIP'", {{"Categories", "Press, VIP"}}));
  EXPECT_TRUE(Match("[Categories] <> 'VIP'", {{"Categories", "Press"}}));
  // A list written by appending to an empty field starts with ", ".
  EXPECT_TRUE(Match("[Categories] = 'VIP'", {{"Categories", ", VIP"}}));
  EXPECT_TRUE(Match("[Categories] = ''", {{"Categories", ""}}));
  EXPECT_FALSE(Match("[Categories] = ''", {{"Categories", "VIP"}}));
  // Other fields are plain text, whatever they hold.
  EXPECT_FALSE(Match("[Account] = 'VIP'", {{"Account", "Press, VIP"}}));
}

TEST(Filter, ListsTheFieldsItComparesWithPositions) {
  Filter filter = Filter::Parse("[Categories] = 'x' AND Not ( [ Account ] = 'y')");
  ASSERT_EQ(filter.Fields().size(), 2u);
  EXPECT_EQ(filter.Fields()[0].name, "Categories");
  EXPECT_EQ(filter.Fields()[0].position, 1);
  EXPECT_EQ(filter.Fields()[1].name, "Account");
  EXPECT_EQ(filter.Fields()[1].position, 30);
}

TEST(Filter, SyntaxErrorsNameThePositionAndWhatWasExpected) {
  struct Case {
    const char* filter;
    int64_t position;
    const char* expected;
  };
  const Case cases[] = {
      {"[Account] = 'abc", 17, "expected ' to close the value begun at character 13"},
      {"[Account = 'abc'", 17, "expected ']' to close the field name begun at character 1"},
      {"[Account] 'abc'", 11, "expected '=' or '<>' after [Account]"},
      {"[Account] < 'abc'", 11, "expected '=' or '<>'"},
      {"[Account] = abc", 13, "expected a value in quotes"},
      {"([Account] = 'a'", 17, "expected ')' to close the '(' at character 1"},
      {"[Account] = 'a')", 16, "expected AND, OR or the end of the filter"},
      {"[Account] = 'a' AND", 20, "expected a condition"},
      {"[Account] = 'a' XOR [B] = 'b'", 17, "expected AND, OR or the end of the filter"},
      {"[Account] = 'a' ANDNOT [B] = 'b'", 17, "expected AND, OR or the end of the filter"},
      {"", 1, "expected a condition"},
      {"[ ] = 'a'", 2, "expected a field name"},
      // Positions count characters, not bytes.
      {"[Title] = 'Müller' OR", 22, "expected a condition"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.filter);
    FilterError e = ParseError(c.filter);
    EXPECT_EQ(e.position(), c.position);
    EXPECT_NE(e.description().find("at character " + std::to_string(c.position)), std::string::npos)
        << e.description();
    EXPECT_NE(e.description().find(c.expected), std::string::npos) << e.description();
  }
}

TEST(Filter, UnknownFieldIsAnErrorAtItsPositionWhateverTheOtherValues) {
  const Fields f{{"Account", "x"}};
  // Neither a true left side of OR nor a false left side of AND hides the misspelt field.
  for (const char* filter :
       {"[Account] = 'x' OR  [Acount] = 'x'", "[Account] = 'y' AND [Acount] = 'x'"}) {
    SCOPED_TRACE(filter);
    try {
      Match(filter, f);
      ADD_FAILURE() << "no error";
    } catch (const FilterError& e) {
      EXPECT_EQ(e.position(), 21);
      EXPECT_NE(e.description().find("[Acount]"), std::string::npos);
    }
  }
  Filter filter = Filter::Parse("[Account] = 'x' AND [Bogus] = 'y'");
  try {
    filter.Validate([](std::string_view name) { return name == "Account"; });
    ADD_FAILURE() << "no error";
  } catch (const FilterError& e) {
    EXPECT_EQ(e.position(), 21);
  }
}

TEST(Filter, RefusesNestingThatWouldExhaustTheStack) {
  const std::string deep = std::string(5000, '(') + "[A] = 'x'" + std::string(5000, ')');
  EXPECT_NE(ParseError(deep).description().find("nested too deeply"), std::string::npos);
  std::string nots;
  for (int i = 0; i < 5000; ++i) nots += "NOT ";
  EXPECT_NE(ParseError(nots + "[A] = 'x'").description().find("nested too deeply"),
            std::string::npos);
  // Long flat chains are fine.
  std::string chain = "[A] = 'x'";
  for (int i = 0; i < 5000; ++i) chain += " OR [A] = 'y'";
  EXPECT_TRUE(Match(chain, {{"A", "x"}}));
}

}  // namespace
}  // namespace vellumo::mail
