// Internal to the engine: the first step of an evaluation, which writes each named value into
// the expression text as its number text before the text is checked.
#pragma once

#include "engine/named_values.h"

#include <string>

namespace tolvane::engine {

// Replaces whole-word occurrences of the names by FormatNumber of their values, in table order.
void SubstituteNamedValues(std::string& text, const NamedValues& named);
// The same with a caller's spare buffer, so the evaluator substitutes without allocating.
void SubstituteNamedValues(std::string& text, const NamedValues& named, std::string& spare);

} // namespace tolvane::engine
