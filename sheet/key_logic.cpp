#include "sheet/key_logic.h"

#include "sheet/line_variables.h"
#include "sheet/sheet_helpers.h"

#include <string>

namespace tolvane::sheet {

bool IsOperatorKey(char16_t key)
{
    return kOperatorKeys.find(key) != std::u16string_view::npos;
}

Color TypingColor(char16_t key)
{
    return IsOperatorKey(key) ? kRed : kLime;
}

bool EqualsIsLiteral(std::u16string_view lineBeforeCaret)
{
    const std::size_t marker = FindDefinitionsMarker(lineBeforeCaret);
    if (marker == std::u16string_view::npos)
        return false;
    const std::u16string_view definitions =
        lineBeforeCaret.substr(marker + kDefinitionsMarkerLength);
    return LastDefinitionItem(definitions).find(u'=') == std::u16string_view::npos;
}

namespace {

std::u16string CaretLineBeforeCaret(const Sheet& sheet)
{
    const int caret = sheet.CaretPos();
    const int line = sheet.LineAt(caret);
    const std::u16string text = sheet.LineText(line);
    return text.substr(0, static_cast<std::size_t>(caret - sheet.LineStart(line)));
}

} // namespace

KeyAction PressKey(Sheet& sheet, SheetState& state, Notifier& notifier, char16_t key)
{
    const Color color = TypingColor(key);
    sheet.ColorSelection(color);
    sheet.SetDefaultColor(color);
    if (key == u'=' && !EqualsIsLiteral(CaretLineBeforeCaret(sheet)))
        key = kEnterKey;
    if (key != kEnterKey)
        return KeyAction::kInsert;
    return KeyGoesOn(PressEnter(sheet, state, notifier)) ? KeyAction::kLineBreak : KeyAction::kDrop;
}

void RecolorAfterPaste(Sheet& sheet, const SheetState& state)
{
    ColorOperators(sheet, state.currentLine);
    sheet.MoveCaret(sheet.LineStart(state.currentLine) +
                    static_cast<int>(sheet.LineText(state.currentLine).size()));
}

void RecordClick(const Sheet& sheet, SheetState& state)
{
    const int caret = sheet.CaretPos();
    state.currentLine = sheet.LineAt(caret);
    state.clickPos = caret;
}

} // namespace tolvane::sheet
