// The transcendental functions: the figures users are promised, faults at the edges, and
// (where the machine allows) accuracy against MPFR and agreement with the C library's long
// double functions after the engine's rounding to double and to 15 digits.
#include "engine/engine.h"
#include "engine/numeric/extended_math.h"
#include "engine/numeric/extended_math_routes.h"
#include "engine/numeric/numeric.h"
#include "tests/numeric/numeric_test_support.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>

#if defined(TOLVANE_TEST_MPFR)
#include <mpfr.h>
#endif

namespace tolvane::engine {
namespace {

std::string Digits(Extended v)
{
    return FormatNumber(ToDouble(v));
}

TEST(ExtendedMath, GivesTheFiguresUsersSee)
{
    const auto read = [](const char* text) { return *ReadDecimal(text); };
    const struct {
        const char* name;
        Extended value;
        const char* want;
    } cases[] = {
        {"sin(10000000000000000000000)", Sin(read("10000000000000000000000")),
         "-0.852200849767189"},
        {"sin(3.14159265358979)", Sin(read("3.14159265358979")), "3.23846172363807E-15"},
        {"cos(3.14159265358979)", Cos(read("3.14159265358979")), "-1"},
        {"tan(1.5707963267949)", Tan(read("1.5707963267949")), "-295789353043847"},
        {"sin(2^16000)", Sin(Ldexp(1, 16000)), "0.699245882207296"},
        {"exp(1)", Exp(1), "2.71828182845905"},
        {"exp(-745)", Exp(-745), "4.94065645841247E-324"},
        {"ln(2)", Ln(2), "0.693147180559945"},
        {"log10(2)", Log10(2), "0.301029995663981"},
        {"arctan(1)", Arctan(1), "0.785398163397448"},
        {"arcsin(1)", Arcsin(1), "1.5707963267949"},
        {"arccos(-1)", Arccos(-1), "3.14159265358979"},
        {"arccos(0.5)", Arccos(0.5), "1.0471975511966"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(Digits(c.value), c.want);
    }
}

TEST(ExtendedMath, IsExactWhereTheAnswerIs)
{
    for (int k = -60; k <= 60; ++k) {
        SCOPED_TRACE(k);
        EXPECT_EQ(Log2(Ldexp(1, k)), Extended(k));
    }
    for (int k = 0; k <= 27; ++k) {
        SCOPED_TRACE(k);
        EXPECT_EQ(Log10(PowerOfTen(k)), Extended(k));
    }
    EXPECT_EQ(Exp(0), Extended(1));
    EXPECT_EQ(Ln(1), Extended(0));
    EXPECT_EQ(Arccos(1), Extended(0));
    EXPECT_EQ(Cos(0), Extended(1));
    const Extended tiny =
        Extended::FromBits({3, 0}); // a denormal: sin, tan, arctan, arcsin keep it
    for (Extended (*f)(Extended) : {Sin, Tan, Arctan, Arcsin})
        EXPECT_EQ(f(tiny).Bits(), tiny.Bits());
    EXPECT_TRUE(SignBit(Sin(-0.0)));
}

TEST(ExtendedMath, FaultsOnlyWhereTheHardwareLibraryDoes)
{
    const Extended infinity = Extended::FromBits({std::uint64_t{1} << 63, 0x7fff});
    const struct {
        const char* name;
        Extended (*f)(Extended);
        Extended x;
        unsigned faults;
    } cases[] = {
        {"exp(11357)", Exp, 11357, kFaultOverflow},
        {"exp(11356)", Exp, 11356, 0},
        {"exp(-11400)", Exp, -11400, 0},
        {"exp(-inf)", Exp, -infinity, 0},
        {"ln(0)", Ln, 0, kFaultDivideByZero},
        {"log2(-2)", Log2, -2, kFaultInvalid},
        {"sin(inf)", Sin, infinity, kFaultInvalid},
        {"cos(-inf)", Cos, -infinity, kFaultInvalid},
        {"arcsin(1.5)", Arcsin, 1.5, kFaultInvalid},
        {"arccos(-2)", Arccos, -2, kFaultInvalid},
        {"arctan(inf)", Arctan, infinity, 0},
        {"tan(1e4000)", Tan, Ldexp(1, 13000), 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const NumericScope scope;
        (void)Settle(c.f(c.x));
        EXPECT_EQ(Faults(), c.faults);
    }
}

// The fast route rounds only what lies clearly to one side of a boundary: 2^-90 of the value is
// 2^37 units of the 128-bit significand's last place.
TEST(ExtendedMath, FastRouteRoundsOnlyFarFromABoundary)
{
    constexpr std::uint64_t kHalf = std::uint64_t{1} << 63;
    constexpr std::uint64_t kMargin = std::uint64_t{1} << 37;
    const auto wide = [](std::uint64_t low, long exponent) {
        WideFloat v;
        v.significand = {0x8000'0000'0000'0001, low};
        v.exponent = exponent;
        return v;
    };
    const struct {
        const char* name;
        WideFloat value;
        std::optional<ExtendedBits> want;
    } cases[] = {
        {"just beyond the margin above half", wide(kHalf + kMargin + 1, 0),
         ExtendedBits{0x8000'0000'0000'0002, 0x3fff}},
        {"just beyond the margin below half", wide(kHalf - kMargin - 1, 0),
         ExtendedBits{0x8000'0000'0000'0001, 0x3fff}},
        {"within the margin above half", wide(kHalf + kMargin, 0), std::nullopt},
        {"within the margin below half", wide(kHalf - kMargin, 0), std::nullopt},
        {"a tie", wide(kHalf, 0), std::nullopt},
        {"next to a representable value", wide(1, -5), ExtendedBits{0x8000'0000'0000'0001, 0x3ffa}},
        {"the smallest normal exponent", wide(0, -16382),
         ExtendedBits{0x8000'0000'0000'0001, 0x0001}},
        {"a denormal result", wide(0, -16383), std::nullopt},
        {"beyond the range", wide(0, 16384), std::nullopt},
        {"zero", WideFloat{}, std::nullopt},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const std::optional<Extended> got = fast::RoundIfSafe(c.value);
        ASSERT_EQ(got.has_value(), c.want.has_value());
        if (got) {
            EXPECT_EQ(test::Text(*got), test::Text(*c.want));
        }
    }
}

// Where the fast route decides, it gives the careful route's bits; it leaves only a few
// arguments in millions to the careful route.
TEST(ExtendedMath, FastRouteGivesTheCarefulRoutesBits)
{
    const long samples = test::Samples(100'000);
    test::Operands operands(4711);
    for (int function = 0; function < test::kFunctionCount; ++function) {
        long decided = 0;
        long undecided = 0;
        long mismatches = 0;
        for (long k = 0; k < samples; ++k) {
            const Extended x = test::FunctionArgument(operands, function);
            if (!test::TakesARoute(function, x))
                continue;
            const std::optional<Extended> quick = test::CallFast(function, x);
            const Extended slow = test::CallCareful(function, x);
            if (!quick) {
                // Zeros and denormals (exact or at the bottom of the range) are the careful
                // route's by design.
                const int biased = slow.Bits().signExponent & 0x7fff;
                undecided += biased != 0 ? 1 : 0;
                continue;
            }
            ++decided;
            if (quick->Bits() != slow.Bits() && ++mismatches <= 3) {
                ADD_FAILURE() << test::kFunctionNames[function] << "(" << test::Text(x)
                              << "): fast " << test::Text(*quick) << ", careful "
                              << test::Text(slow);
            }
        }
        std::printf("%-7s %ld decided by the fast route, %ld normal results left to the careful "
                    "one\n",
                    test::kFunctionNames[function], decided, undecided);
        EXPECT_EQ(mismatches, 0) << test::kFunctionNames[function];
        // A result within 2^-90 of a rounding boundary is one argument in 2^25 or so; the ends
        // of exp's range (|x| > 11354) are the careful route's too.
        EXPECT_LE(undecided * 1000, decided) << test::kFunctionNames[function];
    }
}

#if defined(__GLIBC__) && defined(__x86_64__)
long double LibraryFunction(int function, long double x)
{
    switch (function) {
    case 0:
        return std::exp(x);
    case 1:
        return std::log(x);
    case 2:
        return std::log2(x);
    case 3:
        return std::log10(x);
    case 4:
        return std::sin(x);
    case 5:
        return std::cos(x);
    case 6:
        return std::tan(x);
    case 7:
        return std::atan(x);
    case 8:
        return std::asin(x);
    default:
        return std::acos(x);
    }
}

long double AsLongDouble(Extended v)
{
    long double x = 0;
    const ExtendedBits b = v.Bits();
    std::memcpy(&x, &b.significand, 8);
    std::memcpy(reinterpret_cast<char*>(&x) + 8, &b.signExponent, 2);
    return x;
}

// What changes for users against the C library's long double functions (glibc's, which the
// engine called before): results that differ after the rounding to double, and after 15 digits.
TEST(ExtendedMath, AgreesWithTheCLibraryAfterRounding)
{
    const long samples = test::Samples(100'000);
    test::Operands operands(555);
    long totalDigits = 0;
    for (int function = 0; function < test::kFunctionCount; ++function) {
        long doubles = 0;
        long digits = 0;
        long finite = 0;
        for (long k = 0; k < samples; ++k) {
            const Extended x = test::FunctionArgument(operands, function);
            const double mine = ToDouble(test::CallFunction(function, x));
            const double theirs = static_cast<double>(LibraryFunction(function, AsLongDouble(x)));
            if (std::isnan(mine) && std::isnan(theirs))
                continue;
            ++finite;
            if (std::memcmp(&mine, &theirs, sizeof mine) != 0) {
                ++doubles;
                if (FormatNumber(mine) != FormatNumber(theirs)) {
                    ++digits;
                    if (digits <= 3) {
                        std::printf("  %s(%s): %s here, %s in the C library\n",
                                    test::kFunctionNames[function], test::Text(x).c_str(),
                                    FormatNumber(mine).c_str(), FormatNumber(theirs).c_str());
                    }
                }
            }
        }
        std::printf("%-7s %ld samples: %ld differ as doubles (%.1f per million), %ld in 15 digits "
                    "(%.1f per million)\n",
                    test::kFunctionNames[function], finite, doubles, 1e6 * doubles / finite, digits,
                    1e6 * digits / finite);
        totalDigits += digits;
    }
    // A handful in 100,000 is what users could notice at all.
    EXPECT_LE(totalDigits * 100'000, 5 * samples * test::kFunctionCount);
}
#endif

#if defined(TOLVANE_TEST_MPFR)
int Evaluate(int function, mpfr_t y, const mpfr_t x, mpfr_rnd_t rounding)
{
    switch (function) {
    case 0:
        return mpfr_exp(y, x, rounding);
    case 1:
        return mpfr_log(y, x, rounding);
    case 2:
        return mpfr_log2(y, x, rounding);
    case 3:
        return mpfr_log10(y, x, rounding);
    case 4:
        return mpfr_sin(y, x, rounding);
    case 5:
        return mpfr_cos(y, x, rounding);
    case 6:
        return mpfr_tan(y, x, rounding);
    case 7:
        return mpfr_atan(y, x, rounding);
    case 8:
        return mpfr_asin(y, x, rounding);
    default:
        return mpfr_acos(y, x, rounding);
    }
}

// The exact value of an Extended (64 bits fit any MPFR precision of 64 or more).
void SetExact(mpfr_t target, Extended v)
{
    const ExtendedBits b = v.Bits();
    const int biased = b.signExponent & 0x7fff;
    mpfr_set_uj(target, b.significand, MPFR_RNDN);
    mpfr_mul_2si(target, target, (biased == 0 ? 1 : biased) - 16383 - 63, MPFR_RNDN);
    if ((b.signExponent & 0x8000) != 0)
        mpfr_neg(target, target, MPFR_RNDN);
}

// MPFR's correctly rounded value of the function at x: precision 64, the x87's exponent range
// and denormals, round to nearest.
void RoundedByMpfr(int function, mpfr_t rounded, const mpfr_t x)
{
    const auto emin = mpfr_get_emin();
    const auto emax = mpfr_get_emax();
    mpfr_set_emin(-16444);
    mpfr_set_emax(16384);
    const int inexact = Evaluate(function, rounded, x, MPFR_RNDN);
    mpfr_subnormalize(rounded, inexact, MPFR_RNDN);
    mpfr_set_emin(emin);
    mpfr_set_emax(emax);
}

// The public functions (the fast route nearly always) and the careful route on its own, each
// against MPFR.
void ExpectCorrectlyRounded(bool carefulRoute, std::uint64_t seed)
{
    const long samples = test::Samples(20'000);
    test::Operands operands(seed);
    mpfr_t x, exact, rounded, mine, error;
    mpfr_inits2(256, x, exact, error, static_cast<mpfr_ptr>(nullptr));
    mpfr_init2(rounded, 64);
    mpfr_init2(mine, 64);
    long wrong = 0;
    for (int function = 0; function < test::kFunctionCount; ++function) {
        long misrounded = 0;
        long checked = 0;
        double worst = 0;
        for (long k = 0; k < samples; ++k) {
            const Extended arg = test::FunctionArgument(operands, function);
            if (carefulRoute && !test::TakesARoute(function, arg))
                continue;
            const Extended result =
                carefulRoute ? test::CallCareful(function, arg) : test::CallFunction(function, arg);
            if (!IsFinite(result) || !IsFinite(arg))
                continue;
            ++checked;
            SetExact(x, arg);
            Evaluate(function, exact, x, MPFR_RNDN);
            RoundedByMpfr(function, rounded, x);
            SetExact(mine, result);
            if (!mpfr_equal_p(mine, rounded)) {
                ++misrounded;
                if (misrounded <= 3)
                    std::printf("  %s(%s) is not correctly rounded\n",
                                test::kFunctionNames[function], test::Text(arg).c_str());
            }
            // The error in units of the last place of the result (denormals: 2^-16445).
            mpfr_sub(error, mine, exact, MPFR_RNDN);
            mpfr_abs(error, error, MPFR_RNDN);
            const long lastPlace =
                mpfr_zero_p(mine) ? -16445 : std::max<long>(mpfr_get_exp(mine) - 64, -16445);
            mpfr_mul_2si(error, error, -lastPlace, MPFR_RNDN);
            worst = std::max(worst, mpfr_get_d(error, MPFR_RNDN));
        }
        std::printf("%-7s %s, %ld samples: worst error %.6f ulp, %ld not correctly rounded\n",
                    test::kFunctionNames[function], carefulRoute ? "careful" : "public ", checked,
                    worst, misrounded);
        EXPECT_LT(worst, 0.5001) << test::kFunctionNames[function];
        wrong += misrounded;
    }
    EXPECT_EQ(wrong, 0);
    mpfr_clears(x, exact, rounded, mine, error, static_cast<mpfr_ptr>(nullptr));
}

TEST(ExtendedMath, IsCorrectlyRoundedAgainstMpfr)
{
    ExpectCorrectlyRounded(false, 8080);
}

TEST(ExtendedMath, CarefulRouteIsCorrectlyRoundedAgainstMpfr)
{
    ExpectCorrectlyRounded(true, 9090);
}
#endif

} // namespace
} // namespace tolvane::engine
