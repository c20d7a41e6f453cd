// The reading of references (引用与合计) on arbitrary sheets of up to 16 lines: the lines typed
// one after another with Enter on a MemorySheet, and the same lines through SheetReader (what
// tolvane-eval --refs uses), must write the same lines with the same outcomes; then 全部重算
// shows nothing, keeps the lines and the caret's line, and a second pass finds nothing to do.
// A line that gives a number with the switch off is written as with the switch off.
// (Unless a line holds a quote or "@@": the result Enter writes can pair a quote or complete a
// definition item, so the line reads differently next time, with the switch off too.)
#include "sheet/line_logic.h"
#include "sheet/memory_sheet.h"
#include "sheet/references.h"
#include "sheet/utf.h"
#include "tests/fuzz/fuzz_support.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace {

using namespace tolvane;

struct CountingNotifier final : sheet::Notifier {
    int shown = 0;
    void ShowMessage(std::string_view, std::string_view) override { ++shown; }
    void ReportFault(std::string_view) override { ++shown; }
};

constexpr std::size_t kMaxLines = 16;

std::vector<std::u16string> Lines(std::string_view bytes)
{
    std::vector<std::u16string> lines;
    std::u16string text = sheet::ToUtf16(bytes);
    std::erase(text, u'\r');
    std::size_t start = 0;
    while (lines.size() < kMaxLines) {
        const std::size_t end = text.find(u'\n', start);
        lines.push_back(text.substr(start, end == std::u16string::npos ? end : end - start));
        if (end == std::u16string::npos)
            break;
        start = end + 1;
    }
    return lines;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::vector<std::u16string> lines =
        Lines(std::string_view(reinterpret_cast<const char*>(data), size));

    sheet::MemorySheet memory;
    sheet::SheetState state;
    state.references = true;
    sheet::SheetReader reader;
    for (std::size_t k = 0; k < lines.size(); ++k) {
        if (k > 0) {
            memory.MoveCaret(1 << 30);
            memory.Type(u"\n");
        }
        memory.Type(lines[k]);
        CountingNotifier onSheet;
        const sheet::EnterOutcome outcome = sheet::PressEnter(memory, state, onSheet);
        CountingNotifier inReader;
        const sheet::SheetReader::Answer answer = reader.Next(lines[k], inReader);
        const int line = static_cast<int>(k);
        fuzz::Require(memory.LineCount() == line + 1, "Enter adds no line of its own");
        fuzz::Require(answer.line == memory.LineText(line), "the reader writes what Enter writes");
        fuzz::Require(answer.outcome == outcome, "the reader's outcome is Enter's");
        fuzz::Require(onSheet.shown == inReader.shown, "the same boxes and faults");
        fuzz::Require(onSheet.shown <= 1, "at most one box or fault");
        sheet::MemorySheet alone(lines[k]);
        sheet::SheetState off;
        CountingNotifier plain;
        if (sheet::PressEnter(alone, off, plain) == sheet::EnterOutcome::kNumber) {
            fuzz::Require(outcome == sheet::EnterOutcome::kNumber &&
                              alone.LineText(0) == memory.LineText(line),
                          "a line that gives a number is written as with the switch off");
        }
    }

    std::vector<std::u16string> before;
    for (int i = 0; i < memory.LineCount(); ++i)
        before.push_back(memory.LineText(i));
    const int caretLine = memory.LineAt(memory.CaretPos());
    CountingNotifier quiet;
    const int rewritten = sheet::RecalculateAll(memory, state, quiet);
    fuzz::Require(quiet.shown == 0, "全部重算 shows nothing");
    fuzz::Require(memory.LineCount() == static_cast<int>(before.size()), "the lines stay");
    fuzz::Require(memory.LineAt(memory.CaretPos()) == caretLine, "the caret stays on its line");
    int changed = 0;
    for (int i = 0; i < memory.LineCount(); ++i)
        changed += memory.LineText(i) != before[static_cast<std::size_t>(i)] ? 1 : 0;
    fuzz::Require(changed == rewritten, "the count is of the lines rewritten");
    bool stable = true;
    for (int i = 0; i < memory.LineCount(); ++i) {
        const std::u16string text = memory.LineText(i);
        stable = stable && text.find_first_of(u"'\"") == std::u16string::npos &&
                 text.find(u"@@") == std::u16string::npos;
    }
    fuzz::Require(sheet::RecalculateAll(memory, state, quiet) == 0 || !stable,
                  "a second pass finds everything up to date");
    return 0;
}
