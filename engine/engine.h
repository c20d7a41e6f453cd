// The expression engine: one expression text in, one number or a failure out. This header is its
// whole face: what the sheet, the tools and the windows call.
//
// What it does: EvaluateExpression removes blanks, writes the named values into the text,
// checks it (CheckExpression), marks signs, converts it to postfix order and evaluates it; a
// function name reaches one constant table of the 42 functions. Intermediate values travel as
// 15-digit number texts (FormatNumber / ParseNumber), so 1/3*3 gives 0.999999999999999. The
// numbers themselves are the numeric layer's (engine/numeric/): extended precision, the same
// bits on every machine. The pre-check of plain arithmetic (pre_check.h) is the engine's too.
//
// What it never does: keep state between calls (the caller owns the named values, so two
// sheets or two threads evaluate independently), throw, trap or signal (a failure is data:
// ok == false with the user's messages in `error`, each followed by ';', or an empty `error`
// for a numeric fault or a blank text), read or write files, or know of Qt or the sheet.
//
// Texts are bytes; only ASCII has a meaning to the language. The sheet hands over UTF-8, whose
// non-ASCII bytes the checker rejects as invalid characters.
#pragma once

#include "engine/named_values.h"
#include "engine/numeric/numeric.h"
#include "engine/pre_check.h"

#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace tolvane::engine {

// ---- Checking and evaluation ---------------------------------------------------------------

// True when the text is well formed; otherwise false with the messages found, in order, each
// followed by ';' (empty for a text of blanks only).
bool CheckExpression(std::string_view expression, std::string& errorText);
// The same for the text as the evaluation checks it: blanks removed and the named values
// written in.
bool CheckExpression(std::string_view expression, const NamedValues& named, std::string& errorText);

struct Evaluation {
    bool ok = false;
    double value = 0;  // meaningful only when ok
    std::string error; // empty when ok; on failure the messages, or empty
    // Meaningful only when ok: the double the last step computed, before the 15-digit rounding
    // every operation's result takes on its way to `value` (1/3 gives the double nearest one
    // third, `value` the one nearest 0.333333333333333). Both format to the same text; this is
    // the value another line refers to.
    double unrounded = 0;
};
// Reads `named`, never changes it.
[[nodiscard]] Evaluation EvaluateExpression(std::string_view text, const NamedValues& named);

// ---- Named values and line variables -------------------------------------------------------
// A NamedValues (named_values.h) starts with the four constants pi, PI, e, E; its owner adds
// the variables of one line and hands it to EvaluateExpression.

// Empties the named values and registers pi, PI, e, E (what a new NamedValues holds).
void ResetNamedValues(NamedValues& named);
// Registers pairs (up to the shorter of the two lists); returns how many were processed, or 0
// (registering nothing) when any name is invalid.
int AddNamedValues(NamedValues& named, std::span<const std::string> names,
                   std::span<const double> values);
// Registers the variables of a definitions text such as "r=2,h=5"; returns how many items were
// accepted. Bad items are skipped silently.
int DefineVariables(NamedValues& named, std::string_view definitions);

// ---- Sums of line values -------------------------------------------------------------------

// A running sum of doubles (a sheet's subtotals), compensated so that a column of 100 000
// amounts comes out as its exact sum rounded once, give or take a unit in the last place. Plain
// double additions in a fixed order: the same bits on every machine.
class RunningSum {
public:
    void Add(double value);
    // Not finite once the sum has left the double range.
    [[nodiscard]] double Value() const { return m_sum + m_carry; }
    void Clear() { m_sum = m_carry = 0; }

private:
    double m_sum = 0;
    double m_carry = 0;
};

// ---- Number texts --------------------------------------------------------------------------

// 15 significant digits, ties away from zero; fixed notation for decimal exponents -3..15
// (0.0001, 999999999999999), otherwise 1E15, 1E-5, 5.71338395644586E262. Zero of either sign is
// "0". Never locale-dependent.
[[nodiscard]] std::string FormatNumber(double value);
// Sign, digits with an optional '.', optional E/e exponent, surrounding blanks; correctly
// rounded to extended precision however many digits it has (a value below the smallest
// denormal is 0). Anything else, or a value beyond the extended range: nullopt. Raises no
// fault.
[[nodiscard]] std::optional<Extended> ParseNumber(std::string_view text);

// ---- The function table --------------------------------------------------------------------

// The table text: each entry name + "(" + count + ")", joined by ",", a blank after four of the
// commas (" sqn(3)"), in the order users know it.
[[nodiscard]] std::string_view FunctionTableText();
// Its 42 entries, blanks dropped: "sqrt(1)", ..., "sqn(3)", ..., "p_planes(7)".
[[nodiscard]] std::span<const std::string_view> FunctionTable();
// Names are matched exactly, with case (`logN`, not `logn`).
[[nodiscard]] bool IsFunctionName(std::string_view name);
// The declared argument count (0 = any number), or -1 for an unknown name.
[[nodiscard]] int DeclaredArgumentCount(std::string_view name);

} // namespace tolvane::engine
