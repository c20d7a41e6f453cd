// The expression engine: one expression text in, one number or a failure out.
//
// How the pieces meet: the caller owns the named values (named_values.h), the
// constants pi, PI, e, E plus the variables of one line, and passes them to
// EvaluateExpression, which removes blanks, substitutes them, runs
// CheckExpression, marks signs, converts the text to postfix order and
// evaluates it. Function names are looked up in one constant table of the 42
// functions and reach ApplyFunction (functions.h). Intermediate values travel
// as 15-digit number texts (FormatNumber / ParseNumber), so 1/3*3 gives
// 0.999999999999999. Nothing here keeps state between calls, so two sheets or
// two threads evaluate independently, each with its own named values.
//
// For callers that keep one engine for the whole program (the window, the
// batch tool), InitExpressionEngine, ResetNamedValues(), DefineVariables(text)
// and EvaluateExpression(text) work on one default set of named values
// (default_engine.cpp), from the one thread that owns it.
//
// Errors are data: a failure comes back as ok == false with the user's
// messages in `error` (each followed by ';'), or with an empty `error` for a
// numeric fault (overflow, division by zero inside a computation, an invalid
// operation) or a blank text. Nothing here throws, traps or signals.
//
// Texts are bytes; only ASCII has a meaning to the language. The sheet hands
// over UTF-8, whose non-ASCII bytes the checker rejects as invalid characters.
#pragma once

#include "engine/named_values.h"
#include "engine/numeric/numeric.h"

#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace tolvane::engine {

// The error state of one evaluation: a flag and the messages recorded so far,
// each followed by ';'.
struct ErrorState {
    bool flag = false;
    std::string text;
};

// The single way any part of the engine records an error: sets the flag and
// appends message + ";". Never clears anything.
void AppendError(ErrorState& state, std::string_view message);

// ---- Function table ----------------------------------------------------
// The table text: each entry name + "(" + count + ")", joined by ",", a
// blank after four of the commas (" sqn(3)"), in the order users know it.
[[nodiscard]] std::string_view FunctionTableText();
// Its 42 entries, blanks dropped: "sqrt(1)", ..., "sqn(3)", ..., "p_planes(7)".
[[nodiscard]] std::span<const std::string_view> FunctionTable();
// Names are matched exactly, with case (`logN`, not `logn`).
[[nodiscard]] bool IsFunctionName(std::string_view name);
// The declared argument count (0 = any number), or -1 for an unknown name.
[[nodiscard]] int DeclaredArgumentCount(std::string_view name);

// ---- Named values --------------------------------------------------------
// Empties the named values and registers pi, PI, e, E (what a new
// NamedValues holds).
void ResetNamedValues(NamedValues& named);
// Registers pairs (up to the shorter of the two lists); returns how many were
// processed, or 0 (registering nothing) when any name is invalid.
int AddNamedValues(NamedValues& named, std::span<const std::string> names,
                   std::span<const double> values);
// Registers the variables of a definitions text such as "r=2,h=5"; returns how
// many items were accepted. Bad items are skipped silently.
int DefineVariables(NamedValues& named, std::string_view definitions);
// Replaces whole-word occurrences of the names by FormatNumber of their
// values, in table order.
void SubstituteNamedValues(std::string& text, const NamedValues& named);

// ---- Argument lists ------------------------------------------------------
// The n-th item (from 1) of a comma-joined argument list, blanks removed, or
// the empty string when there is no such item.
[[nodiscard]] std::string NthArgument(std::string_view argumentList, int n);
// Converts the items into values[0..]; false at the first item that is not a
// number (earlier slots keep their new values, later ones what they held).
bool ParseArguments(std::string_view argumentList, std::span<double> values);

// ---- Checking and evaluation ---------------------------------------------
// True when the text is well formed; otherwise false with the messages found,
// in order, each followed by ';' (empty for a text of blanks only).
bool CheckExpression(std::string_view expression, std::string& errorText);

struct Evaluation {
    bool ok = false;
    double value = 0;  // meaningful only when ok
    std::string error; // empty when ok; on failure the messages, or empty
};
// Reads `named`, never changes it.
[[nodiscard]] Evaluation EvaluateExpression(std::string_view text, const NamedValues& named);

// The priority of an operator-stack symbol by its first character.
[[nodiscard]] int OperatorPriority(char symbol);

// ---- Number texts ----------------------------------------------------------
// 15 significant digits, ties away from zero; fixed notation for decimal
// exponents -3..15 (0.0001, 999999999999999), otherwise 1E15, 1E-5,
// 5.71338395644586E262. Zero of either sign is "0". Never locale-dependent.
[[nodiscard]] std::string FormatNumber(double value);
// Sign, digits with an optional '.', optional E/e exponent, surrounding blanks;
// correctly rounded to extended precision however many digits it has (a value
// below the smallest denormal is 0). Anything else, or a value beyond the
// extended range: nullopt. Raises no fault.
[[nodiscard]] std::optional<Extended> ParseNumber(std::string_view text);

// ---- The default engine ------------------------------------------------------
// One set of named values for the program's one sheet thread. Start-up
// registers the four constants, shutdown empties the set; both may run again.
void InitExpressionEngine();
void FinalizeExpressionEngine();
[[nodiscard]] const NamedValues& DefaultNamedValues();
void ResetNamedValues();
int AddNamedValues(std::span<const std::string> names, std::span<const double> values);
int DefineVariables(std::string_view definitions);
[[nodiscard]] Evaluation EvaluateExpression(std::string_view text);

} // namespace tolvane::engine
