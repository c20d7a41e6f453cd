#include "sheet/file_text.h"

#include "sheet/line_logic.h"
#include "sheet/sheet_helpers.h"
#include "sheet/utf.h"

#include <optional>

namespace tolvane::sheet {

namespace {

constexpr char16_t kReplacement = 0xFFFD;

} // namespace

bool IsHiddenControl(char16_t ch)
{
    if (ch == u'\t')
        return false;
    return ch < 0x20 || (ch >= 0x7F && ch <= 0x9F) || ch == 0x2028 || ch == 0x2029;
}

bool LooksBinary(std::u16string_view text)
{
    std::size_t hidden = 0;
    for (const char16_t ch : text) {
        if (ch != u'\r' && ch != u'\n' && IsHiddenControl(ch))
            ++hidden;
    }
    return hidden >= 8 && hidden * 32 > text.size();
}

std::u16string CleanSheetText(std::u16string_view text)
{
    std::u16string clean;
    clean.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char16_t ch = text[i];
        if (ch == u'\r') {
            clean.push_back(u'\n');
            if (i + 1 < text.size() && text[i + 1] == u'\n')
                ++i;
        } else if (ch == u'\n') {
            clean.push_back(u'\n');
        } else {
            clean.push_back(IsHiddenControl(ch) ? kReplacement : ch);
        }
    }
    return clean;
}

std::string SheetFileBytes(const std::vector<std::u16string_view>& lines)
{
    std::size_t units = 0;
    for (const std::u16string_view line : lines)
        units += line.size() + 1;
    std::string bytes;
    bytes.reserve(units + units / 4);
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (i > 0)
            bytes.push_back('\n');
        bytes += ToUtf8(lines[i]);
    }
    return bytes;
}

bool CarriesResult(std::u16string_view line)
{
    return HasResultSeparator(line) && ExpressionBeforeResult(line).has_value();
}

std::vector<ColorRun> EvaluatedLineColors(std::u16string_view line)
{
    std::vector<ColorRun> runs;
    for (std::size_t column = 0; column < line.size(); ++column) {
        const Color color = IsOperatorChar(line[column]) ? kRed : kLime;
        if (!runs.empty() && runs.back().color == color)
            ++runs.back().length;
        else
            runs.push_back({static_cast<int>(column), 1, color});
    }
    return runs;
}

std::vector<ColorRun> OpenedLineColors(std::u16string_view line)
{
    if (CarriesResult(line))
        return EvaluatedLineColors(line);
    if (line.empty())
        return {};
    return {{0, static_cast<int>(line.size()), kLime}};
}

} // namespace tolvane::sheet
