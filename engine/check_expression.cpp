#include "engine/engine.h"

namespace tolvane::engine {

void AppendError(ErrorState& state, std::string_view message)
{
    state.flag = true;
    state.text.append(message);
    state.text.push_back(';');
}

bool CheckExpression(std::string_view, std::string& errorText)
{
    errorText.clear();
    return false;
}

} // namespace tolvane::engine
