// The 42 functions, listed once: name, declared argument count, handler. The
// checker's name and count tests, the function step's dispatch and the
// table text all come from this one list, and the compiler checks it.
#include "engine/function_table.h"

#include "engine/char_sets.h"
#include "engine/engine.h"
#include "engine/functions.h"

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>

namespace tolvane::engine {
namespace {

// In the order of the table text users have always been shown.
constexpr std::array kFunctions = {
    FunctionInfo{"sqrt", 1, handlers::Sqrt},
    FunctionInfo{"abs", 1, handlers::Abs},
    FunctionInfo{"exp", 1, handlers::Exp},
    FunctionInfo{"power", 2, handlers::Power},
    FunctionInfo{"sin", 1, handlers::Sin},
    FunctionInfo{"cos", 1, handlers::Cos},
    FunctionInfo{"tan", 1, handlers::Tan},
    FunctionInfo{"arcsin", 1, handlers::Arcsin},
    FunctionInfo{"arccos", 1, handlers::Arccos},
    FunctionInfo{"arctan", 1, handlers::Arctan},
    FunctionInfo{"degrad", 1, handlers::Degrad},
    FunctionInfo{"raddeg", 1, handlers::Raddeg},
    FunctionInfo{"costh", 3, handlers::Costh},
    FunctionInfo{"s_tria", 3, handlers::STria},
    FunctionInfo{"s_circ", 1, handlers::SCirc},
    FunctionInfo{"s_ellip", 2, handlers::SEllip},
    FunctionInfo{"s_rect", 2, handlers::SRect},
    FunctionInfo{"s_poly", 2, handlers::SPoly},
    FunctionInfo{"log2", 1, handlers::Log2},
    FunctionInfo{"log10", 1, handlers::Log10},
    FunctionInfo{"logN", 2, handlers::LogN},
    FunctionInfo{"ln", 1, handlers::Ln},
    FunctionInfo{"int", 1, handlers::Int},
    FunctionInfo{"trunc", 1, handlers::Trunc},
    FunctionInfo{"round", 1, handlers::Round},
    FunctionInfo{"roundto", 2, handlers::Roundto},
    FunctionInfo{"frac", 1, handlers::Frac},
    FunctionInfo{"mod", 2, handlers::Mod},
    FunctionInfo{"max", kAnyCount, handlers::Max},
    FunctionInfo{"min", kAnyCount, handlers::Min},
    FunctionInfo{"sum", kAnyCount, handlers::Sum},
    FunctionInfo{"avg", kAnyCount, handlers::Avg},
    FunctionInfo{"stddev", kAnyCount, handlers::Stddev},
    FunctionInfo{"sn", 3, handlers::Sn},
    FunctionInfo{"sqn", 3, handlers::Sqn},
    FunctionInfo{"intax", 1, handlers::Intax},
    FunctionInfo{"arcintax", 1, handlers::Arcintax},
    FunctionInfo{"morrep", 5, handlers::Morrep},
    FunctionInfo{"pdisplanes", 4, handlers::Pdisplanes},
    FunctionInfo{"pdisspace", 6, handlers::Pdisspace},
    FunctionInfo{"p_line", 5, handlers::PLine},
    FunctionInfo{"p_planes", 7, handlers::PPlanes},
};
constexpr std::size_t kCount = kFunctions.size();
static_assert(kCount == 42);

// A handler is not checked here: comparing a function's address with null is
// no constant expression under the sanitizers. A missing one fails every test
// of its function at once.
constexpr bool IsWellFormed(const FunctionInfo& f)
{
    return !f.name.empty() && kNameStartChars.Has(f.name.front()) &&
           std::ranges::all_of(f.name, [](char c) { return kNameChars.Has(c); }) &&
           f.argumentCount >= 0;
}
static_assert(std::ranges::all_of(kFunctions, IsWellFormed));

// ---- Sorted lookup ----------------------------------------------------------------

constexpr char LowerCase(char c)
{
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

struct NameLess {
    constexpr bool operator()(std::string_view a, std::string_view b) const { return a < b; }
};

struct NameLessIgnoringCase {
    constexpr bool operator()(std::string_view a, std::string_view b) const
    {
        return std::ranges::lexicographical_compare(a, b, {}, LowerCase, LowerCase);
    }
};

// Positions in kFunctions, ordered by name under `Less`.
template <typename Less> constexpr std::array<std::uint8_t, kCount> SortedIndex()
{
    std::array<std::uint8_t, kCount> index{};
    for (std::size_t k = 0; k < kCount; ++k)
        index[k] = static_cast<std::uint8_t>(k);
    std::ranges::sort(index, Less{}, [](std::uint8_t k) { return kFunctions[k].name; });
    return index;
}

constexpr auto kByName = SortedIndex<NameLess>();
constexpr auto kByNameIgnoringCase = SortedIndex<NameLessIgnoringCase>();

// Each name orders strictly before the next: the index is sorted, and no two
// names are the same under that order.
template <typename Less> constexpr bool NamesUnique(const std::array<std::uint8_t, kCount>& index)
{
    for (std::size_t k = 1; k < kCount; ++k) {
        if (!Less{}(kFunctions[index[k - 1]].name, kFunctions[index[k]].name))
            return false;
    }
    return true;
}
// Exact names are unique, and so are lower-cased ones: dispatching on the
// lower-cased name after the exact test always finds the entry that test found.
static_assert(NamesUnique<NameLess>(kByName));
static_assert(NamesUnique<NameLessIgnoringCase>(kByNameIgnoringCase));

template <typename Less>
const FunctionInfo* Find(const std::array<std::uint8_t, kCount>& index, std::string_view name)
{
    const auto* at = std::ranges::lower_bound(index, name, Less{},
                                              [](std::uint8_t k) { return kFunctions[k].name; });
    if (at == index.end() || Less{}(name, kFunctions[*at].name))
        return nullptr;
    return &kFunctions[*at];
}

// ---- The table text ------------------------------------------------------------------

// The text has always had a blank after the comma in front of these four
// names; the lookups never saw it, and the text keeps it.
constexpr std::array<std::string_view, 4> kBlankBefore = {"sqn", "pdisspace", "p_line", "p_planes"};
static_assert(std::ranges::all_of(kBlankBefore, [](std::string_view name) {
    return std::ranges::find(kFunctions, name, &FunctionInfo::name) != kFunctions.end();
}));

constexpr bool HasBlankBefore(std::string_view name)
{
    return std::ranges::find(kBlankBefore, name) != kBlankBefore.end();
}

constexpr std::size_t DigitCount(int n)
{
    std::size_t digits = 1;
    for (; n >= 10; n /= 10)
        ++digits;
    return digits;
}

// name + "(" + count + ")", entries joined by ",".
constexpr std::size_t TableTextLength()
{
    std::size_t length = kCount - 1;
    for (const FunctionInfo& f : kFunctions)
        length +=
            (HasBlankBefore(f.name) ? 1 : 0) + f.name.size() + 2 + DigitCount(f.argumentCount);
    return length;
}

struct TableText {
    std::array<char, TableTextLength()> text{};
    // Where each entry starts in `text` (behind its blank, if any) and its length.
    std::array<std::size_t, kCount> start{};
    std::array<std::size_t, kCount> length{};
};

constexpr TableText kTableText = [] {
    TableText t;
    std::size_t at = 0;
    const auto put = [&](char c) { t.text[at++] = c; };
    for (std::size_t k = 0; k < kCount; ++k) {
        const FunctionInfo& f = kFunctions[k];
        if (k > 0)
            put(',');
        if (HasBlankBefore(f.name))
            put(' ');
        t.start[k] = at;
        for (const char c : f.name)
            put(c);
        put('(');
        const std::size_t digits = DigitCount(f.argumentCount);
        for (std::size_t d = digits, n = static_cast<std::size_t>(f.argumentCount); d > 0; --d) {
            t.text[at + d - 1] = static_cast<char>('0' + n % 10);
            n /= 10;
        }
        at += digits;
        put(')');
        t.length[k] = at - t.start[k];
    }
    return t;
}();

constexpr std::array<std::string_view, kCount> kEntries = [] {
    std::array<std::string_view, kCount> entries{};
    for (std::size_t k = 0; k < kCount; ++k)
        entries[k] =
            std::string_view(kTableText.text.data() + kTableText.start[k], kTableText.length[k]);
    return entries;
}();

} // namespace

const FunctionInfo* FindFunction(std::string_view name)
{
    return Find<NameLess>(kByName, name);
}

const FunctionInfo* FindFunctionIgnoringCase(std::string_view name)
{
    return Find<NameLessIgnoringCase>(kByNameIgnoringCase, name);
}

std::string_view FunctionTableText()
{
    return {kTableText.text.data(), kTableText.text.size()};
}

std::span<const std::string_view> FunctionTable()
{
    return kEntries;
}

bool IsFunctionName(std::string_view name)
{
    return FindFunction(name) != nullptr;
}

int DeclaredArgumentCount(std::string_view name)
{
    const FunctionInfo* f = FindFunction(name);
    return f != nullptr ? f->argumentCount : -1;
}

} // namespace tolvane::engine
