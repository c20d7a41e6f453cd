// What a user gets from one expression, as a single comparable text, for the
// tables of the function tests.
#pragma once

#include "engine/argument_list.h"
#include "engine/engine.h"
#include "engine/function_call.h"

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
    const Evaluation evaluation = EvaluateExpression(expression, NamedValues{});
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

// A function that reads its own argument list, called directly with a list
// it must refuse.
struct RoutineCase {
    FunctionHandler routine;
    std::string_view list, want;
};

// Each routine answers nothing and records exactly `want`.
inline void ExpectRefusals(std::span<const RoutineCase> cases)
{
    for (const RoutineCase& c : cases) {
        SCOPED_TRACE(c.list);
        ErrorState errors;
        const Extended x = ParseNumber(NthArgument(c.list, 1)).value_or(0);
        EXPECT_FALSE(c.routine(FunctionCall{c.list, x, errors}).has_value());
        EXPECT_EQ(errors.text, c.want);
    }
}

} // namespace tolvane::engine::testing
