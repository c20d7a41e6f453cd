// The numeric foundation: the portable double-extended arithmetic against the x87 (bit for bit,
// flags included, where the machine has one), decimal reading against the C library's correctly
// rounded reader, and a digest over every operation that must come out the same on every
// machine the suite runs on.
#include "engine/numeric/extended_math.h"
#include "engine/numeric/numeric.h"
#include "tests/numeric/numeric_test_support.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <string>

#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__)) && !defined(_MSC_VER)
#define TOLVANE_TEST_HAS_X87 1
#include <cfenv>
#else
#define TOLVANE_TEST_HAS_X87 0
#endif

namespace tolvane::engine {
namespace {

using test::Operands;
using test::Text;

#if TOLVANE_TEST_HAS_X87

long double Hardware(ExtendedBits b)
{
    long double v = 0;
    std::memcpy(&v, &b, 10);
    return v;
}

ExtendedBits FromHardware(long double v)
{
    ExtendedBits b;
    std::memcpy(&b.significand, &v, 8);
    std::memcpy(&b.signExponent, reinterpret_cast<const char*>(&v) + 8, 2);
    return b;
}

unsigned HardwareFaults()
{
    const int raised = std::fetestexcept(FE_INVALID | FE_DIVBYZERO | FE_OVERFLOW);
    return ((raised & FE_INVALID) != 0 ? kFaultInvalid : 0) |
           ((raised & FE_DIVBYZERO) != 0 ? kFaultDivideByZero : 0) |
           ((raised & FE_OVERFLOW) != 0 ? kFaultOverflow : 0);
}

// The instruction itself: MinGW's sqrtl answers a negative number with NaN but raises nothing.
long double HardwareSqrt(long double x)
{
    asm("fsqrt" : "+t"(x));
    return x;
}

// One binary operation both ways; the hardware operands pass through volatile so nothing is
// folded at compile time.
template <typename Soft, typename Hard>
void ExpectSameBinary(const char* name, Soft soft, Hard hard, ExtendedBits a, ExtendedBits b,
                      int& mismatches)
{
    soft::ClearFaults();
    const ExtendedBits s = soft(a, b);
    const unsigned softFaults = soft::Faults();
    volatile long double x = Hardware(a);
    volatile long double y = Hardware(b);
    std::feclearexcept(FE_ALL_EXCEPT);
    const long double h = hard(x, y);
    const unsigned hardFaults = HardwareFaults();
    const ExtendedBits hb = FromHardware(h);
    if ((s != hb || softFaults != hardFaults) && ++mismatches <= 10) {
        ADD_FAILURE() << name << "(" << Text(a) << ", " << Text(b) << "): soft " << Text(s)
                      << " faults " << softFaults << ", x87 " << Text(hb) << " faults "
                      << hardFaults;
    }
}

TEST(SoftExtended, MatchesTheX87BitForBitWithFaults)
{
    const long pairs = test::Samples(1'000'000);
    Operands operands(12345);
    int mismatches = 0;
    for (long k = 0; k < pairs; ++k) {
        const ExtendedBits a = operands.Next();
        const ExtendedBits b = operands.Related(a);
        ExpectSameBinary(
            "add", soft::Add, [](long double x, long double y) { return x + y; }, a, b, mismatches);
        ExpectSameBinary(
            "subtract", soft::Subtract, [](long double x, long double y) { return x - y; }, a, b,
            mismatches);
        ExpectSameBinary(
            "multiply", soft::Multiply, [](long double x, long double y) { return x * y; }, a, b,
            mismatches);
        ExpectSameBinary(
            "divide", soft::Divide, [](long double x, long double y) { return x / y; }, a, b,
            mismatches);
        ExpectSameBinary(
            "sqrt", [](ExtendedBits x, ExtendedBits) { return soft::Sqrt(x); },
            [](long double x, long double) { return HardwareSqrt(x); }, a, b, mismatches);
        if (k % 8 == 0) { // the remainder loops over the exponent difference: dearer
            ExpectSameBinary(
                "fmod", soft::Fmod, [](long double x, long double y) { return std::fmod(x, y); }, a,
                b, mismatches);
        }
        ExpectSameBinary(
            "compare",
            [](ExtendedBits x, ExtendedBits y) {
                return soft::FromInt64(static_cast<int>(soft::Compare(x, y)));
            },
            [](long double x, long double y) -> long double {
                // The quiet comparisons (FUCOMI) that Extended's operators use.
                if (__builtin_isless(x, y))
                    return 0;
                if (x == y)
                    return 1;
                if (__builtin_isgreater(x, y))
                    return 2;
                return 3;
            },
            a, b, mismatches);
    }
    EXPECT_EQ(mismatches, 0);
}

TEST(SoftExtended, ConvertsToAndFromDoubleAndToFloatAsTheX87Does)
{
    Operands operands(777);
    int mismatches = 0;
    for (long k = 0, count = test::Samples(1'000'000); k < count; ++k) {
        const ExtendedBits a = operands.NearDoubleRange();
        soft::ClearFaults();
        const double s = soft::ToDouble(a);
        const unsigned softFaults = soft::Faults();
        volatile long double x = Hardware(a);
        std::feclearexcept(FE_ALL_EXCEPT);
        const double h = static_cast<double>(x);
        const unsigned hardFaults = HardwareFaults();
        const bool same = std::memcmp(&s, &h, sizeof s) == 0 && softFaults == hardFaults;
        if (!same && ++mismatches <= 10)
            ADD_FAILURE() << "to double " << Text(a) << ": soft " << s << ", x87 " << h;

        const ExtendedBits f = operands.NearFloatRange();
        soft::ClearFaults();
        const float sf = soft::ToFloat(f);
        const unsigned softFloatFaults = soft::Faults();
        volatile long double xf = Hardware(f);
        std::feclearexcept(FE_ALL_EXCEPT);
        const float hf = static_cast<float>(xf);
        const unsigned hardFloatFaults = HardwareFaults();
        if ((std::memcmp(&sf, &hf, sizeof sf) != 0 || softFloatFaults != hardFloatFaults) &&
            ++mismatches <= 10)
            ADD_FAILURE() << "to float " << Text(f) << ": soft " << sf << ", x87 " << hf;

        const double d = operands.Double();
        soft::ClearFaults();
        const ExtendedBits back = soft::FromDouble(d);
        const unsigned softLoad = soft::Faults();
        volatile double vd = d;
        std::feclearexcept(FE_ALL_EXCEPT);
        const long double hl = vd;
        const unsigned hardLoad = HardwareFaults();
        if ((back != FromHardware(hl) || softLoad != hardLoad) && ++mismatches <= 10)
            ADD_FAILURE() << "from double " << d << ": soft " << Text(back);
    }
    EXPECT_EQ(mismatches, 0);
}

#if defined(__GLIBC__)
// glibc's strtold rounds correctly for any length, denormals included.
TEST(ReadDecimal, AgreesWithACorrectlyRoundingReader)
{
    test::DecimalTexts texts(4242);
    int mismatches = 0;
    for (long k = 0, count = test::Samples(300'000); k < count; ++k) {
        const std::string text = texts.Next();
        const auto mine = ReadDecimal(text);
        errno = 0;
        const long double reference = std::strtold(text.c_str(), nullptr);
        const bool overflow = std::isinf(reference);
        const bool same = overflow ? !mine.has_value()
                                   : mine.has_value() && mine->Bits() == FromHardware(reference);
        if (!same && ++mismatches <= 10) {
            ADD_FAILURE() << text << ": mine " << (mine ? Text(mine->Bits()) : "nullopt")
                          << ", strtold " << Text(FromHardware(reference));
        }
    }
    EXPECT_EQ(mismatches, 0);
}
#endif

#endif // TOLVANE_TEST_HAS_X87

TEST(Extended, RaisesTheFaultsTheEvaluatorReads)
{
    const Extended zero = Settle(Extended(0));
    const Extended largest = Extended::FromBits({~std::uint64_t{0}, 0x7ffe});
    const Extended smallest = Extended::FromBits({1, 0});
    const struct {
        const char* name;
        Extended (*operation)(Extended, Extended, Extended, Extended);
        unsigned want;
    } cases[] = {
        {"1/0", [](Extended z, Extended, Extended, Extended) { return 1 / z; }, kFaultDivideByZero},
        {"0/0", [](Extended z, Extended, Extended, Extended) { return z / z; }, kFaultInvalid},
        {"sqrt(-1)", [](Extended, Extended, Extended, Extended) { return Sqrt(Extended(-1)); },
         kFaultInvalid},
        {"max*2", [](Extended, Extended l, Extended, Extended) { return l * 2; }, kFaultOverflow},
        {"max+max", [](Extended, Extended l, Extended, Extended) { return l + l; }, kFaultOverflow},
        {"tiny*tiny", [](Extended, Extended, Extended s, Extended) { return s * s; }, 0},
        {"1/3", [](Extended, Extended, Extended, Extended) { return Extended(1) / 3; }, 0},
        {"exp(20000)", [](Extended, Extended, Extended, Extended) { return Exp(20000); },
         kFaultOverflow},
        {"exp(-20000)", [](Extended, Extended, Extended, Extended) { return Exp(-20000); }, 0},
        {"ln(0)", [](Extended z, Extended, Extended, Extended) { return Ln(z); },
         kFaultDivideByZero},
        {"ln(-1)", [](Extended, Extended, Extended, Extended) { return Ln(-1); }, kFaultInvalid},
        {"double(max)",
         [](Extended, Extended l, Extended, Extended) { return Extended(ToDouble(l)); },
         kFaultOverflow},
        {"trunc(2^70) to int64",
         [](Extended, Extended, Extended, Extended) { return Extended(ToInt64(Ldexp(1, 70))); },
         kFaultInvalid},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const NumericScope scope;
        (void)Settle(c.operation(zero, largest, smallest, zero));
        EXPECT_EQ(Faults(), c.want);
    }
}

TEST(Extended, RoundsAndScalesAtTheEdgesOfTheRange)
{
    const NumericScope scope;
    // The smallest denormal, halved, is a tie that goes to the even zero; three halves of it go
    // to two (even) units.
    const Extended smallest = Extended::FromBits({1, 0});
    EXPECT_EQ((smallest / 2).Bits(), (ExtendedBits{0, 0}));
    EXPECT_EQ((smallest * 3 / 2).Bits(), (ExtendedBits{2, 0}));
    EXPECT_EQ(Ldexp(1, -16445).Bits(), smallest.Bits());
    EXPECT_EQ(Ldexp(1, -16446).Bits(), (ExtendedBits{0, 0}));
    EXPECT_EQ(Ldexp(Extended(3), -16446).Bits(), (ExtendedBits{2, 0}));
    EXPECT_EQ(Ldexp(Ldexp(1, -16000), 32000).Bits(), Ldexp(1, 16000).Bits());
    EXPECT_TRUE(IsInf(Ldexp(1, 16384)));
    int e = 0;
    EXPECT_EQ(Frexp(Extended(-12), e), Extended(-0.75));
    EXPECT_EQ(e, 4);
    EXPECT_EQ(Frexp(smallest, e), Extended(0.5));
    EXPECT_EQ(e, -16444);
    const struct {
        double x, trunc, floor;
        std::int64_t whole;
    } cases[] = {{2.7, 2, 2, 2},
                 {-2.7, -2, -3, -2},
                 {-0.5, -0.0, -1, 0},
                 {1e300, 1e300, 1e300, std::numeric_limits<std::int64_t>::min()},
                 {-9.2233720368547758e18, -9.2233720368547758e18, -9.2233720368547758e18,
                  std::numeric_limits<std::int64_t>::min()}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.x);
        EXPECT_EQ(Trunc(c.x), Extended(c.trunc));
        EXPECT_EQ(SignBit(Trunc(c.x)), std::signbit(c.trunc));
        EXPECT_EQ(Floor(c.x), Extended(c.floor));
        EXPECT_EQ(ToInt64(c.x), c.whole);
    }
    EXPECT_EQ(Fmod(Extended(-7), 3), Extended(-1));
    EXPECT_EQ(Fmod(Ldexp(1, 16000), 3), Extended(1)); // 2^16000 = (3 - 1)^16000
}

TEST(ReadDecimal, RoundsCorrectlyWhateverTheLength)
{
    const std::string longOne = "1." + std::string(5000, '0') + "1"; // just above 1
    const std::string tieUp = "1.0000000000000000000542101086242752217003726400434970855712890625" +
                              std::string(3000, '0') + "1"; // just above the tie 1 + 2^-64
    const std::string tie = "1.0000000000000000000542101086242752217003726400434970855712890625";
    const struct {
        std::string text;
        ExtendedBits want;
    } cases[] = {
        {"0", {0, 0}},
        {"-0.000", {0, 0x8000}},
        {"1", {0x8000'0000'0000'0000, 0x3fff}},
        {"0.1", {0xcccc'cccc'cccc'cccd, 0x3ffb}},
        {"3.14159265358979", {0xc90f'daa2'2168'87de, 0x4000}},
        {"1e4932", {0xd72c'b2a9'5c7e'f6cd, 0x7ffe}}, // near the top of the range
        {"3.6451995318824746025e-4951", {1, 0}},     // the smallest denormal
        {"1e-4952", {0, 0}},
        {longOne, {0x8000'0000'0000'0000, 0x3fff}},
        {tie, {0x8000'0000'0000'0000, 0x3fff}}, // a tie goes to the even neighbour
        {tieUp, {0x8000'0000'0000'0001, 0x3fff}},
        {"5687379681963228010995", {0x9a28'1fcb'dbb8'280d, 0x4047}},
        {"1E+3", {0xfa00'0000'0000'0000, 0x4008}},
        {"+.5e1", {0xa000'0000'0000'0000, 0x4001}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text.substr(0, 60));
        const auto v = ReadDecimal(c.text);
        ASSERT_TRUE(v.has_value());
        EXPECT_EQ(Text(v->Bits()), Text(c.want));
    }
    for (const char* bad :
         {"", ".", "e5", "1e", "1e+", "1.2.3", "--1", "1 ", "0x10", "inf", "1e5000", "-1e4933"}) {
        SCOPED_TRACE(bad);
        EXPECT_FALSE(ReadDecimal(bad).has_value());
    }
}

// Every operation and function over deterministic operands, folded into one number: the same
// on x86-64 (hardware or portable type), under Wine and on arm64, or one of them is wrong.
TEST(Extended, GivesTheSameBitsOnEveryMachine)
{
    const NumericScope scope;
    EXPECT_EQ(test::ArithmeticDigest(200'000), test::kArithmeticDigest);
    EXPECT_EQ(test::FunctionDigest(20'000), test::kFunctionDigest);
}

} // namespace
} // namespace tolvane::engine
