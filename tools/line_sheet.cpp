#include "tools/line_sheet.h"

#include <algorithm>
#include <utility>

namespace tolvane::tools {

LineSheet::LineSheet(std::u16string text)
    : m_text(std::move(text))
{
    std::erase(m_text, u'\r');
    m_caret = m_selectionEnd = Length();
}

std::u16string LineSheet::LineText(int line) const
{
    return line == 0 ? m_text : std::u16string();
}

int LineSheet::LineStart(int line) const
{
    // Lines beyond the only one count as empty, two positions each.
    return line <= 0 ? 0 : Length() + 2 * line;
}

void LineSheet::ReplaceLine(int line, std::u16string_view text)
{
    if (line != 0)
        return;
    m_text = text;
    m_caret = m_selectionEnd = Length();
}

void LineSheet::MoveCaret(int pos)
{
    m_caret = m_selectionEnd = std::clamp(pos, 0, Length());
}

void LineSheet::SelectAhead(int count)
{
    m_selectionEnd = std::clamp(m_caret + std::max(count, 0), m_caret, Length());
}

void LineSheet::ClearSheet()
{
    m_text.clear();
    m_caret = m_selectionEnd = 0;
}

void LineSheet::AppendLine(std::u16string_view text)
{
    ReplaceLine(0, text);
}

} // namespace tolvane::tools
