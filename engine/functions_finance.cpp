// Personal income tax and its inverse, the monthly mortgage payment, and the
// sums of arithmetic and geometric series. Amounts, rates and counts are plain
// numbers: no currency unit and no rounding to cents.
#include "engine/arithmetic.h"
#include "engine/function_call.h"
#include "engine/functions.h"
#include "engine/messages.h"

#include <array>
#include <cstdint>

namespace tolvane::engine {
namespace {

// The allowance subtracted from a salary before the tax table applies.
constexpr Extended kTaxAllowance = 3500;

struct TaxBracket {
    Extended upperBound; // of the taxable amount; the last bracket has none
    Extended rate;       // the extended value nearest the decimal rate
    Extended deduction;  // the quick deduction
    Extended taxAtBound; // the tax due at upperBound: the bound read backwards
};

constexpr Extended Rate(std::uint64_t significand, std::uint16_t exponent)
{
    return Extended::FromBits({significand, exponent});
}

// An amount exactly on a bound belongs to the lower bracket, both ways. The
// rates are 3%, 10%, 20%, 25%, 30%, 35% and 45%.
constexpr std::array<TaxBracket, 7> kTaxBrackets = {{
    {1500, Rate(0xf5c2'8f5c'28f5'c28f, 0x3ff9), 0, 45},
    {4500, Rate(0xcccc'cccc'cccc'cccd, 0x3ffb), 105, 345},
    {9000, Rate(0xcccc'cccc'cccc'cccd, 0x3ffc), 555, 1245},
    {35000, 0.25, 1005, 7745},
    {55000, Rate(0x9999'9999'9999'999a, 0x3ffd), 2755, 13745},
    {80000, Rate(0xb333'3333'3333'3333, 0x3ffd), 5505, 22495},
    {0, Rate(0xe666'6666'6666'6666, 0x3ffd), 13505, 0},
}};

template <typename Within> const TaxBracket& FindBracket(Within within)
{
    for (std::size_t k = 0; k + 1 < kTaxBrackets.size(); ++k) {
        if (within(kTaxBrackets[k]))
            return kTaxBrackets[k];
    }
    return kTaxBrackets.back();
}

// q^n for a whole n >= 1 by repeated squaring in extended precision, for any
// n a double can hold: a ratio of -1 must give exactly +1 or -1 even for
// n = 2^31, where the exponential route would lose the sign and the digits.
Extended WholePower(Extended q, Extended n)
{
    Extended result = 1;
    Extended square = q;
    for (Extended e = n;;) {
        if (Fmod(e, 2) == 1)
            result *= square;
        e = Floor(e / 2);
        if (e == 0)
            return result;
        square *= square;
    }
}

} // namespace

double FinIncomeTax(double salary)
{
    const double taxable = ToDouble(Extended(salary) - kTaxAllowance);
    if (taxable <= 0)
        return 0;
    const TaxBracket& bracket =
        FindBracket([&](const TaxBracket& b) { return taxable <= b.upperBound; });
    return ToDouble(taxable * bracket.rate - bracket.deduction);
}

double FinSalaryFromTax(double tax)
{
    if (tax <= 0)
        return 0;
    const TaxBracket& bracket =
        FindBracket([&](const TaxBracket& b) { return tax <= b.taxAtBound; });
    return ToDouble((tax + bracket.deduction) / bracket.rate + kTaxAllowance);
}

namespace handlers {

FunctionOutcome Intax(const FunctionCall& call)
{
    return FinIncomeTax(ToDouble(call.x));
}

FunctionOutcome Arcintax(const FunctionCall& call)
{
    if (call.x <= 0) {
        AppendError(call.errors, msg::kArcintaxDomain);
        return std::nullopt;
    }
    return FinSalaryFromTax(ToDouble(call.x));
}

// morrep(P, r, Y, mode, k): the payment of month k on P borrowed at the yearly
// rate r for Y whole years. Mode 1 repays equal shares of principal plus the
// month's interest; any other mode pays equal instalments, the same every
// month. N, the monthly rate and (1 + i)^N stay in extended precision.
FunctionOutcome Morrep(const FunctionCall& call)
{
    const auto v = FixedArgumentValues(call.argumentList, 5, msg::kMortgageArguments, call.errors);
    if (!v)
        return std::nullopt;
    const Extended principal = (*v)[0], rate = (*v)[1], years = (*v)[2];
    const Extended mode = (*v)[3], month = (*v)[4];
    if (!(principal > 0 && rate > 0 && years > 0 && IsWhole(years) && month > 0 &&
          month <= 12 * years && IsWhole(month))) {
        AppendError(call.errors, msg::kMortgageArguments);
        return std::nullopt;
    }
    const Extended months = 12 * years;
    if (mode == 1)
        return principal / months + principal * (1 - (month - 1) / months) * rate / 12;
    const Extended monthlyRate = rate / 12;
    const auto growth = PowerRule(1 + monthlyRate, months);
    if (!growth)
        return std::nullopt;
    return principal * monthlyRate * *growth / (*growth - 1);
}

// sn(a1, d, n): the sum of the first n terms.
FunctionOutcome Sn(const FunctionCall& call)
{
    const auto v = FixedArgumentValues(call.argumentList, 3, msg::kArithmeticSeries, call.errors);
    if (!v)
        return std::nullopt;
    const Extended first = (*v)[0], difference = (*v)[1], n = (*v)[2];
    if (!(n > 0 && IsWhole(n))) {
        AppendError(call.errors, msg::kArithmeticSeries);
        return std::nullopt;
    }
    return n * first + n * (n - 1) * difference / 2;
}

// sqn(a1, q, n): the sum of the first n terms; q^n is rounded to a double
// once, so a q^n beyond the double range is an overflow.
FunctionOutcome Sqn(const FunctionCall& call)
{
    const auto v = FixedArgumentValues(call.argumentList, 3, msg::kGeometricSeries, call.errors);
    if (!v)
        return std::nullopt;
    const Extended first = (*v)[0], ratio = (*v)[1], n = (*v)[2];
    if (!(ratio != 1 && n > 0 && IsWhole(n))) {
        AppendError(call.errors, msg::kGeometricSeries);
        return std::nullopt;
    }
    // Kept in extended precision once rounded: 1 - power is an extended subtraction.
    const Extended power = ToDouble(WholePower(ratio, n));
    if (!IsFinite(power))
        return std::nullopt;
    return first * (1 - power) / (1 - ratio);
}

} // namespace handlers
} // namespace tolvane::engine
