// What Enter does to a line of the calculation sheet.
//
// How the pieces meet: PressEnter finds the line (the one last clicked, else the caret's), cuts
// off an earlier result, and asks the engine's IsPlainArithmetic (engine/pre_check.h) which way
// to evaluate. Plain arithmetic (and
// anything with both kinds of parenthesis) goes to EvaluateLine, whose failure is reported in the
// "出错" box; everything else goes to EvaluateLineQuiet, whose failure is answered by
// DiagnoseOperator or, failing that, by the expression itself. The line is rewritten as
// expression "=" result, recoloured, and the caret put behind it so the key's line break opens a
// new line directly below. Both evaluations normalise the text (NormalizeLine), reset the named
// values, define the variables written behind "@@" and call the engine.
//
// When the pre-check ends in a fault (a malformed number, a division by zero, 0/0, an overflow)
// PressEnter hands its description to the notifier's top-level error report and drops the key:
// the line stays as typed and no line break follows.
//
// With the switch 引用与合计 on (SheetState::references), a line that gives no number this way is
// read again by the rules of references.h (labels, comments, 上行, 小计, 合计 and the labels of
// lines above); a line that gives a number is written exactly as with the switch off.
//
// Texts are UTF-16, as on the sheet; the engine receives UTF-8.
#pragma once

#include "sheet/notifier.h"
#include "sheet/sheet.h"
#include "sheet/sheet_state.h"

#include <optional>
#include <string>
#include <string_view>

namespace tolvane::sheet {

// The texts the line logic shows, byte for byte.
namespace msg {
inline constexpr std::string_view kErrorCaption = "出错";
inline constexpr std::string_view kEvaluationFailed = "表达式输入错误或者超出计算范围！！";
inline constexpr std::u16string_view kAdditionError = u"加法表达式错误";
inline constexpr std::u16string_view kSubtractionError = u"减法表达式错误";
inline constexpr std::u16string_view kMultiplicationError = u"乘法表达式错误";
inline constexpr std::u16string_view kDivisionError = u"除法表达式错误";
} // namespace msg

enum class EnterOutcome {
    kEmptyLine,    // nothing to evaluate; the key's line break opens the next line
    kNoExpression, // only "=" besides blanks and '#': the line is left as it is
    kNumber,       // rewritten as expression=number
    kReported,     // the "出错" box was shown; rewritten as expression=
    kDiagnosed,    // quiet failure; rewritten as expression=diagnosis, or expression=expression
    kFault,        // the pre-check faulted and was reported; nothing written, key dropped
    kTextLine,     // with 引用与合计 on: a heading, a comment or a note; nothing written, the
                   // caret at the line's end, so the key's line break opens the next line
};

// The evaluation step of Enter (and of "=" typed as Enter). Sets currentLine to the line after
// the evaluated one (the evaluated line itself after a fault) and clears clickPos unless the key
// is dropped. The caller inserts the line break unless the outcome is kFault. With the switch
// on it reads the lines above through the sheet and keeps what it learns of them, by their
// text, in the state's cache.
EnterOutcome PressEnter(Sheet& sheet, SheetState& state, Notifier& notifier);

[[nodiscard]] constexpr bool KeyGoesOn(EnterOutcome outcome)
{
    return outcome != EnterOutcome::kFault;
}

// The expression a line that already carries a result is evaluated from: the first piece
// between result separators, with blanks and '#' skipped at its start; nullopt when no piece is
// left. A result separator is a "=" outside a matched pair of quotes (' or ") that stands before
// the line's first "@@", or behind it inside a definition item (items end at "," or "，") that
// already holds a "=". Lines without a result separator carry no result.
[[nodiscard]] bool HasResultSeparator(std::u16string_view line);
[[nodiscard]] std::optional<std::u16string> ExpressionBeforeResult(std::u16string_view line);
// The result a line shows: the text behind its last result separator, possibly empty; nullopt
// for a line that carries no result.
[[nodiscard]] std::optional<std::u16string> ResultBehindSeparator(std::u16string_view line);

// Evaluates one expression; the number text on success. On failure EvaluateLine shows the
// "出错" box and EvaluateLineQuiet stays silent; both then answer the empty text.
[[nodiscard]] std::u16string EvaluateLine(std::u16string_view expression, Notifier& notifier);
[[nodiscard]] std::u16string EvaluateLineQuiet(std::u16string_view expression);

// The diagnosis text of an expression whose quiet evaluation failed, or the empty text.
[[nodiscard]] std::u16string DiagnoseOperator(std::u16string_view expression);

// CR and LF become blanks; full-width （ ） ， become ( ) , ; all blanks go.
[[nodiscard]] std::u16string NormalizeLine(std::u16string_view line);

[[nodiscard]] bool ContainsChar(std::u16string_view text, char16_t ch);

} // namespace tolvane::sheet
