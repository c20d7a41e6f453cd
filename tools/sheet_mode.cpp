#include "tools/sheet_mode.h"

#include "engine/engine.h"
#include "ui/main/sheet/line_logic.h"
#include "ui/main/sheet/memory_sheet.h"
#include "ui/main/sheet/utf.h"

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

int RunSheetMode(const std::vector<std::string>& lines, std::ostream& out, std::ostream& err)
{
    engine::InitExpressionEngine();
    StreamNotifier notifier(err);
    bool allGood = true;
    for (std::string line : lines) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        // Each line is Enter on its own one-line sheet, the caret at its end, as typed.
        sheet::MemorySheet sheet(sheet::ToUtf16(line));
        sheet::SheetState state;
        const sheet::EnterOutcome outcome = sheet::PressEnter(sheet, state, notifier);
        out << sheet::ToUtf8(sheet.LineText(0)) << '\n';
        allGood = allGood && GaveNumberOrNothingToDo(outcome);
    }
    out.flush();
    return allGood ? 0 : 1;
}

} // namespace tolvane::tools
