// Statistics over argument lists of any length. The running values (maximum,
// minimum, partial sum, mean, sum of squares) are doubles, rounded after each
// step, so a long list gives the same result however the compiler keeps its
// intermediates. These routines record no message of their own.
#include "engine/function_call.h"
#include "engine/functions.h"

#include <vector>

namespace tolvane::engine {
namespace {

double SumOf(const std::vector<double>& values)
{
    double s = 0;
    for (const double v : values)
        s += v;
    return s;
}

// The first value replaced by every later one that `takes` over it.
template <typename Takes> FunctionOutcome Extreme(const FunctionCall& call, Takes takes)
{
    const auto values = ArgumentValues(call.argumentList);
    if (!values)
        return std::nullopt;
    double m = values->front();
    for (const double v : *values) {
        if (takes(m, v))
            m = v;
    }
    return m;
}

} // namespace

namespace handlers {

FunctionOutcome Max(const FunctionCall& call)
{
    return Extreme(call, [](double m, double v) { return m <= v; });
}

FunctionOutcome Min(const FunctionCall& call)
{
    return Extreme(call, [](double m, double v) { return m >= v; });
}

FunctionOutcome Sum(const FunctionCall& call)
{
    const auto values = ArgumentValues(call.argumentList);
    if (!values)
        return std::nullopt;
    return SumOf(*values);
}

FunctionOutcome Avg(const FunctionCall& call)
{
    const auto values = ArgumentValues(call.argumentList);
    if (!values)
        return std::nullopt;
    return SumOf(*values) / static_cast<double>(values->size());
}

// The sample deviation (divisor n - 1). A single value divides 0 by 0: an
// invalid operation, so the evaluation fails without a message.
FunctionOutcome Stddev(const FunctionCall& call)
{
    const auto values = ArgumentValues(call.argumentList);
    if (!values)
        return std::nullopt;
    const auto n = static_cast<double>(values->size());
    const double mean = SumOf(*values) / n;
    double q = 0;
    for (const double v : *values) {
        const Extended d = Extended(v) - mean;
        q = ToDouble(q + d * d);
    }
    return engine::Sqrt(Extended(q) / (n - 1));
}

} // namespace handlers
} // namespace tolvane::engine
