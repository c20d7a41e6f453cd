// Shared pieces of the sheet suites: colours in failure output, and typing keys into a
// MemorySheet as the widget would.
#pragma once

#include "sheet/key_logic.h"
#include "sheet/memory_sheet.h"
#include "sheet/utf.h"
#include "tests/sheet/recording_notifier.h"

#include <ostream>
#include <string>

namespace tolvane::sheet {

inline std::ostream& operator<<(std::ostream& os, Color color)
{
    return os << "RGB(" << int(color.r) << "," << int(color.g) << "," << int(color.b) << ")";
}

inline std::ostream& operator<<(std::ostream& os, EnterOutcome outcome)
{
    constexpr const char* kNames[] = {"kEmptyLine", "kNoExpression", "kNumber",  "kReported",
                                      "kDiagnosed", "kFault",        "kTextLine"};
    return os << kNames[static_cast<int>(outcome)];
}

// Each key goes through PressKey, then the sheet does what the text control would: insert the
// character or a line break, or nothing when the key was dropped.
inline void TypeKeys(MemorySheet& sheet, SheetState& state, Notifier& notifier,
                     std::u16string_view keys)
{
    for (char16_t key : keys) {
        switch (PressKey(sheet, state, notifier, key)) {
        case KeyAction::kInsert:
            sheet.Type(std::u16string(1, key));
            break;
        case KeyAction::kLineBreak:
            sheet.Type(u"\n");
            break;
        case KeyAction::kDrop:
            break;
        }
    }
}

// A sheet with the window's state and a recording notifier, as the window holds them.
struct TestSheet {
    explicit TestSheet(std::u16string_view text = {})
        : sheet(text)
    {}
    void Type(std::u16string_view keys) { TypeKeys(sheet, state, notifier, keys); }
    EnterOutcome Enter() { return PressEnter(sheet, state, notifier); }

    MemorySheet sheet;
    SheetState state;
    RecordingNotifier notifier;
};

// 'r' for red and 'l' for lime, one letter a character of the line.
inline std::string ColorMask(const MemorySheet& sheet, int line)
{
    std::string mask;
    const std::u16string text = sheet.LineText(line);
    for (std::size_t column = 0; column < text.size(); ++column)
        mask += sheet.ColorAt(line, static_cast<int>(column)) == kRed ? 'r' : 'l';
    return mask;
}

} // namespace tolvane::sheet
