// Internal to the engine: the one table of the 42 functions, which the checker
// asks for names and argument counts and the function step for handlers.
// The public lookups (IsFunctionName, DeclaredArgumentCount, FunctionTable)
// are in engine.h.
#pragma once

#include "engine/function_call.h"

#include <string_view>

namespace tolvane::engine {

// The declared argument count of the functions over lists of any length.
inline constexpr int kAnyCount = 0;

struct FunctionInfo {
    std::string_view name; // as an expression must write it: logN has a capital N
    int argumentCount = kAnyCount;
    FunctionHandler handler = nullptr;
};

// The function named exactly `name`, with case, or nullptr.
[[nodiscard]] const FunctionInfo* FindFunction(std::string_view name);

// The function whose name, with ASCII letters lower-cased, equals `name`
// lower-cased, or nullptr. The function step dispatches through this once the
// exact name test has passed, so logN and LOGN reach the same handler.
[[nodiscard]] const FunctionInfo* FindFunctionIgnoringCase(std::string_view name);

} // namespace tolvane::engine
