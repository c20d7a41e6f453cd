#include "tools/sheet_mode.h"

#include "engine/engine.h"
#include "sheet/line_logic.h"
#include "sheet/memory_sheet.h"
#include "sheet/utf.h"
#include "tools/line_sheet.h"

#include <utility>

namespace tolvane::tools {

namespace {

// What the window would show in a box goes to the error text instead.
class TextNotifier final : public sheet::Notifier {
public:
    explicit TextNotifier(std::string& err)
        : m_err(err)
    {}
    void ShowMessage(std::string_view caption, std::string_view text) override
    {
        m_err.append(caption).append(": ").append(text) += '\n';
    }
    void ReportFault(std::string_view description) override { m_err.append(description) += '\n'; }

private:
    std::string& m_err;
};

// Only a truly empty line is no failure. A line of "=" signs (besides blanks and '#') has text
// but no expression: it is printed unchanged and gave no number.
bool GaveNumberOrWasEmpty(sheet::EnterOutcome outcome)
{
    return outcome == sheet::EnterOutcome::kNumber || outcome == sheet::EnterOutcome::kEmptyLine;
}

// Enter on a one-line sheet holding `line`, the caret at its end, as after typing it; hands the
// line as Enter leaves it to `use`. Only an argument can hold a LF, which typing turns into a
// line break: that takes a sheet of several lines.
template <typename Use>
sheet::EnterOutcome PressEnterOn(std::string_view line, std::string& err, const Use& use)
{
    TextNotifier notifier(err);
    sheet::SheetState state;
    std::u16string typed = sheet::ToUtf16(line);
    if (line.find('\n') == std::string_view::npos) {
        LineSheet sheet(std::move(typed));
        const sheet::EnterOutcome outcome = sheet::PressEnter(sheet, state, notifier);
        use(sheet.Text());
        return outcome;
    }
    sheet::MemorySheet sheet(typed);
    const sheet::EnterOutcome outcome = sheet::PressEnter(sheet, state, notifier);
    use(sheet.LineText(0));
    return outcome;
}

} // namespace

EnteredLine EnterSheetLine(std::string_view line, std::string& err)
{
    EnteredLine entered;
    entered.outcome =
        PressEnterOn(line, err, [&entered](std::u16string_view text) { entered.text = text; });
    return entered;
}

bool RunSheetLine(std::string_view line, std::string& out, std::string& err)
{
    const sheet::EnterOutcome outcome =
        PressEnterOn(line, err, [&out](std::u16string_view text) { AppendUtf8(out, text); });
    out += '\n';
    return GaveNumberOrWasEmpty(outcome);
}

bool RunReferenceLine(sheet::SheetReader& reader, std::string_view line, std::string& out,
                      std::string& err)
{
    bool good = true;
    std::size_t start = 0;
    for (std::size_t end = line.find('\n');; end = line.find('\n', start)) {
        const std::string_view piece = line.substr(
            start, end == std::string_view::npos ? std::string_view::npos : end - start);
        std::u16string typed = sheet::ToUtf16(piece);
        std::erase(typed, u'\r'); // as typing drops it
        TextNotifier notifier(err);
        const sheet::SheetReader::Answer answer = reader.Next(typed, notifier);
        AppendUtf8(out, answer.line);
        out += '\n';
        good &= GaveNumberOrWasEmpty(answer.outcome) ||
                answer.outcome == sheet::EnterOutcome::kTextLine;
        if (end == std::string_view::npos)
            return good;
        start = end + 1;
    }
}

void AppendUtf8(std::string& out, std::u16string_view text)
{
    const std::size_t start = out.size();
    out.resize(start + text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] >= 0x80) {
            out.resize(start);
            out += sheet::ToUtf8(text);
            return;
        }
        out[start + i] = static_cast<char>(text[i]);
    }
}

} // namespace tolvane::tools
