// Internal to the engine: reading the argument list text of one function call, the evaluated
// arguments as number texts joined by ',' (how the evaluator hands a call to its function).
#pragma once

#include <span>
#include <string>
#include <string_view>

namespace tolvane::engine {

// The n-th item (from 1) of a comma-joined argument list, blanks removed, or the empty string
// when there is no such item.
[[nodiscard]] std::string NthArgument(std::string_view argumentList, int n);
// Converts the items into values[0..]; false at the first item that is not a number (earlier
// slots keep their new values, later ones what they held).
bool ParseArguments(std::string_view argumentList, std::span<double> values);

} // namespace tolvane::engine
