// Internal to the engine: how the function step hands one call to the code
// of a function family, and the helpers those families share.
//
// Every named function is a handler that receives the call (argument list
// text, first argument x, the evaluation's error state) and answers either
// the result, still in extended precision (the function step rounds it to a
// double once), or nullopt to stop the evaluation. A nullopt with the error
// flag set means the handler recorded its message; with the flag clear it is
// a numeric fault, which ends the evaluation without a message.
#pragma once

#include "engine/engine.h"

#include <cstddef>
#include <optional>
#include <string_view>
#include <vector>

namespace tolvane::engine {

struct FunctionCall {
    std::string_view argumentList; // the items joined by ',', as the evaluator built them
    long double x = 0;             // the first item, already read
    ErrorState& errors;
};

using FunctionOutcome = std::optional<long double>;
using FunctionHandler = FunctionOutcome (*)(const FunctionCall&);

// The second argument of a two-argument function. A missing item records
// `missingMessage`; an item that is not a number is a numeric fault. Both
// give nullopt.
[[nodiscard]] std::optional<long double> SecondArgument(const FunctionCall& call,
                                                        std::string_view missingMessage);

// The items of an argument list as doubles, one slot per item (1 + the number
// of commas), 0 where an item could not be read. nullopt when an item lies
// beyond the range of a double: storing it would silently turn it into an
// infinity, so it is a numeric fault like any other overflow.
[[nodiscard]] std::optional<std::vector<double>> ArgumentValues(std::string_view argumentList);

// The same for the routines that take a fixed number of arguments: a list
// with another count records `countMessage` and gives nullopt.
[[nodiscard]] std::optional<std::vector<double>> FixedArgumentValues(std::string_view argumentList,
                                                                     std::size_t required,
                                                                     std::string_view countMessage,
                                                                     ErrorState& errors);

// Stores a routine's result in r when it is finite. A non-finite value can
// only come from an overflow, a division by zero or an invalid operation: a
// numeric fault, for which r stays untouched and the answer is false.
bool StoreResult(long double value, double& r);

// True when v has no fractional part.
[[nodiscard]] bool IsWhole(long double v);

// ---- Handlers of the functions computed in line --------------------------
// elementary
FunctionOutcome Abs(const FunctionCall& call);
FunctionOutcome Sin(const FunctionCall& call);
FunctionOutcome Cos(const FunctionCall& call);
FunctionOutcome Tan(const FunctionCall& call);
FunctionOutcome Arctan(const FunctionCall& call);
FunctionOutcome Degrad(const FunctionCall& call);
FunctionOutcome Raddeg(const FunctionCall& call);
FunctionOutcome Int(const FunctionCall& call);
FunctionOutcome Trunc(const FunctionCall& call);
FunctionOutcome Round(const FunctionCall& call);
FunctionOutcome Frac(const FunctionCall& call);
FunctionOutcome Exp(const FunctionCall& call);
FunctionOutcome Power(const FunctionCall& call);
FunctionOutcome Sqrt(const FunctionCall& call);
FunctionOutcome Arcsin(const FunctionCall& call);
FunctionOutcome Arccos(const FunctionCall& call);
FunctionOutcome Log2(const FunctionCall& call);
FunctionOutcome Log10(const FunctionCall& call);
FunctionOutcome Ln(const FunctionCall& call);
FunctionOutcome LogN(const FunctionCall& call);
FunctionOutcome Roundto(const FunctionCall& call);
FunctionOutcome Mod(const FunctionCall& call);
// areas of plane figures
FunctionOutcome SCirc(const FunctionCall& call);
FunctionOutcome SEllip(const FunctionCall& call);
FunctionOutcome SRect(const FunctionCall& call);
FunctionOutcome SPoly(const FunctionCall& call);
// income tax
FunctionOutcome Intax(const FunctionCall& call);
FunctionOutcome Arcintax(const FunctionCall& call);

} // namespace tolvane::engine
