#include "engine/arithmetic.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <optional>

namespace tolvane::engine {
namespace {

TEST(PowerRule, FollowsTheWholeExponentAndLogarithmBranches)
{
    const struct {
        long double a, b;
        std::optional<long double> want;
    } cases[] = {
        {2, 10, 1024.0L},
        {2, -1, 0.5L},
        {-2, 3, -8.0L},
        {-2, 2, 4.0L},
        {0, 0, 1.0L},
        {5, 0, 1.0L},
        {0, 3, 0.0L},
        {0, 0.5L, 0.0L},
        {0, -0.5L, 0.0L},
        {0, -1, std::nullopt},
        {-8, 1.0L / 3, std::nullopt},
        {-1, 0.5L, std::nullopt},
        {10, 2147483647.0L, std::numeric_limits<long double>::infinity()},
        {1, 2147483648.0L, 1.0L}, // past the whole range: e^(b ln 1)
        {-1, 2147483648.0L, std::nullopt},
        {4, 0.5L, 2.0L},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message()
                     << static_cast<double>(c.a) << " ^ " << static_cast<double>(c.b));
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
    EXPECT_EQ(*PowerRule(3, 40), 12157665459056928801.0L);
    EXPECT_EQ(static_cast<double>(*PowerRule(2, 0.03L)),
              static_cast<double>(std::exp(0.03L * std::log(2.0L))));
}

} // namespace
} // namespace tolvane::engine
