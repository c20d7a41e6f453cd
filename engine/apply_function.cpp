// The function step (name test, argument list, first argument, dispatch)
// and the helpers the function families share.
#include "engine/function_call.h"
#include "engine/functions.h"
#include "engine/messages.h"

#include <algorithm>
#include <array>
#include <cassert>
#include <cmath>
#include <string>

namespace tolvane::engine {
namespace {

// The separate routines report through (r, error state) and answer false on
// a failure; false with the flag clear is their numeric fault.
template <bool (*Routine)(std::string_view, double&, ErrorState&)>
FunctionOutcome Separate(const FunctionCall& call)
{
    double r = 0;
    if (!Routine(call.argumentList, r, call.errors) || call.errors.flag)
        return std::nullopt;
    return r;
}

struct DispatchEntry {
    std::string_view name; // lower case: the dispatch runs on the lower-cased name
    FunctionHandler handler;
};

// Whole-name matches only, so that `ln`/`logn`, `int`/`intax`,
// `round`/`roundto` and `sn`/`sqn` can never hide one another.
constexpr std::array kDispatch = {
    DispatchEntry{"abs", Abs},
    DispatchEntry{"arccos", Arccos},
    DispatchEntry{"arcintax", Arcintax},
    DispatchEntry{"arcsin", Arcsin},
    DispatchEntry{"arctan", Arctan},
    DispatchEntry{"avg", Separate<StatAvg>},
    DispatchEntry{"cos", Cos},
    DispatchEntry{"costh", Separate<GeoCosTheta>},
    DispatchEntry{"degrad", Degrad},
    DispatchEntry{"exp", Exp},
    DispatchEntry{"frac", Frac},
    DispatchEntry{"int", Int},
    DispatchEntry{"intax", Intax},
    DispatchEntry{"ln", Ln},
    DispatchEntry{"log10", Log10},
    DispatchEntry{"log2", Log2},
    DispatchEntry{"logn", LogN},
    DispatchEntry{"max", Separate<StatMax>},
    DispatchEntry{"min", Separate<StatMin>},
    DispatchEntry{"mod", Mod},
    DispatchEntry{"morrep", Separate<FinMortgagePayment>},
    DispatchEntry{"p_line", Separate<GeoPointLineDistance>},
    DispatchEntry{"p_planes", Separate<GeoPointPlaneDistance>},
    DispatchEntry{"pdisplanes", Separate<GeoPlaneDistance>},
    DispatchEntry{"pdisspace", Separate<GeoSpaceDistance>},
    DispatchEntry{"power", Power},
    DispatchEntry{"raddeg", Raddeg},
    DispatchEntry{"round", Round},
    DispatchEntry{"roundto", Roundto},
    DispatchEntry{"s_circ", SCirc},
    DispatchEntry{"s_ellip", SEllip},
    DispatchEntry{"s_poly", SPoly},
    DispatchEntry{"s_rect", SRect},
    DispatchEntry{"s_tria", Separate<GeoTriangleArea>},
    DispatchEntry{"sin", Sin},
    DispatchEntry{"sn", Separate<SeriesArithmeticSum>},
    DispatchEntry{"sqn", Separate<SeriesGeometricSum>},
    DispatchEntry{"sqrt", Sqrt},
    DispatchEntry{"stddev", Separate<StatStdDev>},
    DispatchEntry{"sum", Separate<StatSum>},
    DispatchEntry{"tan", Tan},
    DispatchEntry{"trunc", Trunc},
};
static_assert(kDispatch.size() == 42);
static_assert(std::ranges::is_sorted(kDispatch, {}, &DispatchEntry::name));

FunctionHandler FindHandler(std::string_view lowerName)
{
    const auto* it = std::ranges::lower_bound(kDispatch, lowerName, {}, &DispatchEntry::name);
    if (it == kDispatch.end() || it->name != lowerName)
        return nullptr;
    return it->handler;
}

std::string LowerCase(std::string_view name)
{
    std::string lower(name);
    for (char& c : lower) {
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    }
    return lower;
}

} // namespace

std::optional<long double> SecondArgument(const FunctionCall& call, std::string_view missingMessage)
{
    const std::string item = NthArgument(call.argumentList, 2);
    if (item.empty()) {
        AppendError(call.errors, missingMessage);
        return std::nullopt;
    }
    return ParseNumber(item);
}

std::optional<std::vector<double>> ArgumentValues(std::string_view argumentList)
{
    std::vector<double> values(1 + static_cast<std::size_t>(std::ranges::count(argumentList, ',')),
                               0.0);
    const bool parsed = ParseArguments(argumentList, values);
    if (parsed && std::ranges::none_of(values, [](double v) { return std::isinf(v); }))
        return values;
    // Either an item was refused or one came back infinite: find out whether
    // an item is a number too large for a double.
    for (std::size_t start = 0; start <= argumentList.size();) {
        const std::size_t end = std::min(argumentList.find(',', start), argumentList.size());
        const auto v = ParseNumber(argumentList.substr(start, end - start));
        if (v && std::isinf(static_cast<double>(*v)))
            return std::nullopt;
        start = end + 1;
    }
    return values;
}

std::optional<std::vector<double>> FixedArgumentValues(std::string_view argumentList,
                                                       std::size_t required,
                                                       std::string_view countMessage,
                                                       ErrorState& errors)
{
    auto values = ArgumentValues(argumentList);
    if (values && values->size() != required) {
        AppendError(errors, countMessage);
        return std::nullopt;
    }
    return values;
}

bool StoreResult(long double value, double& r)
{
    const auto rounded = static_cast<double>(value);
    if (!std::isfinite(rounded))
        return false;
    r = rounded;
    return true;
}

bool IsWhole(long double v)
{
    return std::trunc(v) == v;
}

std::optional<double> ApplyFunction(std::string_view name,
                                    std::optional<std::string_view> argumentList,
                                    ErrorState& errors)
{
    if (!IsFunctionName(name) || !argumentList) {
        AppendError(errors, msg::kUnknownFunction);
        return std::nullopt;
    }
    const std::string first = NthArgument(*argumentList, 1);
    if (first.empty()) {
        AppendError(errors, msg::kFirstArgument);
        return std::nullopt;
    }
    const std::optional<long double> x = ParseNumber(first);
    if (!x)
        return std::nullopt;

    const FunctionHandler handler = FindHandler(LowerCase(name));
    assert(handler && "every name of the function table has a handler");
    if (!handler)
        return std::nullopt;

    const FunctionOutcome r = handler(FunctionCall{*argumentList, *x, errors});
    if (!r || errors.flag)
        return std::nullopt;
    // The one rounding of the result to a double; beyond the double range it
    // is an overflow, which the caller must see as a numeric fault.
    double rounded = 0;
    if (!StoreResult(*r, rounded))
        return std::nullopt;
    return rounded;
}

} // namespace tolvane::engine
