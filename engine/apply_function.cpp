#include "engine/functions.h"

namespace tolvane::engine {

// Placeholder until the functions land: every call is a numeric fault.
std::optional<double> ApplyFunction(std::string_view, std::optional<std::string_view>, ErrorState&)
{
    return std::nullopt;
}

} // namespace tolvane::engine
