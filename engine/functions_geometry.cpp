// Areas of plane figures, triangles, and distances between points, lines and
// planes. Arithmetic runs in extended precision on the arguments.
#include "engine/arithmetic.h"
#include "engine/constants.h"
#include "engine/function_call.h"
#include "engine/functions.h"
#include "engine/messages.h"
#include "engine/numeric/extended_math.h"

#include <array>

namespace tolvane::engine {
namespace {

Extended Square(Extended v)
{
    return v * v;
}

// A proper triangle: every side positive and shorter than the other two
// together, so a degenerate triangle (1, 1, 2) is refused.
bool IsTriangle(Extended a, Extended b, Extended c)
{
    return a + b > c && b + c > a && a + c > b && a > 0 && b > 0 && c > 0;
}

// The three sides of a proper triangle from an argument list; nullopt after
// recording the message, or for a numeric fault.
std::optional<std::array<Extended, 3>> TriangleSides(const FunctionCall& call)
{
    const auto v = FixedArgumentValues(call.argumentList, 3, msg::kNotATriangle, call.errors);
    if (!v)
        return std::nullopt;
    const std::array<Extended, 3> sides = {(*v)[0], (*v)[1], (*v)[2]};
    if (!IsTriangle(sides[0], sides[1], sides[2])) {
        AppendError(call.errors, msg::kNotATriangle);
        return std::nullopt;
    }
    return sides;
}

// Two positive measures (half axes, sides) read as x and the second argument.
std::optional<Extended> PositivePair(const FunctionCall& call, std::string_view missing,
                                     std::string_view notPositive)
{
    const auto y = SecondArgument(call, missing);
    if (!y)
        return std::nullopt;
    if (call.x <= 0 || *y <= 0) {
        AppendError(call.errors, notPositive);
        return std::nullopt;
    }
    return y;
}

} // namespace

namespace handlers {

FunctionOutcome SCirc(const FunctionCall& call)
{
    if (call.x <= 0) {
        AppendError(call.errors, msg::kCircleRadius);
        return std::nullopt;
    }
    const auto squared = PowerRule(call.x, 2);
    if (!squared)
        return std::nullopt;
    return *squared * kExtendedPi;
}

FunctionOutcome SEllip(const FunctionCall& call)
{
    const auto y = PositivePair(call, msg::kEllipseArguments, msg::kEllipseAxes);
    if (!y)
        return std::nullopt;
    return kExtendedPi * call.x * *y;
}

FunctionOutcome SRect(const FunctionCall& call)
{
    const auto y = PositivePair(call, msg::kRectangleArguments, msg::kRectangleSides);
    if (!y)
        return std::nullopt;
    return call.x * *y;
}

// s_poly(side, number of sides): y * x^2 / (4 tan(pi / y)).
FunctionOutcome SPoly(const FunctionCall& call)
{
    const auto y = SecondArgument(call, msg::kPolygonArguments);
    if (!y)
        return std::nullopt;
    if (call.x <= 0 || *y < 3 || !IsWhole(*y)) {
        AppendError(call.errors, msg::kPolygonArguments);
        return std::nullopt;
    }
    const auto squared = PowerRule(call.x, 2);
    if (!squared)
        return std::nullopt;
    return (*squared * (*y / 4)) * (1 / engine::Tan(kExtendedPi / *y));
}

// Law of cosines: the cosine of the angle between sides a and b.
FunctionOutcome Costh(const FunctionCall& call)
{
    const auto sides = TriangleSides(call);
    if (!sides)
        return std::nullopt;
    const auto [a, b, c] = *sides;
    const double h = ToDouble((Square(a) + Square(b) - Square(c)) / (2 * a * b));
    // Only a quotient pushed to a bound by rounding gets here.
    if (h >= 1 || h <= -1) {
        AppendError(call.errors, msg::kNotATriangleRounded);
        return std::nullopt;
    }
    return h;
}

// Heron's formula.
FunctionOutcome STria(const FunctionCall& call)
{
    const auto sides = TriangleSides(call);
    if (!sides)
        return std::nullopt;
    const auto [a, b, c] = *sides;
    // Rounding s to a double keeps it at or above every side (they are doubles
    // below the exact half perimeter), so the product is never negative.
    const Extended s = ToDouble((a + b + c) * 0.5);
    return engine::Sqrt(s * (s - a) * (s - b) * (s - c));
}

FunctionOutcome Pdisplanes(const FunctionCall& call)
{
    const auto v = FixedArgumentValues(call.argumentList, 4, msg::kPlanePoints, call.errors);
    if (!v)
        return std::nullopt;
    const Extended x1 = (*v)[0], y1 = (*v)[1], x2 = (*v)[2], y2 = (*v)[3];
    return engine::Sqrt(Square(x1 - x2) + Square(y1 - y2));
}

FunctionOutcome Pdisspace(const FunctionCall& call)
{
    const auto v = FixedArgumentValues(call.argumentList, 6, msg::kSpacePoints, call.errors);
    if (!v)
        return std::nullopt;
    const Extended x1 = (*v)[0], y1 = (*v)[1], z1 = (*v)[2];
    const Extended x2 = (*v)[3], y2 = (*v)[4], z2 = (*v)[5];
    return engine::Sqrt(Square(x1 - x2) + Square(y1 - y2) + Square(z1 - z2));
}

// Distance of (x0, y0) from the line A x + B y + C = 0. With A = B = 0 there is
// no line: the division by zero is a numeric fault.
FunctionOutcome PLine(const FunctionCall& call)
{
    const auto v = FixedArgumentValues(call.argumentList, 5, msg::kDistanceArguments, call.errors);
    if (!v)
        return std::nullopt;
    const Extended x0 = (*v)[0], y0 = (*v)[1], A = (*v)[2], B = (*v)[3], C = (*v)[4];
    return engine::Abs(A * x0 + B * y0 + C) / engine::Sqrt(Square(A) + Square(B));
}

// Distance of (x0, y0, z0) from the plane A x + B y + C z + D = 0; A = B = C = 0
// is a numeric fault like the line's.
FunctionOutcome PPlanes(const FunctionCall& call)
{
    const auto v = FixedArgumentValues(call.argumentList, 7, msg::kDistanceArguments, call.errors);
    if (!v)
        return std::nullopt;
    const Extended x0 = (*v)[0], y0 = (*v)[1], z0 = (*v)[2];
    const Extended A = (*v)[3], B = (*v)[4], C = (*v)[5], D = (*v)[6];
    const Extended norm = engine::Sqrt(Square(A) + Square(B) + Square(C));
    return engine::Abs(A * x0 + B * y0 + C * z0 + D) / norm;
}

} // namespace handlers
} // namespace tolvane::engine
