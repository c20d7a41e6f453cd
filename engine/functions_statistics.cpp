// Statistics over argument lists of any length. The running values (maximum,
// minimum, partial sum, mean, sum of squares) are doubles, rounded after each
// step, so a long list gives the same result however the compiler keeps its
// intermediates. These routines record no message of their own.
#include "engine/function_call.h"
#include "engine/functions.h"

#include <cmath>
#include <vector>

namespace tolvane::engine {
namespace {

double Sum(const std::vector<double>& values)
{
    double s = 0;
    for (const double v : values)
        s += v;
    return s;
}

// The first value replaced by every later one that `takes` over it.
template <typename Takes> bool Extreme(std::string_view argumentList, double& r, Takes takes)
{
    const auto values = ArgumentValues(argumentList);
    if (!values)
        return false;
    double m = values->front();
    for (const double v : *values) {
        if (takes(m, v))
            m = v;
    }
    return StoreResult(m, r);
}

} // namespace

bool StatMax(std::string_view argumentList, double& r, ErrorState&)
{
    return Extreme(argumentList, r, [](double m, double v) { return m <= v; });
}

bool StatMin(std::string_view argumentList, double& r, ErrorState&)
{
    return Extreme(argumentList, r, [](double m, double v) { return m >= v; });
}

bool StatSum(std::string_view argumentList, double& r, ErrorState&)
{
    const auto values = ArgumentValues(argumentList);
    if (!values)
        return false;
    return StoreResult(Sum(*values), r);
}

bool StatAvg(std::string_view argumentList, double& r, ErrorState&)
{
    const auto values = ArgumentValues(argumentList);
    if (!values)
        return false;
    return StoreResult(Sum(*values) / static_cast<double>(values->size()), r);
}

// The sample deviation (divisor n - 1). A single value divides 0 by 0: an
// invalid operation, so the evaluation fails without a message.
bool StatStdDev(std::string_view argumentList, double& r, ErrorState&)
{
    const auto values = ArgumentValues(argumentList);
    if (!values)
        return false;
    const auto n = static_cast<double>(values->size());
    const double mean = Sum(*values) / n;
    double q = 0;
    for (const double v : *values) {
        const long double d = static_cast<long double>(v) - mean;
        q = static_cast<double>(q + d * d);
    }
    return StoreResult(std::sqrt(static_cast<long double>(q) / (n - 1)), r);
}

} // namespace tolvane::engine
