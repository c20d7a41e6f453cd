// Internal to the engine: the mathematical constants, each value defined once.
// Three values of pi are in use on purpose, and each keeps the digits users
// have always been given where it appears.
#pragma once

#include "engine/numeric/numeric.h"

namespace tolvane::engine {

// The doubles nearest to pi and e: the named values pi, PI, e and E.
inline constexpr double kPi = 3.141592653589793;
inline constexpr double kE = 2.718281828459045;

// The extended-precision value nearest to pi, for the areas (s_circ, s_ellip,
// s_poly): they are as exact as the arithmetic allows.
inline constexpr Extended kExtendedPi = Extended::FromBits({0xc90f'daa2'2168'c235, 0x4000});

// The 15-digit decimal pi of degrad and raddeg (the extended value nearest
// 3.14159265358979). Not the full-precision value, so that raddeg(pi), with pi
// substituted as its 15-digit text, comes out as exactly 180.
inline constexpr Extended kDecimalPi = Extended::FromBits({0xc90f'daa2'2168'87de, 0x4000});

} // namespace tolvane::engine
