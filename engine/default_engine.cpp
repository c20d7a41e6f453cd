// The default engine: the one set of named values of the process, for callers
// that keep a single engine for the whole program (the window's sheet, the
// batch tool). It is the only mutable state in the engine that outlives a
// call; everything else takes its named values as an argument. Like the sheet
// that uses it, it belongs to one thread.
#include "engine/engine.h"

namespace tolvane::engine {
namespace {

NamedValues& Default()
{
    static NamedValues named;
    return named;
}

} // namespace

void InitExpressionEngine()
{
    ResetNamedValues(Default());
}

void FinalizeExpressionEngine()
{
    Default().Clear();
}

const NamedValues& DefaultNamedValues()
{
    return Default();
}

void ResetNamedValues()
{
    ResetNamedValues(Default());
}

int AddNamedValues(std::span<const std::string> names, std::span<const double> values)
{
    return AddNamedValues(Default(), names, values);
}

int DefineVariables(std::string_view definitions)
{
    return DefineVariables(Default(), definitions);
}

Evaluation EvaluateExpression(std::string_view text)
{
    return EvaluateExpression(text, Default());
}

} // namespace tolvane::engine
