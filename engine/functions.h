// The function step of the evaluator and the functions it dispatches to.
//
// ApplyFunction runs when a name token is read from the postfix sequence. It
// receives the name as typed and the argument list text popped from the value
// stack (nullopt when the stack was empty), and answers the result r to push,
// or nullopt when the evaluation must stop: either `errors.flag` is now set
// with the function's message, or (flag clear) it was a numeric fault. The
// evaluator also treats floating-point overflow, invalid-operation and
// division-by-zero flags raised inside a function as numeric faults.
//
// The separate routines share one calling contract: the argument list text
// unchanged, the result r (0 on entry, written only on success), and the
// caller's error state, on which a failure is recorded with AppendError.
// They answer false on a failure: with the flag set when a message was
// recorded, with it clear for a numeric fault; r is untouched either way.
#pragma once

#include "engine/engine.h"

#include <optional>
#include <string_view>

namespace tolvane::engine {

[[nodiscard]] std::optional<double> ApplyFunction(std::string_view name,
                                                  std::optional<std::string_view> argumentList,
                                                  ErrorState& errors);

// Statistics over argument lists of any length.
bool StatMax(std::string_view argumentList, double& r, ErrorState& errors);
bool StatMin(std::string_view argumentList, double& r, ErrorState& errors);
bool StatSum(std::string_view argumentList, double& r, ErrorState& errors);
bool StatAvg(std::string_view argumentList, double& r, ErrorState& errors);
bool StatStdDev(std::string_view argumentList, double& r, ErrorState& errors);

// Plane geometry, points, lines and planes.
bool GeoCosTheta(std::string_view argumentList, double& r, ErrorState& errors);
bool GeoTriangleArea(std::string_view argumentList, double& r, ErrorState& errors);
bool GeoPlaneDistance(std::string_view argumentList, double& r, ErrorState& errors);
bool GeoSpaceDistance(std::string_view argumentList, double& r, ErrorState& errors);
bool GeoPointLineDistance(std::string_view argumentList, double& r, ErrorState& errors);
bool GeoPointPlaneDistance(std::string_view argumentList, double& r, ErrorState& errors);

// Tax, mortgage and series.
[[nodiscard]] double FinIncomeTax(double salary);
[[nodiscard]] double FinSalaryFromTax(double tax);
bool FinMortgagePayment(std::string_view argumentList, double& r, ErrorState& errors);
bool SeriesArithmeticSum(std::string_view argumentList, double& r, ErrorState& errors);
bool SeriesGeometricSum(std::string_view argumentList, double& r, ErrorState& errors);

} // namespace tolvane::engine
