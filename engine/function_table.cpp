#include "engine/engine.h"
#include "engine/named_values.h"

#include <charconv>
#include <string>
#include <vector>

namespace tolvane::engine {
namespace {

// The table is filled from this text exactly as written, blanks after some
// commas included; the lookups trim them.
constexpr std::string_view kFunctionTableText =
    "sqrt(1),abs(1),exp(1),power(2),sin(1),cos(1),tan(1),arcsin(1),arccos(1),arctan(1),"
    "degrad(1),raddeg(1),costh(3),s_tria(3),s_circ(1),s_ellip(2),s_rect(2),s_poly(2),log2(1),"
    "log10(1),logN(2),ln(1),int(1),trunc(1),round(1),roundto(2),frac(1),mod(2),max(0),min(0),"
    "sum(0),avg(0),stddev(0),sn(3), sqn(3),intax(1),arcintax(1),morrep(5),pdisplanes(4), "
    "pdisspace(6), p_line(5), p_planes(7)";

// Each table entry read once with the lookup rules, so a lookup compares
// names only: the name before the first '(' (none: the entry never matches)
// and the declared count between '(' and the first ')' (-1 when that text is
// not an integer or the parentheses are missing or out of order).
struct Signature {
    std::string_view name;
    bool hasOpen = false;
    bool hasCount = false;
    int count = -1;
};

std::vector<std::string> g_functionTable;
std::vector<Signature> g_signatures;

std::string_view TrimControlAndBlank(std::string_view s)
{
    while (!s.empty() && static_cast<unsigned char>(s.front()) <= 32)
        s.remove_prefix(1);
    while (!s.empty() && static_cast<unsigned char>(s.back()) <= 32)
        s.remove_suffix(1);
    return s;
}

Signature ReadSignature(std::string_view entry)
{
    Signature sig;
    entry = TrimControlAndBlank(entry);
    const auto open = entry.find('(');
    if (open == std::string_view::npos)
        return sig;
    sig.hasOpen = true;
    sig.name = entry.substr(0, open);
    const auto close = entry.find(')');
    if (close == std::string_view::npos || close < open)
        return sig;
    sig.hasCount = true;
    const std::string_view digits = entry.substr(open + 1, close - open - 1);
    int value = 0;
    const auto [ptr, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), value);
    if (ec == std::errc() && ptr == digits.data() + digits.size() && !digits.empty())
        sig.count = value;
    return sig;
}

} // namespace

const std::vector<std::string>& FunctionTable()
{
    return g_functionTable;
}

void InitExpressionEngine()
{
    g_functionTable.clear();
    std::string_view rest = kFunctionTableText;
    while (true) {
        const auto comma = rest.find(',');
        g_functionTable.emplace_back(rest.substr(0, comma));
        if (comma == std::string_view::npos)
            break;
        rest.remove_prefix(comma + 1);
        while (!rest.empty() && rest.front() == ' ')
            rest.remove_prefix(1);
    }
    g_signatures.clear();
    g_signatures.reserve(g_functionTable.size());
    for (const std::string& entry : g_functionTable)
        g_signatures.push_back(ReadSignature(entry));
    ResetNamedValues();
}

void FinalizeExpressionEngine()
{
    g_signatures.clear();
    g_functionTable.clear();
    g_functionTable.shrink_to_fit();
    ClearNamedValues();
}

bool IsFunctionName(std::string_view name)
{
    for (const Signature& sig : g_signatures) {
        if (sig.hasOpen && sig.name == name)
            return true;
    }
    return false;
}

int DeclaredArgumentCount(std::string_view name)
{
    for (const Signature& sig : g_signatures) {
        if (sig.hasCount && sig.name == name)
            return sig.count;
    }
    return -1;
}

} // namespace tolvane::engine
