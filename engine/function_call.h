// Internal to the engine: how the function step hands one call to the code
// of a function family, and the helpers those families share.
//
// Every one of the 42 functions is a handler of one shape: it receives the
// call (the argument list text exactly as the evaluator built it, the first
// argument x already read, the evaluation's error state) and answers either
// the result, still in extended precision, or nullopt to stop the
// evaluation. The function step rounds a result to a double once; one beyond
// the double range is an overflow there. A nullopt with the error flag set
// means the handler recorded its message with AppendError (at most one per
// call); with the flag clear it is a numeric fault, which ends the evaluation
// without a message.
#pragma once

#include "engine/error_state.h"
#include "engine/numeric/numeric.h"

#include <cstddef>
#include <optional>
#include <string_view>
#include <vector>

namespace tolvane::engine {

struct FunctionCall {
    std::string_view argumentList; // the items joined by ',', as the evaluator built them
    Extended x = 0;                // the first item, already read
    ErrorState& errors;
};

using FunctionOutcome = std::optional<Extended>;
using FunctionHandler = FunctionOutcome (*)(const FunctionCall&);

// The second argument of a two-argument function. A missing item records
// `missingMessage`; an item that is not a number is a numeric fault. Both
// give nullopt.
[[nodiscard]] std::optional<Extended> SecondArgument(const FunctionCall& call,
                                                     std::string_view missingMessage);

// The items of an argument list as doubles, one slot per item (1 + the number
// of commas), 0 where an item could not be read. nullopt when an item lies
// beyond the range of a double: storing it would silently turn it into an
// infinity, so it is a numeric fault like any other overflow.
[[nodiscard]] std::optional<std::vector<double>> ArgumentValues(std::string_view argumentList);

// The same for the functions that take a fixed number of arguments: a list
// with another count records `countMessage` and gives nullopt.
[[nodiscard]] std::optional<std::vector<double>> FixedArgumentValues(std::string_view argumentList,
                                                                     std::size_t required,
                                                                     std::string_view countMessage,
                                                                     ErrorState& errors);

// True when v has no fractional part.
[[nodiscard]] bool IsWhole(Extended v);

} // namespace tolvane::engine
