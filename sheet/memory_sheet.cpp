#include "sheet/memory_sheet.h"

#include <algorithm>

namespace tolvane::sheet {

MemorySheet::MemorySheet(std::u16string_view text)
{
    m_lines.emplace_back();
    Type(text);
}

int MemorySheet::LineCount() const
{
    return static_cast<int>(m_lines.size());
}

std::u16string MemorySheet::LineText(int line) const
{
    if (line < 0 || line >= LineCount())
        return {};
    return m_lines[static_cast<std::size_t>(line)].text;
}

int MemorySheet::LineStart(int line) const
{
    int pos = 0;
    for (int i = 0; i < line; ++i)
        pos += static_cast<int>(LineText(i).size()) + 2;
    return pos;
}

int MemorySheet::LineAt(int pos) const
{
    int start = 0;
    for (int i = 0; i + 1 < LineCount(); ++i) {
        start += static_cast<int>(m_lines[static_cast<std::size_t>(i)].text.size()) + 2;
        if (pos < start)
            return i;
    }
    return LineCount() - 1;
}

int MemorySheet::TextLength() const
{
    return LineStart(LineCount() - 1) + static_cast<int>(m_lines.back().text.size());
}

int MemorySheet::Normalize(int pos) const
{
    pos = std::clamp(pos, 0, TextLength());
    const int line = LineAt(pos);
    return std::min(pos, LineStart(line) + static_cast<int>(LineText(line).size()));
}

void MemorySheet::ReplaceLine(int line, std::u16string_view text)
{
    if (line < 0 || line >= LineCount())
        return;
    Line& target = m_lines[static_cast<std::size_t>(line)];
    target.text = text;
    target.colors.assign(text.size(), m_defaultColor);
    m_caret = m_selectionEnd = LineStart(line) + static_cast<int>(text.size());
}

int MemorySheet::CaretPos() const
{
    return m_caret;
}

void MemorySheet::MoveCaret(int pos)
{
    m_caret = m_selectionEnd = Normalize(pos);
}

void MemorySheet::SelectAhead(int count)
{
    m_selectionEnd = std::max(m_caret, Normalize(m_caret + std::max(count, 0)));
}

void MemorySheet::ColorSelection(Color color)
{
    // Typing over the selection takes the colour too, as it takes the format of the text it
    // replaces.
    m_typingColor = color;
    if (m_selectionEnd == m_caret)
        return;
    const int first = LineAt(m_caret);
    const int last = LineAt(m_selectionEnd);
    for (int i = first; i <= last; ++i) {
        Line& line = m_lines[static_cast<std::size_t>(i)];
        const int start = LineStart(i);
        const int from = std::max(m_caret - start, 0);
        const int to = std::min(m_selectionEnd - start, static_cast<int>(line.text.size()));
        for (int column = from; column < to; ++column)
            line.colors[static_cast<std::size_t>(column)] = color;
    }
}

void MemorySheet::SetDefaultColor(Color color)
{
    m_defaultColor = color;
}

void MemorySheet::FocusSheet()
{
    ++m_focusCount;
}

void MemorySheet::ClearSheet()
{
    m_lines.assign(1, Line{});
    m_caret = m_selectionEnd = 0;
}

void MemorySheet::AppendLine(std::u16string_view text)
{
    if (!m_lines.back().text.empty())
        m_lines.emplace_back();
    m_lines.back().text = text;
    m_lines.back().colors.assign(text.size(), m_defaultColor);
    m_lines.emplace_back();
}

std::u16string MemorySheet::SheetText() const
{
    std::u16string text;
    for (std::size_t i = 0; i < m_lines.size(); ++i) {
        if (i > 0)
            text += u"\r\n";
        text += m_lines[i].text;
    }
    return text;
}

void MemorySheet::RemoveSelection()
{
    const int first = LineAt(m_caret);
    const int last = LineAt(m_selectionEnd);
    const auto from = static_cast<std::size_t>(m_caret - LineStart(first));
    const auto to = static_cast<std::size_t>(m_selectionEnd - LineStart(last));
    const Line& tail = m_lines[static_cast<std::size_t>(last)];
    const std::u16string tailText = tail.text.substr(to);
    const std::vector<Color> tailColors(tail.colors.begin() + static_cast<std::ptrdiff_t>(to),
                                        tail.colors.end());
    Line& head = m_lines[static_cast<std::size_t>(first)];
    head.text = head.text.substr(0, from) + tailText;
    head.colors.resize(from);
    head.colors.insert(head.colors.end(), tailColors.begin(), tailColors.end());
    m_lines.erase(m_lines.begin() + first + 1, m_lines.begin() + last + 1);
    m_selectionEnd = m_caret;
}

void MemorySheet::Type(std::u16string_view text)
{
    RemoveSelection();
    for (char16_t ch : text) {
        if (ch == u'\r')
            continue;
        const int line = LineAt(m_caret);
        Line& current = m_lines[static_cast<std::size_t>(line)];
        const auto column = static_cast<std::size_t>(m_caret - LineStart(line));
        if (ch == u'\n') {
            Line rest{
                current.text.substr(column),
                std::vector<Color>(current.colors.begin() + static_cast<std::ptrdiff_t>(column),
                                   current.colors.end())};
            current.text.resize(column);
            current.colors.resize(column);
            m_lines.insert(m_lines.begin() + line + 1, std::move(rest));
            m_caret += 2;
        } else {
            current.text.insert(column, 1, ch);
            current.colors.insert(current.colors.begin() + static_cast<std::ptrdiff_t>(column),
                                  m_typingColor);
            m_caret += 1;
        }
        m_selectionEnd = m_caret;
    }
}

Color MemorySheet::ColorAt(int line, int column) const
{
    const Line& target = m_lines.at(static_cast<std::size_t>(line));
    return target.colors.at(static_cast<std::size_t>(column));
}

} // namespace tolvane::sheet
