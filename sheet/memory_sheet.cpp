#include "sheet/memory_sheet.h"

#include <algorithm>
#include <bit>

namespace tolvane::sheet {

namespace {

int Length(const std::u16string& text)
{
    return static_cast<int>(text.size());
}

int LowBit(std::size_t k)
{
    return static_cast<int>(k & (~k + 1));
}

} // namespace

MemorySheet::MemorySheet(std::u16string_view text)
{
    m_lines.emplace_back();
    RebuildExtents();
    Type(text);
}

void MemorySheet::RebuildExtents()
{
    m_extents.assign(m_lines.size() + 1, 0);
    for (std::size_t k = 1; k < m_extents.size(); ++k) {
        m_extents[k] += Length(m_lines[k - 1].text) + 2;
        const std::size_t parent = k + static_cast<std::size_t>(LowBit(k));
        if (parent < m_extents.size())
            m_extents[parent] += m_extents[k];
    }
}

void MemorySheet::ExtentChanged(int line, int delta)
{
    if (delta == 0)
        return;
    for (auto k = static_cast<std::size_t>(line) + 1; k < m_extents.size();
         k += static_cast<std::size_t>(LowBit(k)))
        m_extents[k] += delta;
}

// The new last line's node covers itself and the lines just before it that its low bit spans.
void MemorySheet::ExtentAppended(int extent)
{
    const std::size_t k = m_extents.size();
    const int covered =
        ExtentsBefore(static_cast<int>(k) - 1) - ExtentsBefore(static_cast<int>(k) - LowBit(k));
    m_extents.push_back(extent + covered);
}

int MemorySheet::ExtentsBefore(int count) const
{
    int sum = 0;
    for (auto k = static_cast<std::size_t>(std::clamp(count, 0, LineCount())); k > 0;
         k -= static_cast<std::size_t>(LowBit(k)))
        sum += m_extents[k];
    return sum;
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

int MemorySheet::LineLength(int line) const
{
    if (line < 0 || line >= LineCount())
        return 0;
    return Length(m_lines[static_cast<std::size_t>(line)].text);
}

int MemorySheet::LineStart(int line) const
{
    if (line <= 0)
        return 0;
    // Lines beyond the last count as empty, two positions each.
    return ExtentsBefore(line) + 2 * std::max(line - LineCount(), 0);
}

// The number of lines that end (line break included) at or before `pos`, found by descending
// the tree, is the index of the line holding it.
int MemorySheet::LineAt(int pos) const
{
    std::size_t count = 0;
    int remaining = pos;
    for (std::size_t step = std::bit_floor(m_extents.size() - 1); step > 0; step >>= 1) {
        const std::size_t next = count + step;
        if (next < m_extents.size() && m_extents[next] <= remaining) {
            count = next;
            remaining -= m_extents[next];
        }
    }
    return std::min(static_cast<int>(count), LineCount() - 1);
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
    ExtentChanged(line, static_cast<int>(text.size()) - Length(target.text));
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
    RebuildExtents();
    m_caret = m_selectionEnd = 0;
}

void MemorySheet::AppendLine(std::u16string_view text)
{
    if (!m_lines.back().text.empty()) {
        m_lines.emplace_back();
        ExtentAppended(2);
    }
    ExtentChanged(LineCount() - 1, static_cast<int>(text.size()) - Length(m_lines.back().text));
    m_lines.back().text = text;
    m_lines.back().colors.assign(text.size(), m_defaultColor);
    m_lines.emplace_back();
    ExtentAppended(2);
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
    const int headLength = Length(head.text);
    head.text = head.text.substr(0, from) + tailText;
    head.colors.resize(from);
    head.colors.insert(head.colors.end(), tailColors.begin(), tailColors.end());
    if (last > first) {
        m_lines.erase(m_lines.begin() + first + 1, m_lines.begin() + last + 1);
        RebuildExtents();
    } else {
        ExtentChanged(first, Length(head.text) - headLength);
    }
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
            const int restLength = Length(rest.text);
            current.text.resize(column);
            current.colors.resize(column);
            m_lines.insert(m_lines.begin() + line + 1, std::move(rest));
            if (line + 2 == LineCount()) {
                ExtentChanged(line, -restLength);
                ExtentAppended(restLength + 2);
            } else {
                RebuildExtents();
            }
            m_caret += 2;
        } else {
            current.text.insert(column, 1, ch);
            current.colors.insert(current.colors.begin() + static_cast<std::ptrdiff_t>(column),
                                  m_typingColor);
            ExtentChanged(line, 1);
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
