#include "engine/arithmetic.h"
#include "engine/engine.h"

#include <gtest/gtest.h>

#include <optional>

namespace tolvane::engine {
namespace {

TEST(PowerRule, FollowsTheWholeExponentAndLogarithmBranches)
{
    const Extended infinity = Extended::FromBits({std::uint64_t{1} << 63, 0x7fff});
    const struct {
        Extended a, b;
        std::optional<Extended> want;
    } cases[] = {
        {2, 10, 1024},
        {2, -1, 0.5},
        {-2, 3, -8},
        {-2, 2, 4},
        {0, 0, 1},
        {5, 0, 1},
        {0, 3, 0},
        {0, 0.5, 0},
        {0, -0.5, 0},
        {0, -1, std::nullopt},
        {-8, Extended(1) / 3, std::nullopt},
        {-1, 0.5, std::nullopt},
        {10, 2147483647, infinity},
        {1, 2147483648.0, 1}, // past the whole range: e^(b ln 1)
        {-1, 2147483648.0, std::nullopt},
        {4, 0.5, 2},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << ToDouble(c.a) << " ^ " << ToDouble(c.b));
        const auto got = PowerRule(c.a, c.b);
        ASSERT_EQ(got.has_value(), c.want.has_value());
        if (got) {
            EXPECT_EQ(*got, *c.want);
        }
    }
}

TEST(PowerRule, RaisesByRepeatedSquaringInExtendedPrecision)
{
    // 3^40 = 12157665459056928801 needs 64 bits: exact in extended, not in
    // double.
    EXPECT_EQ(*PowerRule(3, 40), Extended(std::uint64_t{12157665459056928801u}));
    // A fractional exponent takes the logarithm route: 2^3% of the sheet.
    EXPECT_EQ(FormatNumber(ToDouble(*PowerRule(2, *ParseNumber("0.03")))), "1.02101212570719");
}

} // namespace
} // namespace tolvane::engine
