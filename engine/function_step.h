// Internal to the engine: where the evaluator's function step plugs in.
// ApplyFunction is the step; tests put a recording step in its place to see
// exactly what the evaluator hands over (name and argument list text).
#pragma once

#include "engine/engine.h"
#include "engine/error_state.h"

#include <optional>
#include <string_view>

namespace tolvane::engine {

using FunctionStep = std::optional<double> (*)(std::string_view name,
                                               std::optional<std::string_view> argumentList,
                                               ErrorState& errors);

// EvaluateExpression with `step` called for every function name in place of
// ApplyFunction.
[[nodiscard]] Evaluation EvaluateExpression(std::string_view text, const NamedValues& named,
                                            FunctionStep step);

} // namespace tolvane::engine
