#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>

#include "base/error.h"
#include "base/text.h"
#include "tests/support/thrown_code.h"

namespace vellumo::text {
namespace {

using test_support::ThrownCode;

TEST(TextVal, ReadsTheLeadingNumberSkippingBlanksTabsAndLineFeeds) {
  EXPECT_EQ(Val(" 1 2"), 12);
  EXPECT_EQ(Val("\t-\n3 4"), -34);
  EXPECT_EQ(Val("12 34 abc 5"), 1234);
  EXPECT_EQ(Val("12abc"), 12);
  EXPECT_EQ(Val("abc"), 0);
  EXPECT_EQ(Val(""), 0);
  EXPECT_EQ(Val("\r5"), 0);  // carriage return is not skipped
  EXPECT_EQ(Val("-.5"), -0.5);
  EXPECT_EQ(Val("+7"), 7);
  EXPECT_EQ(Val("--5"), 0);
  EXPECT_EQ(Val("5."), 5);
  EXPECT_EQ(Val("."), 0);
  EXPECT_EQ(Val("1.2.3"), 1.2);
  EXPECT_EQ(Val("1,000"), 1);
  EXPECT_EQ(Val("1e3"), 1000);
  EXPECT_EQ(Val("1E+3x"), 1000);
  EXPECT_EQ(Val("2.5e-1"), 0.25);
  EXPECT_EQ(Val("1D2"), 100);
  EXPECT_EQ(Val("1e"), 1);
  EXPECT_EQ(Val("1e+"), 1);
  EXPECT_EQ(Val("12 dollars"), 12);
  EXPECT_FALSE(std::signbit(Val("-")));
  EXPECT_EQ(Val("1e999"), std::numeric_limits<double>::infinity());
  EXPECT_EQ(Val("-1e999"), -std::numeric_limits<double>::infinity());
  EXPECT_EQ(Val("1e-999"), 0);
  EXPECT_EQ(Val("0." + std::string(400, '0') + "1"), 0);
  EXPECT_EQ(Val(std::string(400, '9')), std::numeric_limits<double>::infinity());
}

TEST(TextVal, ReadsHexAndOctalLiteralsAsSixteenOrThirtyTwoBit) {
  EXPECT_EQ(Val("&H1F"), 31);
  EXPECT_EQ(Val("&h1f"), 31);
  EXPECT_EQ(Val(" & H 1 F"), 31);
  EXPECT_EQ(Val("&H1Fzz"), 31);
  EXPECT_EQ(Val("&O17"), 15);
  EXPECT_EQ(Val("&o178"), 15);
  EXPECT_EQ(Val("&HFFFF"), -1);
  EXPECT_EQ(Val("&H8000"), -32768);
  EXPECT_EQ(Val("&H7FFF"), 32767);
  EXPECT_EQ(Val("&H10000"), 65536);
  EXPECT_EQ(Val("&HFFFFFFFF"), -1);
  EXPECT_EQ(Val("&H100000000"), 4294967296.0);
  EXPECT_EQ(Val("&H"), 0);
  EXPECT_EQ(Val("&X1"), 0);
  EXPECT_EQ(Val("-&H1"), 0);
}

TEST(TextCBool, AcceptsTrueFalseOrANumberElseTypeMismatch) {
  EXPECT_TRUE(CBool("True"));
  EXPECT_TRUE(CBool("tRUE"));
  EXPECT_TRUE(CBool(" true "));
  EXPECT_FALSE(CBool("FALSE"));
  EXPECT_FALSE(CBool("0"));
  EXPECT_FALSE(CBool(" 0.0 "));
  EXPECT_FALSE(CBool("&H0"));
  EXPECT_TRUE(CBool("-1"));
  EXPECT_TRUE(CBool("0.25"));
  EXPECT_TRUE(CBool("1,000"));
  for (const char* bad : {"", " ", "yes", "1abc", "True!", "Tru", "1e", "&H", "0 1", ".", "-"}) {
    EXPECT_EQ(ThrownCode([&] { (void)CBool(bad); }), ErrorCode::kTypeMismatch) << bad;
  }
  EXPECT_EQ(ThrownCode([] { (void)CBool(std::string("1\0", 2)); }), ErrorCode::kTypeMismatch);
  try {
    (void)CBool("maybe");
  } catch (const Error& e) {
    EXPECT_EQ(e.description(), "Type mismatch");
  }
}

TEST(TextCInt, RoundsHalfToEvenAndChecksTheRange) {
  EXPECT_EQ(CInt("2.5"), 2);
  EXPECT_EQ(CInt("3.5"), 4);
  EXPECT_EQ(CInt("-2.5"), -2);
  EXPECT_EQ(CInt("-3.5"), -4);
  EXPECT_EQ(CInt("0.5"), 0);
  EXPECT_EQ(CInt("1.5"), 2);
  EXPECT_EQ(CInt("2.51"), 3);
  EXPECT_EQ(CInt("-0.4"), 0);
  EXPECT_EQ(CInt(" 42 "), 42);
  EXPECT_EQ(CInt("+42"), 42);
  EXPECT_EQ(CInt("1,234"), 1234);
  EXPECT_EQ(CInt("1e4"), 10000);
  EXPECT_EQ(CInt("1e-999"), 0);
  EXPECT_EQ(CInt("32767"), 32767);
  EXPECT_EQ(CInt("-32768"), -32768);
  EXPECT_EQ(CInt("-32768.5"), -32768);
  EXPECT_EQ(CInt("&HFFFF"), -1);
  EXPECT_EQ(CInt("&HFFFFFFFF"), -1);
  for (const char* big : {"32768", "32767.5", "-32769", "-32768.6", "1e5", "1e999", "&H10000"}) {
    EXPECT_EQ(ThrownCode([&] { (void)CInt(big); }), ErrorCode::kOverflow) << big;
  }
  for (const char* bad : {"", "abc", "12abc", "True", "1.2.3", "1 2", ","}) {
    EXPECT_EQ(ThrownCode([&] { (void)CInt(bad); }), ErrorCode::kTypeMismatch) << bad;
  }
}

TEST(TextCLng, RoundsHalfToEvenAndChecksTheRange) {
  EXPECT_EQ(CLng("2147483647"), 2147483647);
  EXPECT_EQ(CLng("-2147483648"), std::numeric_limits<int32_t>::min());
  EXPECT_EQ(CLng("2147483646.5"), 2147483646);
  EXPECT_EQ(CLng("40000"), 40000);
  EXPECT_EQ(CLng("&H10000"), 65536);
  EXPECT_EQ(CLng("&HFFFF"), -1);
  EXPECT_EQ(CLng("4.5"), 4);
  EXPECT_EQ(CLng("5.5"), 6);
  for (const char* big : {"2147483648", "2147483647.5", "-2147483649", "&H100000000"}) {
    EXPECT_EQ(ThrownCode([&] { (void)CLng(big); }), ErrorCode::kOverflow) << big;
  }
  EXPECT_EQ(ThrownCode([] { (void)CLng("one"); }), ErrorCode::kTypeMismatch);
}

TEST(TextFormat, StrAndGroupedDigits) {
  EXPECT_EQ(Str(42), "42");
  EXPECT_EQ(Str(-7), "-7");
  EXPECT_EQ(Str(0), "0");
  EXPECT_EQ(FormatGrouped(0), "");
  EXPECT_EQ(FormatGrouped(7), "7");
  EXPECT_EQ(FormatGrouped(999), "999");
  EXPECT_EQ(FormatGrouped(1000), "1,000");
  EXPECT_EQ(FormatGrouped(100000), "100,000");
  EXPECT_EQ(FormatGrouped(1234567), "1,234,567");
  EXPECT_EQ(FormatGrouped(1234567890), "1,234,567,890");
  EXPECT_EQ(FormatGrouped(-999), "-999");
  EXPECT_EQ(FormatGrouped(-1234), "-1,234");
  EXPECT_EQ(FormatGrouped(std::numeric_limits<int64_t>::min()), "-9,223,372,036,854,775,808");
}

}  // namespace
}  // namespace vellumo::text
