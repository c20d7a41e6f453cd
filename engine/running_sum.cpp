#include "engine/engine.h"

#include <cmath>

namespace tolvane::engine {

// Neumaier's compensated sum: each addition's rounding error is computed exactly (the larger
// operand minus the rounded sum, plus the smaller, loses nothing) and kept aside, and the
// errors are added back once, at the end. Compiled with the engine's strict floating point, so
// no compiler reorders the additions or fuses them.
void RunningSum::Add(double value)
{
    const double sum = m_sum + value;
    if (std::fabs(m_sum) >= std::fabs(value))
        m_carry += (m_sum - sum) + value;
    else
        m_carry += (value - sum) + m_sum;
    m_sum = sum;
}

} // namespace tolvane::engine
