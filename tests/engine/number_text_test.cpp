#include "engine/engine.h"
#include "engine/number_text.h"

#include <gtest/gtest.h>

#include <bit>
#include <clocale>
#include <cmath>
#include <cstdint>
#include <limits>
#include <random>
#include <string_view>

namespace tolvane::engine {
namespace {

TEST(FormatNumber, WritesFifteenSignificantDigits)
{
    const struct {
        double value;
        std::string_view want;
    } cases[] = {
        {0.0, "0"},
        {-0.0, "0"},
        {3.0, "3"},
        {-2.5, "-2.5"},
        {120.0, "120"},
        {123.45, "123.45"},
        {0.0123, "0.0123"},
        {1.0 / 3.0, "0.333333333333333"},
        {2.0 / 3.0, "0.666666666666667"},
        {3.141592653589793, "3.14159265358979"},
        {2.718281828459045, "2.71828182845905"},
        {0.1 + 0.2, "0.3"},
        {1e308, "1E308"},
        {std::numeric_limits<double>::max(), "1.79769313486232E308"},
        {std::numeric_limits<double>::denorm_min(), "4.94065645841247E-324"},
        {5.7133839564458575e262, "5.71338395644586E262"},
        {-1e-300, "-1E-300"},
        {1.5e-7, "1.5E-7"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.want);
        EXPECT_EQ(FormatNumber(c.value), c.want);
    }
}

TEST(FormatNumber, ChoosesFixedNotationForExponentsMinusThreeToFifteen)
{
    const struct {
        double value;
        std::string_view want;
    } cases[] = {
        {0.001, "0.001"},
        {0.0001, "0.0001"},
        {0.00012345, "0.00012345"},
        {0.00001, "1E-5"},
        {0.000099999999999999995, "0.0001"}, // rounding lifts it into fixed range
        {999999999999999.0, "999999999999999"},
        {1e15, "1E15"},
        {-1e15, "-1E15"},
        {9999999999999999.0, "1E16"},
        {123456789012345.0, "123456789012345"},
        {1234567890123456.0, "1.23456789012346E15"},
        {1e20, "1E20"},
        {1.5e16, "1.5E16"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.want);
        EXPECT_EQ(FormatNumber(c.value), c.want);
    }
}

// Exact halfway cases round away from zero; values a hair off a tie round to
// the nearer neighbour, and inexact lookalikes are not ties.
TEST(FormatNumber, RoundsExactTiesAwayFromZero)
{
    const struct {
        double value;
        std::string_view want;
    } cases[] = {
        {1234567890123445.0, "1.23456789012345E15"},
        {-1234567890123445.0, "-1.23456789012345E15"},
        {1234567890123455.0, "1.23456789012346E15"},
        {999999999999999.5, "1E15"},                       // the carry reaches a new decade
        {0.0000012345678901234565, "1.23456789012346E-6"}, // not exact: no tie
        {0.1000000000000005, "0.100000000000001"},         // 0.10000000000000050515...
        {1.000000000000005, "1.00000000000001"},           // 1.00000000000000510...
        {1.0000000000000049, "1"},
        {2.5, "2.5"},
        {0.0000000000000025, "2.5E-15"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.want);
        EXPECT_EQ(FormatNumber(c.value), c.want);
    }
}

// The fast rounding route must agree with the exact one everywhere: random
// bit patterns, values near 15-digit halfway points and short decimals
// (what the sheet mostly computes).
TEST(FormatNumber, FastRoundingAgreesWithTheExactRoute)
{
    std::mt19937_64 random(99);
    // The evaluator reads each result back through the same rounding (RoundedToExtended).
    const auto same = [](double x) {
        const Decimal15 a = RoundToFifteenDigits(x);
        const Decimal15 b = RoundToFifteenDigitsExactly(x);
        return a.digits == b.digits && a.exponent == b.exponent && a.negative == b.negative &&
               RoundedToExtended(x) == DecimalToExtended(b);
    };
    for (int k = 0; k < 300'000; ++k) {
        const double bits = std::bit_cast<double>(random());
        if (std::isfinite(bits)) {
            ASSERT_TRUE(same(bits)) << bits;
        }
        // A 16-digit decimal ending in 5 (a halfway point) nudged by a few units.
        const auto d =
            static_cast<double>(1'000'000'000'000'000 + random() % 9'000'000'000'000'000);
        const double scale = std::pow(10.0, static_cast<int>(random() % 40) - 25);
        const double nearHalf = (std::floor(d / 10) * 10 + 5) * scale;
        ASSERT_TRUE(same(nearHalf)) << nearHalf;
        ASSERT_TRUE(same(std::nextafter(nearHalf, 0.0))) << nearHalf;
        ASSERT_TRUE(same(std::nextafter(nearHalf, 1e300))) << nearHalf;
        // Short decimals times a 15-digit value: 16-digit results ending in 5, the near-halves
        // the sheet meets most, and the exact ties among them.
        const double product = static_cast<double>(1 + random() % 999) / 100.0 *
                               (static_cast<double>(random() % 1'000'000'000'000'000) / 1e12);
        ASSERT_TRUE(same(product)) << product;
        const double tie = static_cast<double>(random() % 1'000'000'000'000'000 * 10 + 5) /
                           std::pow(2.0, static_cast<int>(random() % 4));
        ASSERT_TRUE(same(tie)) << tie;
        const double shortDecimal = static_cast<double>(random() % 100000) / 1000.0;
        ASSERT_TRUE(same(shortDecimal)) << shortDecimal;
        ASSERT_TRUE(same(1.0 / static_cast<double>(1 + random() % 1000))) << k;
    }
}

// The evaluator carries every intermediate value as its text: reading a
// text back and writing it again must give the same text.
TEST(FormatNumber, TextSurvivesARoundTrip)
{
    std::mt19937_64 random(7);
    for (int k = 0; k < 200'000; ++k) {
        const double x = std::bit_cast<double>(random());
        if (!std::isfinite(x))
            continue;
        const std::string once = FormatNumber(x);
        const auto read = ParseNumber(once);
        ASSERT_TRUE(read.has_value()) << once;
        const double back = static_cast<double>(*read);
        if (std::isinf(back))
            continue; // the largest doubles round up past the range
        ASSERT_EQ(FormatNumber(back), once) << x;
    }
}

TEST(FormatNumber, WritesNonFiniteValuesAsWords)
{
    EXPECT_EQ(FormatNumber(std::numeric_limits<double>::infinity()), "INF");
    EXPECT_EQ(FormatNumber(-std::numeric_limits<double>::infinity()), "-INF");
    EXPECT_EQ(FormatNumber(std::numeric_limits<double>::quiet_NaN()), "NAN");
}

// The extended value with these bits: the values below are the extended
// values nearest the decimals they stand beside.
Extended Bits(std::uint64_t significand, std::uint16_t signExponent)
{
    return Extended::FromBits({significand, signExponent});
}

TEST(ParseNumber, AcceptsTheNumberSyntax)
{
    const struct {
        std::string_view text;
        Extended want;
    } cases[] = {
        {"0", 0},
        {"007.50", 7.5},
        {"-2", -2},
        {"+2", 2},
        {"  12  ", 12},
        {".5", 0.5},
        {"5.", 5},
        {"1E15", 1e15},
        {"1e-5", Bits(0xa7c5'ac47'1b47'8423, 0x3fee)},
        {"3E+2", 300},
        {"-1.5E-3", Bits(0xc49b'a5e3'53f7'ced9, 0xbff5)},
        {"0.333333333333333", Bits(0xaaaa'aaaa'aaaa'7aa1, 0x3ffd)},
        {"5.71338395644586E262", Bits(0xe83e'd3f6'5b16'9cd3, 0x4367)},
        {"12345678901234567890123", Bits(0xa750'ad93'9d9c'5091, 0x4048)},
        {"0.000000000000000000000000000000012", Bits(0xf93a'f19c'b978'4c13, 0x3f94)},
        {"1e-6000", 0},
        {"0e99999999999", 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        const auto got = ParseNumber(c.text);
        ASSERT_TRUE(got.has_value());
        EXPECT_EQ(*got, c.want);
    }
}

TEST(ParseNumber, RejectsEverythingElse)
{
    const std::string_view cases[] = {
        "",       " ",   ".",   "-",   "+",       "e5",           "1e",  "1e+",
        "1.2.3",  "1,2", "inf", "nan", "INF",     "0x10",         "1 2", "--1",
        "1e5000", "\t1", "5%",  "1d5", "1.5e3.0", "\xe4\xb8\x80",
    };
    for (const std::string_view text : cases) {
        SCOPED_TRACE(text);
        EXPECT_FALSE(ParseNumber(text).has_value());
    }
}

// Reading is correctly rounded to the 64-bit mantissa: these sit right at
// or next to halfway points between neighbouring extended values.
TEST(ParseNumber, RoundsCorrectlyToExtended)
{
    // 2^64 + 1 and 2^64 + 3 lie halfway between two extended values (spacing
    // 2 there); ties go to the even mantissa.
    EXPECT_EQ(*ParseNumber("18446744073709551617"), Bits(0x8000'0000'0000'0000, 0x403f));
    EXPECT_EQ(*ParseNumber("18446744073709551619"), Bits(0x8000'0000'0000'0002, 0x403f));
    EXPECT_EQ(*ParseNumber("18446744073709551617.000000000001"),
              Bits(0x8000'0000'0000'0001, 0x403f));
    EXPECT_EQ(*ParseNumber("0.1"), Bits(0xcccc'cccc'cccc'cccd, 0x3ffb));
    EXPECT_EQ(*ParseNumber("1e-30"), Bits(0xa242'5ff7'5e14'fc32, 0x3f9b));
    EXPECT_EQ(*ParseNumber("1e300"), Bits(0xbf21'e440'03ac'dd2d, 0x43e3));
    // A denormal extended value is read as such, not as 0 (1e-4940 lies
    // below the smallest normal, about 3.4e-4932).
    EXPECT_EQ(ParseNumber("1e-4940")->Bits().signExponent, 0);
    EXPECT_NE(*ParseNumber("1e-4940"), 0);
}

TEST(NumberText, IgnoresTheCLocale)
{
    const char* previous = std::setlocale(LC_ALL, "de_DE.UTF-8");
    if (previous == nullptr)
        GTEST_SKIP() << "no German locale on this machine";
    EXPECT_EQ(FormatNumber(2.5), "2.5");
    EXPECT_EQ(*ParseNumber("2.5"), 2.5);
    EXPECT_EQ(*ParseNumber("1.2345678901234567890123e-40"), Bits(0xac12'dab4'7fa0'9daf, 0x3f7a));
    std::setlocale(LC_ALL, "C");
}

} // namespace
} // namespace tolvane::engine
