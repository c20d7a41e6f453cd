#include "sheet/sheet_helpers.h"

#include <algorithm>
#include <array>
#include <string>

namespace tolvane::sheet {

namespace {

// kOperatorChars as a table by character: colouring looks every character of a line up.
constexpr auto kIsOperatorChar = [] {
    std::array<bool, 128> table{};
    for (const char16_t ch : kOperatorChars)
        table[ch] = true;
    return table;
}();

} // namespace

bool IsOperatorChar(char16_t ch)
{
    return ch < kIsOperatorChar.size() && kIsOperatorChar[ch];
}

void ColorLine(Sheet& sheet, int line)
{
    if (!sheet.ShowsColors())
        return;
    sheet.MoveCaret(sheet.LineStart(line));
    sheet.SelectAhead(sheet.LineLength(line));
    sheet.ColorSelection(kLime);
    sheet.SetDefaultColor(kRed);
}

void ColorOperators(Sheet& sheet, int line)
{
    if (line < 0 || !sheet.ShowsColors())
        return;
    const std::u16string text = sheet.LineText(line);
    const int base = sheet.LineStart(line);
    for (std::size_t column = 0; column < text.size(); ++column) {
        if (!IsOperatorChar(text[column]))
            continue;
        sheet.MoveCaret(base + static_cast<int>(column));
        sheet.SelectAhead(1);
        sheet.ColorSelection(kRed);
    }
}

namespace {

bool IsBlank(char16_t ch)
{
    return ch <= u' ';
}

// Where the caret goes inside the inserted template: just after "(" when the template's bracket
// pair is empty ("sin()", "max() "), otherwise after the whole template. The offset counts from
// the template's own start, blanks in front of it included.
int CaretOffset(std::u16string_view templateText)
{
    const auto first = std::find_if_not(templateText.begin(), templateText.end(), IsBlank);
    const auto leading = static_cast<std::size_t>(first - templateText.begin());
    const std::size_t open = templateText.find(u'(', leading);
    const std::size_t close = templateText.find(u')', leading);
    const bool emptyPair = open != std::u16string_view::npos &&
                           (close == std::u16string_view::npos || close <= open + 1);
    return emptyPair ? static_cast<int>(open + 1) : static_cast<int>(templateText.size());
}

} // namespace

void InsertTemplate(Sheet& sheet, int& currentLine, std::u16string_view templateText)
{
    if (currentLine < 0 || currentLine >= sheet.LineCount())
        currentLine = sheet.LineAt(sheet.CaretPos());
    const int line = currentLine;
    const std::u16string text = sheet.LineText(line);
    const int lineStart = sheet.LineStart(line);
    const int lineEnd = lineStart + static_cast<int>(text.size());
    const int insertAt = std::clamp(sheet.CaretPos(), lineStart, lineEnd);
    const auto column = static_cast<std::size_t>(insertAt - lineStart);

    std::u16string rewritten = text.substr(0, column);
    rewritten.append(templateText);
    rewritten.append(text, column);
    sheet.ReplaceLine(line, rewritten);
    ColorLine(sheet, line);
    ColorOperators(sheet, line);
    sheet.MoveCaret(insertAt + CaretOffset(templateText));
    sheet.FocusSheet();
}

} // namespace tolvane::sheet
