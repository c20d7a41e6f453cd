// Invariants shared by the fuzz targets. A failed invariant aborts, which
// libFuzzer reports as a crash with the input that caused it.
#pragma once

#include "engine/messages.h"

#include <array>
#include <cstdio>
#include <cstdlib>
#include <string_view>

namespace tolvane::fuzz {

inline void Require(bool condition, const char* what)
{
    if (!condition) {
        std::fprintf(stderr, "invariant broken: %s\n", what);
        std::abort();
    }
}

// Every message the engine may record; an error text is a run of these, each
// followed by ';'.
inline constexpr std::array kEngineMessages = {
    engine::msg::kBadFunctionName,     engine::msg::kUnknownFunctionName,
    engine::msg::kArgumentCount,       engine::msg::kInvalidCharacter,
    engine::msg::kTooManyClosing,      engine::msg::kParenthesisNeighbour,
    engine::msg::kParenthesisPairing,  engine::msg::kFirstCharacter,
    engine::msg::kLastCharacter,       engine::msg::kOperatorNeighbour,
    engine::msg::kPointAtEdge,         engine::msg::kAdjacentPoints,
    engine::msg::kTwoPoints,           engine::msg::kFactorialRange,
    engine::msg::kDivisionByZero,      engine::msg::kInvalidToken,
    engine::msg::kUnknownFunction,     engine::msg::kFirstArgument,
    engine::msg::kPowerArguments,      engine::msg::kSqrtNegative,
    engine::msg::kArcsinRange,         engine::msg::kArccosRange,
    engine::msg::kLogPositive,         engine::msg::kLognArguments,
    engine::msg::kLognDomain,          engine::msg::kRoundtoDigits,
    engine::msg::kModArguments,        engine::msg::kModDomain,
    engine::msg::kArcintaxDomain,      engine::msg::kCircleRadius,
    engine::msg::kEllipseArguments,    engine::msg::kEllipseAxes,
    engine::msg::kRectangleArguments,  engine::msg::kRectangleSides,
    engine::msg::kPolygonArguments,    engine::msg::kNotATriangle,
    engine::msg::kNotATriangleRounded, engine::msg::kPlanePoints,
    engine::msg::kSpacePoints,         engine::msg::kDistanceArguments,
    engine::msg::kMortgageArguments,   engine::msg::kArithmeticSeries,
    engine::msg::kGeometricSeries,
};

// True when `text` is empty or a sequence of known messages, each followed by ';'.
inline bool IsMessageSequence(std::string_view text)
{
    while (!text.empty()) {
        bool matched = false;
        for (std::string_view message : kEngineMessages) {
            if (text.size() > message.size() && text.starts_with(message) &&
                text[message.size()] == ';') {
                text.remove_prefix(message.size() + 1);
                matched = true;
                break;
            }
        }
        if (!matched)
            return false;
    }
    return true;
}

} // namespace tolvane::fuzz
