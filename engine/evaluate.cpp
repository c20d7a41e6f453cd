#include "engine/engine.h"

namespace tolvane::engine {

Evaluation EvaluateExpression(std::string_view)
{
    return {};
}

} // namespace tolvane::engine
