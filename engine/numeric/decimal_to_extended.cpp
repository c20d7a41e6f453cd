// Decimal text to Extended, correctly rounded for any number of digits, by integers alone: the
// same answer on every machine and every compiler, whatever its C library does.
//
// Three routes, cheapest first. Up to 19 digits times a power of ten up to 10^27 is one
// correctly rounded operation of exact operands. Otherwise the first 19 digits times a 128-bit
// power of ten bracket the value closely enough that, unless it lies within about 2^-110 of a
// rounding boundary, both ends of the bracket round alike, and that is the answer. Only near a
// boundary (or for long texts) are the candidates decided by comparing exact big integers.
#include "engine/numeric/extended_tables.h"
#include "engine/numeric/numeric.h"
#include "engine/numeric/wide_float.h"

#include <algorithm>
#include <cstddef>
#include <string_view>
#include <vector>

namespace tolvane::engine {
namespace {

// Halfway points between neighbouring Extended values have at most about 11,520 significant
// digits (those near the smallest denormals). Digits beyond this many can only tell whether the
// value lies above the digits kept, which one nonzero digit in their place tells as well.
constexpr long long kMaxDigits = 11'600;
// Far outside the range a text is zero or beyond it whatever its digits say.
constexpr long long kExponentLimit = 100'000'000;

// A decimal value: the significant digits D (first nonzero to last nonzero) times 10^exponent.
struct Decimal {
    bool negative = false;
    std::uint64_t head = 0; // the first min(count, 19) digits
    int headDigits = 0;
    long long count = 0;    // significant digits; 0 for zero
    long long exponent = 0; // of D's last digit
    // Where the digits are, for the long route: the text and the digit indexes (the '.' not
    // counted) of the first and last significant digits.
    std::string_view text;
    long long first = 0;
    long long last = 0;
};

// ---- Big integers: what the exact comparison needs, no more ---------------------------------

using Big = std::vector<std::uint32_t>; // little-endian limbs

void MultiplySmall(Big& a, std::uint32_t m, std::uint32_t add = 0)
{
    std::uint64_t carry = add;
    for (std::uint32_t& limb : a) {
        const std::uint64_t v = static_cast<std::uint64_t>(limb) * m + carry;
        limb = static_cast<std::uint32_t>(v);
        carry = v >> 32;
    }
    if (carry != 0)
        a.push_back(static_cast<std::uint32_t>(carry));
}

Big FromUint64(std::uint64_t v)
{
    Big b;
    while (v != 0) {
        b.push_back(static_cast<std::uint32_t>(v));
        v >>= 32;
    }
    return b;
}

void MultiplyPowerOfFive(Big& a, long long k)
{
    constexpr std::uint32_t kFive13 = 1'220'703'125; // 5^13, the largest below 2^32
    for (; k >= 13; k -= 13)
        MultiplySmall(a, kFive13);
    std::uint32_t rest = 1;
    for (; k > 0; --k)
        rest *= 5;
    if (rest != 1)
        MultiplySmall(a, rest);
}

Big Multiply(const Big& a, const Big& b)
{
    Big r(a.size() + b.size(), 0);
    for (std::size_t i = 0; i < a.size(); ++i) {
        std::uint64_t carry = 0;
        for (std::size_t j = 0; j < b.size(); ++j) {
            const std::uint64_t v = static_cast<std::uint64_t>(a[i]) * b[j] + r[i + j] + carry;
            r[i + j] = static_cast<std::uint32_t>(v);
            carry = v >> 32;
        }
        r[i + b.size()] = static_cast<std::uint32_t>(carry);
    }
    while (!r.empty() && r.back() == 0)
        r.pop_back();
    return r;
}

Big ShiftedLeft(const Big& a, long long bits)
{
    if (a.empty())
        return a;
    const auto limbs = static_cast<std::size_t>(bits / 32);
    const int rest = static_cast<int>(bits % 32);
    Big r(limbs, 0);
    std::uint32_t carry = 0;
    for (const std::uint32_t limb : a) {
        r.push_back(rest == 0 ? limb : (limb << rest) | carry);
        carry = rest == 0 ? 0 : limb >> (32 - rest);
    }
    if (carry != 0)
        r.push_back(carry);
    return r;
}

int Compare(const Big& a, const Big& b)
{
    if (a.size() != b.size())
        return a.size() < b.size() ? -1 : 1;
    for (std::size_t k = a.size(); k-- > 0;) {
        if (a[k] != b[k])
            return a[k] < b[k] ? -1 : 1;
    }
    return 0;
}

// D as a big integer; a text longer than kMaxDigits keeps that many and then a 1.
Big Digits(const Decimal& d, long long& exponent)
{
    exponent = d.exponent;
    if (d.count <= 19)
        return FromUint64(d.head);
    Big b;
    long long index = 0;
    long long kept = 0;
    std::uint32_t chunk = 0;
    int chunkDigits = 0;
    const auto flush = [&] {
        std::uint32_t scale = 1;
        for (int k = 0; k < chunkDigits; ++k)
            scale *= 10;
        MultiplySmall(b, scale, chunk);
        chunk = 0;
        chunkDigits = 0;
    };
    for (const char c : d.text) {
        if (c < '0' || c > '9') {
            if (c == '.')
                continue;
            break;
        }
        if (index >= d.first && index <= d.last) {
            if (kept == kMaxDigits) {
                chunk = chunk * 10 + 1;
                ++chunkDigits;
                exponent = d.exponent + (d.last - index);
                break;
            }
            chunk = chunk * 10 + static_cast<std::uint32_t>(c - '0');
            ++chunkDigits;
            ++kept;
            if (chunkDigits == 9)
                flush();
        }
        ++index;
    }
    flush();
    return b;
}

// ---- The three routes ------------------------------------------------------------------------

// 10^k to about 2^-120, from the 128-bit powers 10^(+-2^i).
WideFloat WidePowerOfTen(long long k)
{
    WideFloat r = WideFromInteger(1);
    const bool negative = k < 0;
    const unsigned long long magnitude =
        negative ? static_cast<unsigned long long>(-k) : static_cast<unsigned long long>(k);
    for (int i = 0; i < 14; ++i) {
        if ((magnitude >> i) & 1)
            r = Multiply(r, tables::kPowersOfTen[2 * i + (negative ? 1 : 0)]);
    }
    return r;
}

ExtendedBits RoundBits(const WideFloat& v, bool& overflowed)
{
    overflowed = false;
    if (IsZero(v))
        return {0, 0};
    return soft::Round(false, v.exponent, v.significand.high, v.significand.low, false, overflowed);
}

// The rounding of the value when the bracket [w, w + 1) * 10^e, widened by the error of the
// arithmetic, rounds the same at both ends; nullopt when it does not.
std::optional<ExtendedBits> RoundFromBracket(const Decimal& d, ExtendedBits& guess,
                                             bool& guessOverflowed)
{
    const long long e = d.exponent + (d.count - d.headDigits);
    const WideFloat power = WidePowerOfTen(e);
    const WideFloat low = Multiply(WideFromInteger(static_cast<std::int64_t>(d.head >> 1)),
                                   Scaled(power, 1)); // head may use all 64 bits
    const WideFloat value = Add(low, (d.head & 1) != 0 ? power : WideFloat{});
    const WideFloat error = Scaled(WideFromInteger(1), value.exponent - 112);
    WideFloat top = Add(value, error);
    if (d.count > d.headDigits)
        top = Add(top, power);
    const WideFloat bottom = Subtract(value, error);
    guess = RoundBits(value, guessOverflowed);
    bool overflowedTop = false;
    bool overflowedBottom = false;
    const ExtendedBits a = RoundBits(top, overflowedTop);
    const ExtendedBits b = RoundBits(bottom, overflowedBottom);
    if (a == b && a == guess && overflowedTop == overflowedBottom)
        return guess;
    return std::nullopt;
}

// A candidate M * 2^q: M < 2^63 only for denormals (q then the smallest exponent).
struct Candidate {
    std::uint64_t m = 0;
    long long q = 0;
};

constexpr long long kSmallestQ = -16445;
constexpr long long kLargestQ = 16383 - 63;

// Sign of V - k * 2^t, V = D * 10^exponent, given L = D * 5^max(exponent, 0) and
// P = 5^max(-exponent, 0).
int CompareWithValue(const Big& l, const Big& p, long long exponent, const Big& k, long long t)
{
    const Big r = Multiply(k, p);
    const long long shift = exponent - t;
    if (shift >= 0)
        return Compare(ShiftedLeft(l, shift), r);
    return Compare(l, ShiftedLeft(r, -shift));
}

Big Limbs(std::uint64_t high, std::uint64_t low)
{
    Big b = FromUint64(low);
    if (high != 0) {
        b.resize(2, 0);
        const Big h = FromUint64(high);
        b.insert(b.end(), h.begin(), h.end());
    }
    return b;
}

std::optional<ExtendedBits> RoundExactly(const Decimal& d, ExtendedBits guess, bool overflowed)
{
    long long exponent = 0;
    Big l = Digits(d, exponent);
    Big p = FromUint64(1);
    if (exponent >= 0)
        MultiplyPowerOfFive(l, exponent);
    else
        MultiplyPowerOfFive(p, -exponent);

    Candidate c;
    const int biased = guess.signExponent & 0x7fff;
    if (overflowed) {
        c = {~std::uint64_t{0}, kLargestQ};
    } else {
        c.m = guess.significand;
        c.q = biased == 0 ? kSmallestQ : biased - 16383 - 63;
    }
    for (int step = 0; step < 64; ++step) {
        // Above the midpoint with the next value up (a tie goes to the even one)?
        const std::uint64_t upHigh = c.m >> 63;
        const std::uint64_t upLow = (c.m << 1) | 1;
        const int up = CompareWithValue(l, p, exponent, Limbs(upHigh, upLow), c.q - 1);
        if (up > 0 || (up == 0 && (c.m & 1) != 0)) {
            if (c.m == ~std::uint64_t{0}) {
                if (c.q == kLargestQ)
                    return std::nullopt; // beyond the range
                c = {std::uint64_t{1} << 63, c.q + 1};
            } else {
                ++c.m;
            }
            continue;
        }
        if (c.m == 0)
            break;
        // Below the midpoint with the next value down? At the bottom of a binade that value
        // lies half as far.
        const bool binadeBottom = c.m == std::uint64_t{1} << 63 && c.q > kSmallestQ;
        const Big k = binadeBottom ? Limbs(1, ~std::uint64_t{0})
                                   : Limbs((c.m - 1) >> 63, ((c.m - 1) << 1) | 1);
        const int down = CompareWithValue(l, p, exponent, k, binadeBottom ? c.q - 2 : c.q - 1);
        if (down < 0 || (down == 0 && (c.m & 1) != 0)) {
            if (binadeBottom)
                c = {~std::uint64_t{0}, c.q - 1};
            else
                --c.m;
            continue;
        }
        break;
    }
    if (c.m == 0)
        return ExtendedBits{0, 0};
    if ((c.m >> 63) == 0)
        return ExtendedBits{c.m, 0};
    return ExtendedBits{c.m, static_cast<std::uint16_t>(c.q + 63 + 16383)};
}

// Up to 19 digits times or divided by 10^k, k <= 27: exact operands, one rounding.
bool IsShort(const Decimal& d)
{
    return d.count <= 19 && d.exponent >= -27 && d.exponent <= 27;
}

Extended ShortValue(const Decimal& d)
{
    const Extended digits(d.head);
    const Extended v = d.exponent >= 0 ? digits * PowerOfTen(static_cast<int>(d.exponent))
                                       : digits / PowerOfTen(static_cast<int>(-d.exponent));
    return d.negative ? -v : v;
}

std::optional<Extended> Convert(const Decimal& d)
{
    const auto sign = static_cast<std::uint16_t>(d.negative ? 0x8000 : 0);
    if (d.count == 0)
        return Extended::FromBits({0, sign});
    // The value lies in [10^(count - 1 + exponent), 10^(count + exponent)). The largest Extended
    // is about 1.19e4932; half the smallest denormal about 1.8e-4951.
    if (d.count - 1 + d.exponent >= 4933)
        return std::nullopt;
    if (d.count + d.exponent <= -4952)
        return Extended::FromBits({0, sign});
    if (IsShort(d))
        return ShortValue(d);
    ExtendedBits guess;
    bool overflowed = false;
    std::optional<ExtendedBits> bits = RoundFromBracket(d, guess, overflowed);
    if (bits && overflowed)
        return std::nullopt;
    if (!bits)
        bits = RoundExactly(d, guess, overflowed);
    if (!bits)
        return std::nullopt;
    bits->signExponent |= sign;
    return Extended::FromBits(*bits);
}

} // namespace

std::optional<Extended> ReadDecimal(std::string_view text)
{
    Decimal d;
    std::size_t k = 0;
    if (k < text.size() && (text[k] == '+' || text[k] == '-')) {
        d.negative = text[k] == '-';
        ++k;
    }
    const std::size_t mantissaStart = k;
    long long index = 0;
    long long pointIndex = -1;
    long long first = -1;
    long long last = -1;
    for (; k < text.size(); ++k) {
        const char c = text[k];
        if (c == '.') {
            if (pointIndex >= 0)
                return std::nullopt;
            pointIndex = index;
            continue;
        }
        if (c < '0' || c > '9')
            break;
        if (c != '0') {
            if (first < 0)
                first = index;
            last = index;
        }
        if (first >= 0 && index - first < 19 && d.headDigits < 19) {
            d.head = d.head * 10 + static_cast<std::uint64_t>(c - '0');
            ++d.headDigits;
        }
        ++index;
    }
    if (index == 0)
        return std::nullopt;
    d.text = text.substr(mantissaStart, k - mantissaStart);
    long long exponent = 0;
    if (k < text.size() && (text[k] == 'e' || text[k] == 'E')) {
        ++k;
        bool negativeExponent = false;
        if (k < text.size() && (text[k] == '+' || text[k] == '-')) {
            negativeExponent = text[k] == '-';
            ++k;
        }
        if (k == text.size() || text[k] < '0' || text[k] > '9')
            return std::nullopt;
        for (; k < text.size() && text[k] >= '0' && text[k] <= '9'; ++k) {
            if (exponent < kExponentLimit)
                exponent = exponent * 10 + (text[k] - '0');
        }
        exponent = negativeExponent ? -exponent : exponent;
    }
    if (k != text.size())
        return std::nullopt;
    if (first < 0)
        return Convert(d); // zero
    if (pointIndex < 0)
        pointIndex = index;
    d.first = first;
    d.last = last;
    d.count = last - first + 1;
    // The head holds the digits from the first significant one on, trailing zeros included
    // when there are fewer than 19 digits after it; take off those beyond the last nonzero one.
    const long long headEnd = first + d.headDigits - 1;
    for (long long extra = headEnd - last; extra > 0; --extra) {
        d.head /= 10;
        --d.headDigits;
    }
    d.exponent = pointIndex - 1 - last + exponent;
    if (IsShort(d)) // what nearly every text on a sheet is: no call into the general routes
        return ShortValue(d);
    return Convert(d);
}

std::optional<Extended> ScaledDecimal(std::uint64_t digits, long exponent, bool negative)
{
    Decimal d;
    d.negative = negative;
    if (digits != 0) {
        long long e = exponent;
        while (digits % 10 == 0) {
            digits /= 10;
            ++e;
        }
        int count = 0;
        for (std::uint64_t v = digits; v != 0; v /= 10)
            ++count;
        d.head = digits;
        d.headDigits = count;
        d.count = count;
        d.exponent = e;
    }
    return Convert(d);
}

} // namespace tolvane::engine
