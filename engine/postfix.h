// Internal to the engine: preparing the working text and converting it to
// postfix order.
#pragma once

#include "engine/char_sets.h"
#include "engine/token_stack.h"

#include <string>
#include <string_view>

namespace tolvane::engine {

// Marks signs ('-' becomes '~', a sign '+' is dropped) and appends the end
// marker '#'.
void MarkSigns(std::string& work);

// The priority of an operator-stack symbol by its first character.
[[nodiscard]] int OperatorPriority(char symbol);

// Converts a marked working text (ending with '#') to postfix order. Tokens
// are views into `work`; `output` receives the sequence, `operators` is the
// working stack (both start empty).
void ConvertToPostfix(std::string_view work, TokenStack<std::string_view>& output,
                      TokenStack<std::string_view>& operators);

// A function name (or any token) that begins with a letter or '_'.
inline bool StartsName(std::string_view token)
{
    return !token.empty() && kNameStartChars.Has(token.front());
}

} // namespace tolvane::engine
