// The function step (name test, argument list, first argument, dispatch)
// and the helpers the function families share.
#include "engine/argument_list.h"
#include "engine/engine.h"
#include "engine/function_call.h"
#include "engine/function_table.h"
#include "engine/functions.h"
#include "engine/messages.h"

#include <algorithm>
#include <cassert>
#include <cmath>
#include <string>

namespace tolvane::engine {

std::optional<Extended> SecondArgument(const FunctionCall& call, std::string_view missingMessage)
{
    const std::string item = NthArgument(call.argumentList, 2);
    if (item.empty()) {
        AppendError(call.errors, missingMessage);
        return std::nullopt;
    }
    return ParseNumber(item);
}

std::optional<std::vector<double>> ArgumentValues(std::string_view argumentList)
{
    std::vector<double> values(1 + static_cast<std::size_t>(std::ranges::count(argumentList, ',')),
                               0.0);
    const bool parsed = ParseArguments(argumentList, values);
    if (parsed && std::ranges::none_of(values, [](double v) { return std::isinf(v); }))
        return values;
    // Either an item was refused or one came back infinite: find out whether
    // an item is a number too large for a double.
    for (std::size_t start = 0; start <= argumentList.size();) {
        const std::size_t end = std::min(argumentList.find(',', start), argumentList.size());
        const auto v = ParseNumber(argumentList.substr(start, end - start));
        if (v && std::isinf(ToDouble(*v)))
            return std::nullopt;
        start = end + 1;
    }
    return values;
}

std::optional<std::vector<double>> FixedArgumentValues(std::string_view argumentList,
                                                       std::size_t required,
                                                       std::string_view countMessage,
                                                       ErrorState& errors)
{
    auto values = ArgumentValues(argumentList);
    if (values && values->size() != required) {
        AppendError(errors, countMessage);
        return std::nullopt;
    }
    return values;
}

bool IsWhole(Extended v)
{
    return Trunc(v) == v;
}

std::optional<double> ApplyFunction(std::string_view name,
                                    std::optional<std::string_view> argumentList,
                                    ErrorState& errors)
{
    // The name test is exact, with case: logn is no function, logN is.
    if (!IsFunctionName(name) || !argumentList) {
        AppendError(errors, msg::kUnknownFunction);
        return std::nullopt;
    }
    const std::string first = NthArgument(*argumentList, 1);
    if (first.empty()) {
        AppendError(errors, msg::kFirstArgument);
        return std::nullopt;
    }
    const std::optional<Extended> x = ParseNumber(first);
    if (!x)
        return std::nullopt;

    // The dispatch is on the lower-cased name, which no two functions share.
    const FunctionInfo* function = FindFunctionIgnoringCase(name);
    assert(function && "a name that passed the exact test has a handler");
    if (function == nullptr)
        return std::nullopt;

    const FunctionOutcome r = function->handler(FunctionCall{*argumentList, *x, errors});
    if (!r || errors.flag)
        return std::nullopt;
    // The one rounding of the result to a double; beyond the double range it
    // is an overflow, which the caller must see as a numeric fault.
    const double rounded = ToDouble(*r);
    if (!std::isfinite(rounded))
        return std::nullopt;
    return rounded;
}

} // namespace tolvane::engine
