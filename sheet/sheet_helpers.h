// Colouring and template insertion over any Sheet.
//
// An evaluated or edited line shows lime text with red operators, parentheses and "=": callers
// run ColorLine(n), then ColorOperators(n), then place the caret themselves.
#pragma once

#include "sheet/sheet.h"

#include <string_view>

namespace tolvane::sheet {

// The characters ColorOperators paints red. Typing paints the same set red except "=", which is
// only red once the line has been evaluated (kOperatorKeys in key_logic.h).
inline constexpr std::u16string_view kOperatorChars = u"()*+-/=";
[[nodiscard]] bool IsOperatorChar(char16_t ch);

// Line n lime and the default colour red; line n stays selected.
void ColorLine(Sheet& sheet, int line);
// Every ( ) * + - / = of line n red; the last one coloured stays selected. Nothing for n < 0.
void ColorOperators(Sheet& sheet, int line);
// Both do nothing on a sheet that shows no colours.

// Inserts a function template (a palette caption such as "sin()") into line `currentLine` at
// the caret, recolours the line and focuses the sheet. The caret ends between the brackets of a
// template ending in "()", otherwise after the template.
//  - When line `currentLine` does not exist (the sheet was cleared since), the caret's line
//    becomes the current line first.
//  - A caret before the line puts the template at the line's start; a caret beyond the line's
//    end (moved there with the keyboard) puts it at the line's end, so no other line's text is
//    ever pulled into this one.
//  - A selection is not replaced: the template goes in at its start.
void InsertTemplate(Sheet& sheet, int& currentLine, std::u16string_view templateText);

} // namespace tolvane::sheet
