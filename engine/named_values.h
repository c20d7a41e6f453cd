// Internal to the engine: the shutdown half of the named values.
#pragma once

#include <string>
#include <string_view>

namespace tolvane::engine {

// Empties the named values without registering the standard ones.
void ClearNamedValues();

// True for a name the named values accept: a letter A-Z or a-z first, then
// letters, digits and '_' only.
[[nodiscard]] bool IsValidValueName(std::string_view name);

// SubstituteNamedValues with a caller's spare buffer, so the evaluator
// substitutes without allocating.
void SubstituteNamedValues(std::string& text, std::string& spare);

} // namespace tolvane::engine
