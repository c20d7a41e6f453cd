#include "tools/amount_mode.h"

#include "sheet/amount_text.h"
#include "sheet/result_text.h"
#include "sheet/utf.h"
#include "tools/sheet_mode.h"

namespace tolvane::tools {

bool RunAmountLine(std::string_view line, std::string& out, std::string& err)
{
    const EnteredLine entered = EnterSheetLine(line, err);
    // Only a line Enter evaluated to a number has an amount: a line it left alone may still show
    // an old result behind its "=" (1/0=7 after the division fault).
    if (entered.outcome == sheet::EnterOutcome::kNumber) {
        if (const auto number = sheet::NumericResult(entered.text)) {
            const sheet::UppercaseAmount amount = sheet::ToUppercaseAmount(*number);
            if (amount.problem == sheet::AmountProblem::kNone) {
                AppendUtf8(out, amount.text);
                out += '\n';
                return true;
            }
            if (amount.problem == sheet::AmountProblem::kTooLarge) {
                AppendUtf8(err, sheet::msg::kAmountTooLarge);
                err += '\n';
            }
        }
    }
    AppendUtf8(out, entered.text);
    out += '\n';
    return entered.outcome == sheet::EnterOutcome::kEmptyLine;
}

} // namespace tolvane::tools
