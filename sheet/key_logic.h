// What the sheet's keys, pastes and clicks do, as plain functions over a Sheet. The widget only
// translates its events into these calls and then lets the text control do the rest.
#pragma once

#include "sheet/line_logic.h"
#include "sheet/notifier.h"
#include "sheet/sheet.h"
#include "sheet/sheet_state.h"

#include <string_view>

namespace tolvane::sheet {

inline constexpr char16_t kEnterKey = u'\r';
inline constexpr char16_t kBackspaceKey = u'\b';

// The keys typed red. Everything else, "=", Enter and Backspace included, is typed lime.
inline constexpr std::u16string_view kOperatorKeys = u"()*+-/";
[[nodiscard]] bool IsOperatorKey(char16_t key);
[[nodiscard]] Color TypingColor(char16_t key);

// Whether "=" typed behind `lineBeforeCaret` (the caret's line up to the caret) is a literal
// character of a "@@" definition: the text holds "@@" and the item being typed (from the last ","
// or "，" behind the first "@@", or from "@@") holds no "=" yet. Otherwise "=" acts as Enter.
[[nodiscard]] bool EqualsIsLiteral(std::u16string_view lineBeforeCaret);

enum class KeyAction {
    kInsert,    // the text control inserts the key's character
    kLineBreak, // the line has been evaluated; the text control inserts a line break
    kDrop,      // the evaluation faulted; the key is dropped
};

// A character key (Enter is kEnterKey) before the text control sees it: sets the typing colour
// (the selection, if any, takes it too), turns "=" into Enter unless it is literal, and runs the
// evaluation step for Enter. Never moves the caret except through the evaluation step.
KeyAction PressKey(Sheet& sheet, SheetState& state, Notifier& notifier, char16_t key);

// After text was pasted: the current line's operators turn red and the caret goes to its end.
void RecolorAfterPaste(Sheet& sheet, const SheetState& state);

// A mouse click: the clicked line becomes current and the caret position is recorded.
void RecordClick(const Sheet& sheet, SheetState& state);

} // namespace tolvane::sheet
