// What Enter does to a sheet line, on arbitrary bytes (invalid UTF-8, control
// characters, "=", "@@", "#", quotes, full-width brackets): never a crash, no
// line but the evaluated one ever changes, and each outcome leaves the trace
// the window relies on (a box, a fault report, or a rewritten line).
#include "engine/engine.h"
#include "engine/messages.h"
#include "sheet/line_logic.h"
#include "sheet/memory_sheet.h"
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
    int messages = 0;
    int faults = 0;
    std::string lastFault;
    void ShowMessage(std::string_view caption, std::string_view text) override
    {
        fuzz::Require(caption == sheet::msg::kErrorCaption, "the box's caption");
        fuzz::Require(text == sheet::msg::kEvaluationFailed, "the box's text");
        ++messages;
    }
    void ReportFault(std::string_view description) override
    {
        lastFault = description;
        ++faults;
    }
};

bool IsFaultDescription(std::string_view text)
{
    return text == engine::msg::kFaultDivisionByZero ||
           text == engine::msg::kFaultInvalidOperation || text == engine::msg::kFaultOverflow ||
           (text.size() > 2 && text.front() == '\'' &&
            text.ends_with(engine::msg::kFaultNotANumber));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size == 0)
        return 0;

    // The first byte picks the click position; the rest is the middle line.
    const int clickChoice = data[0];
    std::string line(reinterpret_cast<const char*>(data + 1), size - 1);
    std::erase_if(line, [](char c) { return c == '\n' || c == '\r'; });

    sheet::MemorySheet memory(u"1+2=3\n" + sheet::ToUtf16(line) + u"\n7*6");
    std::vector<std::u16string> before;
    for (int i = 0; i < memory.LineCount(); ++i)
        before.push_back(memory.LineText(i));

    sheet::SheetState state;
    state.currentLine = 1;
    const int middleStart = memory.LineStart(1);
    const int middleLength = static_cast<int>(before[1].size());
    memory.MoveCaret(middleStart + middleLength);
    if (clickChoice % 4 == 1)
        state.clickPos = middleStart + (middleLength ? clickChoice % (middleLength + 1) : 0);
    else if (clickChoice % 4 == 2)
        state.clickPos = clickChoice; // anywhere, even past the end of the text

    CountingNotifier notifier;
    const sheet::EnterOutcome outcome = sheet::PressEnter(memory, state, notifier);

    fuzz::Require(memory.LineCount() == static_cast<int>(before.size()),
                  "Enter itself never adds or removes a line");
    const int evaluated =
        outcome == sheet::EnterOutcome::kFault ? state.currentLine : state.currentLine - 1;
    fuzz::Require(evaluated >= 0 && evaluated < memory.LineCount(), "currentLine is near a line");
    for (int i = 0; i < memory.LineCount(); ++i) {
        if (i != evaluated)
            fuzz::Require(memory.LineText(i) == before[i], "no other line changes");
    }

    const std::u16string after = memory.LineText(evaluated);
    switch (outcome) {
    case sheet::EnterOutcome::kFault:
        fuzz::Require(notifier.faults == 1 && notifier.messages == 0, "one fault report");
        fuzz::Require(IsFaultDescription(notifier.lastFault), "a known fault description");
        fuzz::Require(after == before[evaluated], "a faulted line stays as typed");
        break;
    case sheet::EnterOutcome::kReported:
        fuzz::Require(notifier.messages == 1 && notifier.faults == 0, "one box");
        fuzz::Require(!after.empty() && after.back() == u'=', "a reported line ends in '='");
        break;
    case sheet::EnterOutcome::kNumber: {
        fuzz::Require(notifier.messages == 0 && notifier.faults == 0, "a number is silent");
        const auto equals = after.rfind(u'=');
        fuzz::Require(equals != std::u16string::npos, "a number stands behind '='");
        fuzz::Require(engine::ParseNumber(sheet::ToUtf8(after.substr(equals + 1))).has_value(),
                      "the result is a number text");
        break;
    }
    case sheet::EnterOutcome::kDiagnosed:
        fuzz::Require(notifier.messages == 0 && notifier.faults == 0, "a quiet failure is silent");
        break;
    case sheet::EnterOutcome::kEmptyLine:
    case sheet::EnterOutcome::kNoExpression:
    case sheet::EnterOutcome::kTextLine:
        fuzz::Require(after == before[evaluated], "nothing to evaluate leaves the line");
        break;
    }
    return 0;
}
