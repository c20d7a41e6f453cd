// The function step of the evaluator and the 42 functions it dispatches to.
//
// ApplyFunction runs when a name token is read from the postfix sequence. It
// receives the name as typed and the argument list text popped from the value
// stack (nullopt when the stack was empty), and answers the result r to push,
// or nullopt when the evaluation must stop: either `errors.flag` is now set
// with the function's message, or (flag clear) it was a numeric fault. The
// evaluator also treats floating-point overflow, invalid-operation and
// division-by-zero flags raised inside a function as numeric faults.
//
// The functions themselves are handlers (namespace handlers) of the one shape of function_call.h,
// listed once, with their names and argument counts, in function_table.cpp.
#pragma once

#include "engine/function_call.h"

#include <optional>
#include <string_view>

namespace tolvane::engine {

[[nodiscard]] std::optional<double> ApplyFunction(std::string_view name,
                                                  std::optional<std::string_view> argumentList,
                                                  ErrorState& errors);

// The handlers, one for each function of the table, each named after the function it computes
// (s_circ: SCirc, p_planes: PPlanes). A namespace of their own keeps them apart from the numeric
// layer's functions of the same names: handlers::Sqrt answers a call, Sqrt(Extended) a number.
namespace handlers {

// ---- Elementary: roots, powers, logarithms, trigonometry, rounding ----------
FunctionOutcome Abs(const FunctionCall& call);
FunctionOutcome Sin(const FunctionCall& call);
FunctionOutcome Cos(const FunctionCall& call);
FunctionOutcome Tan(const FunctionCall& call);
FunctionOutcome Arctan(const FunctionCall& call);
FunctionOutcome Degrad(const FunctionCall& call);
FunctionOutcome Raddeg(const FunctionCall& call);
FunctionOutcome Int(const FunctionCall& call);
FunctionOutcome Trunc(const FunctionCall& call);
FunctionOutcome Round(const FunctionCall& call);
FunctionOutcome Frac(const FunctionCall& call);
FunctionOutcome Exp(const FunctionCall& call);
FunctionOutcome Power(const FunctionCall& call);
FunctionOutcome Sqrt(const FunctionCall& call);
FunctionOutcome Arcsin(const FunctionCall& call);
FunctionOutcome Arccos(const FunctionCall& call);
FunctionOutcome Log2(const FunctionCall& call);
FunctionOutcome Log10(const FunctionCall& call);
FunctionOutcome Ln(const FunctionCall& call);
FunctionOutcome LogN(const FunctionCall& call);
FunctionOutcome Roundto(const FunctionCall& call);
FunctionOutcome Mod(const FunctionCall& call);

// ---- Statistics over argument lists of any length ---------------------------
FunctionOutcome Max(const FunctionCall& call);
FunctionOutcome Min(const FunctionCall& call);
FunctionOutcome Sum(const FunctionCall& call);
FunctionOutcome Avg(const FunctionCall& call);
FunctionOutcome Stddev(const FunctionCall& call);

// ---- Geometry: areas of plane figures, triangles, points, lines, planes -----
FunctionOutcome SCirc(const FunctionCall& call);
FunctionOutcome SEllip(const FunctionCall& call);
FunctionOutcome SRect(const FunctionCall& call);
FunctionOutcome SPoly(const FunctionCall& call);
FunctionOutcome Costh(const FunctionCall& call);
FunctionOutcome STria(const FunctionCall& call);
FunctionOutcome Pdisplanes(const FunctionCall& call);
FunctionOutcome Pdisspace(const FunctionCall& call);
FunctionOutcome PLine(const FunctionCall& call);
FunctionOutcome PPlanes(const FunctionCall& call);

// ---- Tax, mortgage and series -------------------------------------------------
FunctionOutcome Intax(const FunctionCall& call);
FunctionOutcome Arcintax(const FunctionCall& call);
FunctionOutcome Morrep(const FunctionCall& call);
FunctionOutcome Sn(const FunctionCall& call);
FunctionOutcome Sqn(const FunctionCall& call);

} // namespace handlers

// The tax of a monthly salary, and the salary that pays a given tax.
[[nodiscard]] double FinIncomeTax(double salary);
[[nodiscard]] double FinSalaryFromTax(double tax);

} // namespace tolvane::engine
