#include "tools/sheet_mode.h"

#include "engine/engine.h"
#include "sheet/memory_sheet.h"
#include "sheet/utf.h"

namespace tolvane::tools {

namespace {

// What the window would show in a box goes to the error stream instead.
class StreamNotifier final : public sheet::Notifier {
public:
    explicit StreamNotifier(std::ostream& err)
        : m_err(err)
    {}
    void ShowMessage(std::string_view caption, std::string_view text) override
    {
        m_err << caption << ": " << text << '\n';
    }
    void ReportFault(std::string_view description) override { m_err << description << '\n'; }

private:
    std::ostream& m_err;
};

// Lines with nothing to evaluate (empty, or only earlier "=" signs) are no failure.
bool GaveNumberOrNothingToDo(sheet::EnterOutcome outcome)
{
    return outcome == sheet::EnterOutcome::kNumber || outcome == sheet::EnterOutcome::kEmptyLine ||
           outcome == sheet::EnterOutcome::kNoExpression;
}

} // namespace

EnteredLine EnterSheetLine(std::string_view line, std::ostream& err)
{
    StreamNotifier notifier(err);
    // The caret stands at the end of the line, as after typing it.
    sheet::MemorySheet sheet(sheet::ToUtf16(line));
    sheet::SheetState state;
    const sheet::EnterOutcome outcome = sheet::PressEnter(sheet, state, notifier);
    return {sheet.LineText(0), outcome};
}

bool RunSheetLine(std::string_view line, std::ostream& out, std::ostream& err)
{
    const EnteredLine entered = EnterSheetLine(line, err);
    out << sheet::ToUtf8(entered.text) << '\n';
    return GaveNumberOrNothingToDo(entered.outcome);
}

} // namespace tolvane::tools
