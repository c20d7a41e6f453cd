// Internal to the engine: the error state of one evaluation, which every checking pass, the
// evaluator and the function families record their messages in. Callers of the engine see only
// the text it ends with (Evaluation::error).
#pragma once

#include <string>
#include <string_view>

namespace tolvane::engine {

// A flag and the messages recorded so far, each followed by ';'.
struct ErrorState {
    bool flag = false;
    std::string text;
};

// The single way any part of the engine records an error: sets the flag and appends
// message + ";". Never clears anything.
void AppendError(ErrorState& state, std::string_view message);

} // namespace tolvane::engine
