// What a user gets from one expression, as a single comparable text, for the
// tables of the function tests.
#pragma once

#include "engine/engine.h"

#include <gtest/gtest.h>

#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace tolvane::engine::testing {

// A failure without a message: an overflow, an invalid operation, a division
// by zero inside a computation, an unreadable number.
inline constexpr std::string_view kNumericFault = "(numeric fault)";

// The result as the sheet writes it, or the messages (each followed by ';'),
// or kNumericFault.
inline std::string Outcome(std::string_view expression)
{
    InitExpressionEngine();
    ResetNamedValues();
    const Evaluation evaluation = EvaluateExpression(expression);
    if (evaluation.ok)
        return FormatNumber(evaluation.value);
    return evaluation.error.empty() ? std::string(kNumericFault) : evaluation.error;
}

// The same for one direct call: the answer, the recorded messages or the
// numeric fault.
inline std::string Outcome(std::optional<double> answer, const ErrorState& errors)
{
    if (errors.flag)
        return errors.text;
    return answer ? FormatNumber(*answer) : std::string(kNumericFault);
}

struct Case {
    std::string_view expression;
    std::string_view want;
};

inline void ExpectOutcomes(std::span<const Case> cases)
{
    for (const Case& c : cases) {
        SCOPED_TRACE(c.expression);
        EXPECT_EQ(Outcome(c.expression), c.want);
    }
}

// A separate routine called directly with an argument list it must refuse.
struct RoutineCase {
    bool (*routine)(std::string_view, double&, ErrorState&);
    std::string_view list, want;
};

// Each routine answers false, records exactly `want` and leaves r alone.
inline void ExpectRefusals(std::span<const RoutineCase> cases)
{
    for (const RoutineCase& c : cases) {
        SCOPED_TRACE(c.list);
        double r = 42;
        ErrorState errors;
        EXPECT_FALSE(c.routine(c.list, r, errors));
        EXPECT_EQ(errors.text, c.want);
        EXPECT_EQ(r, 42);
    }
}

} // namespace tolvane::engine::testing
