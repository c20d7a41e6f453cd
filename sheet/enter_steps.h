// Internal to the sheet: the steps of Enter that the reading of references (references.cpp)
// shares with the plain reading of a line (line_logic.cpp), so that a line the references leave
// to the plain reading is written byte for byte as with the switch off.
#pragma once

#include "engine/engine.h"
#include "sheet/line_logic.h"

#include <span>
#include <string>
#include <string_view>

namespace tolvane::sheet {

// NormalizeLine's text in UTF-8, made in one pass when the line is ASCII, as most are.
[[nodiscard]] std::string NormalizedUtf8(std::u16string_view expression);

// Evaluates a normalised line as Enter does: the variables behind its first "@@" defined, the
// rest evaluated. `names` and `values` add values of other lines, each bound exactly
// (NamedValues::SetExact) under a name that no variable of the line can have.
[[nodiscard]] engine::Evaluation EvaluateNormalized(std::string text,
                                                    std::span<const std::string> names,
                                                    std::span<const double> values);
// Whether that text is well formed, the values written in (engine::CheckExpression).
[[nodiscard]] bool CheckNormalized(std::string text, std::span<const std::string> names,
                                   std::span<const double> values);

// What Enter answers for an expression the plain way: the pre-check's fault (kFault, nothing
// shown yet), or the text behind "=" and the outcome; a box a plain line's failure shows has
// gone to the notifier.
struct LineAnswer {
    std::u16string result;
    EnterOutcome outcome = EnterOutcome::kNumber;
    std::string fault;
};
[[nodiscard]] LineAnswer AnswerLine(std::u16string_view expression, Notifier& notifier);

// Rewrites the line as expression=result, colours it and puts the caret behind it, with the
// state as after Enter.
void WriteAnswer(Sheet& sheet, SheetState& state, int line, std::u16string_view expression,
                 std::u16string_view result);

// The plain reading's evaluation step for the line, the fault reported.
EnterOutcome EnterTodaysWay(Sheet& sheet, SheetState& state, Notifier& notifier, int line,
                            std::u16string_view expression);

// The evaluation step with the switch 引用与合计 on (references.cpp).
EnterOutcome EnterWithReferences(Sheet& sheet, SheetState& state, Notifier& notifier, int line,
                                 std::u16string_view expression);

[[nodiscard]] int LineEnd(const Sheet& sheet, int line);

} // namespace tolvane::sheet
