#include "engine/numeric/soft_extended.h"

#include "engine/numeric/numeric.h"

#include <bit>
#include <utility>

namespace tolvane::engine::soft {
namespace {

thread_local unsigned t_faults = 0;

constexpr long kBias = 16383;
constexpr int kMaxBiased = 0x7fff;
constexpr std::uint64_t kIntegerBit = std::uint64_t{1} << 63;
constexpr std::uint64_t kQuietBit = std::uint64_t{1} << 62;
// What the x87 answers an invalid operation with: a negative quiet NaN, "real indefinite".
constexpr ExtendedBits kDefaultNaN = {0xc000'0000'0000'0000, 0xffff};

enum class Kind { Zero, Finite, Infinity, QuietNaN, SignallingNaN, Unsupported };

// A value taken apart. Finite values are normalised: the significand's top bit is set and the
// value is significand * 2^(exponent - 63), denormals included.
struct Unpacked {
    Kind kind = Kind::Zero;
    bool negative = false;
    long exponent = 0;
    std::uint64_t significand = 0;
};

Unpacked Unpack(ExtendedBits a)
{
    Unpacked u;
    u.negative = (a.signExponent & 0x8000) != 0;
    const int biased = a.signExponent & 0x7fff;
    const std::uint64_t m = a.significand;
    if (biased == kMaxBiased) {
        if ((m & kIntegerBit) == 0)
            u.kind = Kind::Unsupported; // pseudo-infinity or pseudo-NaN
        else if ((m << 1) == 0)
            u.kind = Kind::Infinity;
        else
            u.kind = (m & kQuietBit) != 0 ? Kind::QuietNaN : Kind::SignallingNaN;
        return u;
    }
    if (biased == 0) {
        if (m == 0)
            return u;
        // Denormals, and pseudo-denormals with the integer bit set, which the x87 accepts.
        const int shift = std::countl_zero(m);
        u.kind = Kind::Finite;
        u.significand = m << shift;
        u.exponent = 1 - kBias - shift;
        return u;
    }
    if ((m & kIntegerBit) == 0) {
        u.kind = Kind::Unsupported; // an unnormal
        return u;
    }
    u.kind = Kind::Finite;
    u.significand = m;
    u.exponent = biased - kBias;
    return u;
}

bool IsNaN(const Unpacked& u)
{
    return u.kind == Kind::QuietNaN || u.kind == Kind::SignallingNaN;
}

ExtendedBits Zero(bool negative)
{
    return {0, static_cast<std::uint16_t>(negative ? 0x8000 : 0)};
}

ExtendedBits Infinity(bool negative)
{
    return {kIntegerBit, static_cast<std::uint16_t>(negative ? 0xffff : 0x7fff)};
}

ExtendedBits Invalid()
{
    t_faults |= kFaultInvalid;
    return kDefaultNaN;
}

ExtendedBits Quieted(ExtendedBits a)
{
    a.significand |= kQuietBit;
    return a;
}

// The answer when an operand is a NaN or unsupported: an unsupported operand is invalid, a
// signalling NaN raises invalid, and the NaN handed on is quiet. Of two NaNs the x87 keeps the
// one with the larger significand, the quiet one when one is signalling.
ExtendedBits NaNOperands(ExtendedBits a, const Unpacked& ua, ExtendedBits b, const Unpacked& ub)
{
    if (ua.kind == Kind::Unsupported || ub.kind == Kind::Unsupported)
        return Invalid();
    if (ua.kind == Kind::SignallingNaN || ub.kind == Kind::SignallingNaN)
        t_faults |= kFaultInvalid;
    if (!IsNaN(ub))
        return Quieted(a);
    if (!IsNaN(ua))
        return Quieted(b);
    if (ua.kind != ub.kind)
        return ua.kind == Kind::QuietNaN ? a : b;
    const std::uint64_t ma = a.significand | kQuietBit;
    const std::uint64_t mb = b.significand | kQuietBit;
    if (ma != mb)
        return Quieted(ma > mb ? a : b);
    return Quieted(ua.negative ? b : a);
}

ExtendedBits NaNOperand(ExtendedBits a, const Unpacked& ua)
{
    if (ua.kind == Kind::Unsupported)
        return Invalid();
    if (ua.kind == Kind::SignallingNaN)
        t_faults |= kFaultInvalid;
    return Quieted(a);
}

// (high, low) shifted right by `shift` bits; what falls off ends up in `sticky`.
void ShiftRightSticky(std::uint64_t& high, std::uint64_t& low, long shift, bool& sticky)
{
    if (shift <= 0)
        return;
    if (shift >= 128) {
        sticky = sticky || high != 0 || low != 0;
        high = 0;
        low = 0;
        return;
    }
    if (shift >= 64) {
        sticky = sticky || low != 0 || (shift > 64 && (high << (128 - shift)) != 0);
        low = shift == 64 ? high : high >> (shift - 64);
        high = 0;
        return;
    }
    sticky = sticky || (low << (64 - shift)) != 0;
    low = (low >> shift) | (high << (64 - shift));
    high >>= shift;
}

ExtendedBits Pack(bool negative, long exponent, std::uint64_t high, std::uint64_t low, bool sticky)
{
    bool overflowed = false;
    const ExtendedBits r = Round(negative, exponent, high, low, sticky, overflowed);
    if (overflowed)
        t_faults |= kFaultOverflow;
    return r;
}

ExtendedBits Sum(ExtendedBits a, ExtendedBits b, bool negateB)
{
    Unpacked ua = Unpack(a);
    Unpacked ub = Unpack(b);
    if (ua.kind >= Kind::QuietNaN || ub.kind >= Kind::QuietNaN)
        return NaNOperands(a, ua, b, ub);
    ub.negative = ub.negative != negateB;
    if (ua.kind == Kind::Infinity || ub.kind == Kind::Infinity) {
        if (ua.kind == Kind::Infinity && ub.kind == Kind::Infinity && ua.negative != ub.negative)
            return Invalid();
        return Infinity(ua.kind == Kind::Infinity ? ua.negative : ub.negative);
    }
    if (ua.kind == Kind::Zero && ub.kind == Kind::Zero)
        return Zero(ua.negative && ub.negative);
    if (ub.kind == Kind::Zero)
        return Pack(ua.negative, ua.exponent, ua.significand, 0, false);
    if (ua.kind == Kind::Zero)
        return Pack(ub.negative, ub.exponent, ub.significand, 0, false);

    if (ua.exponent < ub.exponent ||
        (ua.exponent == ub.exponent && ua.significand < ub.significand))
        std::swap(ua, ub);
    std::uint64_t bHigh = ub.significand;
    std::uint64_t bLow = 0;
    bool sticky = false;
    ShiftRightSticky(bHigh, bLow, ua.exponent - ub.exponent, sticky);
    std::uint64_t high = ua.significand;
    std::uint64_t low = 0;
    long exponent = ua.exponent;
    if (ua.negative == ub.negative) {
        low = bLow;
        high += bHigh;
        const bool carry = high < bHigh;
        if (carry) {
            bool lostBit = false;
            ShiftRightSticky(high, low, 1, lostBit);
            sticky = sticky || lostBit;
            high |= kIntegerBit;
            ++exponent;
        }
        return Pack(ua.negative, exponent, high, low, sticky);
    }
    // |a| >= |b|. What the sticky bit stands for lies strictly inside one unit of the last
    // place, so the difference is one unit less plus a new sticky remainder.
    const std::uint64_t borrowLow = (low < bLow) ? 1 : 0;
    low -= bLow;
    high -= bHigh + borrowLow;
    if (sticky) {
        if (low == 0)
            --high;
        --low;
    }
    if (high == 0 && low == 0 && !sticky)
        return Zero(false);
    Uint128 difference{high, low};
    const int shift = NormalizeWide(difference);
    return Pack(ua.negative, exponent - shift, difference.high, difference.low, sticky);
}

} // namespace

unsigned Faults()
{
    return t_faults;
}

void ClearFaults()
{
    t_faults = 0;
}

void RaiseFaults(unsigned faults)
{
    t_faults |= faults & kFaults;
}

ExtendedBits Round(bool negative, long exponent, std::uint64_t high, std::uint64_t low, bool sticky,
                   bool& overflowed)
{
    overflowed = false;
    long biased = exponent + kBias;
    if (biased >= kMaxBiased) {
        overflowed = true;
        return Infinity(negative);
    }
    if (biased < 1) {
        // Gradual underflow: the significand moves right until the exponent is the smallest;
        // an encoded exponent of 0 then marks the denormal.
        ShiftRightSticky(high, low, 1 - biased, sticky);
        biased = 0;
    }
    const bool roundBit = (low >> 63) != 0;
    const bool rest = (low << 1) != 0 || sticky;
    if (roundBit && (rest || (high & 1) != 0)) {
        ++high;
        if (high == 0) {
            high = kIntegerBit;
            ++biased;
        } else if (biased == 0 && high == kIntegerBit) {
            biased = 1; // rounded up into the smallest normal
        }
    }
    if (biased >= kMaxBiased) {
        overflowed = true;
        return Infinity(negative);
    }
    const auto sign = static_cast<std::uint16_t>(negative ? 0x8000 : 0);
    return {high, static_cast<std::uint16_t>(biased | sign)};
}

ExtendedBits Add(ExtendedBits a, ExtendedBits b)
{
    return Sum(a, b, false);
}

ExtendedBits Subtract(ExtendedBits a, ExtendedBits b)
{
    return Sum(a, b, true);
}

ExtendedBits Multiply(ExtendedBits a, ExtendedBits b)
{
    const Unpacked ua = Unpack(a);
    const Unpacked ub = Unpack(b);
    if (ua.kind >= Kind::QuietNaN || ub.kind >= Kind::QuietNaN)
        return NaNOperands(a, ua, b, ub);
    const bool negative = ua.negative != ub.negative;
    if (ua.kind == Kind::Infinity || ub.kind == Kind::Infinity) {
        if (ua.kind == Kind::Zero || ub.kind == Kind::Zero)
            return Invalid();
        return Infinity(negative);
    }
    if (ua.kind == Kind::Zero || ub.kind == Kind::Zero)
        return Zero(negative);
    Uint128 p = MultiplyWide(ua.significand, ub.significand);
    long exponent = ua.exponent + ub.exponent + 1;
    if ((p.high >> 63) == 0) {
        p.high = (p.high << 1) | (p.low >> 63);
        p.low <<= 1;
        --exponent;
    }
    return Pack(negative, exponent, p.high, p.low, false);
}

ExtendedBits Divide(ExtendedBits a, ExtendedBits b)
{
    const Unpacked ua = Unpack(a);
    const Unpacked ub = Unpack(b);
    if (ua.kind >= Kind::QuietNaN || ub.kind >= Kind::QuietNaN)
        return NaNOperands(a, ua, b, ub);
    const bool negative = ua.negative != ub.negative;
    if (ua.kind == Kind::Infinity)
        return ub.kind == Kind::Infinity ? Invalid() : Infinity(negative);
    if (ub.kind == Kind::Infinity)
        return Zero(negative);
    if (ub.kind == Kind::Zero) {
        if (ua.kind == Kind::Zero)
            return Invalid();
        t_faults |= kFaultDivideByZero;
        return Infinity(negative);
    }
    if (ua.kind == Kind::Zero)
        return Zero(negative);
    // The quotient of the significands, bit by bit: its integer bit, then 128 fraction bits,
    // then whether anything remains.
    const bool whole = ua.significand >= ub.significand;
    const std::uint64_t r0 = whole ? ua.significand - ub.significand : ua.significand;
    std::uint64_t r1 = 0;
    std::uint64_t r2 = 0;
    const std::uint64_t q1 = DivideWide(r0, 0, ub.significand, r1);
    const std::uint64_t q2 = DivideWide(r1, 0, ub.significand, r2);
    const long exponent = ua.exponent - ub.exponent;
    if (whole) {
        return Pack(negative, exponent, kIntegerBit | (q1 >> 1), (q1 << 63) | (q2 >> 1),
                    (q2 & 1) != 0 || r2 != 0);
    }
    return Pack(negative, exponent - 1, q1, q2, r2 != 0);
}

ExtendedBits Sqrt(ExtendedBits a)
{
    const Unpacked u = Unpack(a);
    if (u.kind >= Kind::QuietNaN)
        return NaNOperand(a, u);
    if (u.kind == Kind::Zero)
        return a;
    if (u.negative)
        return Invalid();
    if (u.kind == Kind::Infinity)
        return a;
    // value = m * 2^e with e even after moving one bit: sqrt = sqrt(n) * 2^(e / 2), n the
    // significand placed so that its root has exactly 64 bits.
    const long e = u.exponent - 63;
    const bool odd = (e & 1) != 0;
    const Uint128 n =
        odd ? Uint128{u.significand >> 1, u.significand << 63} : Uint128{u.significand, 0};
    const std::uint64_t root = IntegerSqrt(n);
    const Uint128 square = MultiplyWide(root, root);
    const std::uint64_t remLow = n.low - square.low;
    const std::uint64_t remHigh = n.high - square.high - (n.low < square.low ? 1 : 0);
    // sqrt(n) is irrational unless the remainder is 0, so it is never a tie: it lies above
    // root + 1/2 exactly when the remainder exceeds root.
    const bool above = remHigh != 0 || remLow > root;
    const long halfExponent = odd ? (e - 63) / 2 : (e - 64) / 2;
    return Pack(false, 63 + halfExponent, root, above ? kIntegerBit : 0,
                remHigh != 0 || remLow != 0);
}

ExtendedBits Fmod(ExtendedBits a, ExtendedBits b)
{
    const Unpacked ua = Unpack(a);
    const Unpacked ub = Unpack(b);
    if (ua.kind >= Kind::QuietNaN || ub.kind >= Kind::QuietNaN)
        return NaNOperands(a, ua, b, ub);
    if (ua.kind == Kind::Infinity || ub.kind == Kind::Zero)
        return Invalid();
    if (ua.kind == Kind::Zero || ub.kind == Kind::Infinity)
        return a;
    if (ua.exponent < ub.exponent)
        return a;
    // (a's significand * 2^(difference)) mod b's significand, up to 63 doublings at a time.
    std::uint64_t r =
        ua.significand >= ub.significand ? ua.significand - ub.significand : ua.significand;
    for (long left = ua.exponent - ub.exponent; left > 0;) {
        const int step = left > 63 ? 63 : static_cast<int>(left);
        std::uint64_t remainder = 0;
        (void)DivideWide(r >> (64 - step), r << step, ub.significand, remainder);
        r = remainder;
        left -= step;
    }
    if (r == 0)
        return Zero(ua.negative);
    const int shift = std::countl_zero(r);
    return Pack(ua.negative, ub.exponent - shift, r << shift, 0, false);
}

Order Compare(ExtendedBits a, ExtendedBits b)
{
    const Unpacked ua = Unpack(a);
    const Unpacked ub = Unpack(b);
    if (ua.kind >= Kind::QuietNaN || ub.kind >= Kind::QuietNaN) {
        if (ua.kind == Kind::SignallingNaN || ub.kind == Kind::SignallingNaN ||
            ua.kind == Kind::Unsupported || ub.kind == Kind::Unsupported)
            t_faults |= kFaultInvalid;
        return Order::Unordered;
    }
    if (ua.kind == Kind::Zero && ub.kind == Kind::Zero)
        return Order::Equal;
    // Order the magnitudes, then the signs: -0 and +0 compare as zero above.
    const auto key = [](const Unpacked& u) {
        if (u.kind == Kind::Zero)
            return std::pair<long, std::uint64_t>{-1'000'000, 0};
        if (u.kind == Kind::Infinity)
            return std::pair<long, std::uint64_t>{1'000'000, 0};
        return std::pair<long, std::uint64_t>{u.exponent, u.significand};
    };
    const bool aNegative = ua.negative && ua.kind != Kind::Zero;
    const bool bNegative = ub.negative && ub.kind != Kind::Zero;
    if (aNegative != bNegative)
        return aNegative ? Order::Less : Order::Greater;
    const auto ka = key(ua);
    const auto kb = key(ub);
    if (ka == kb)
        return Order::Equal;
    return (ka < kb) != aNegative ? Order::Less : Order::Greater;
}

ExtendedBits FromDouble(double value)
{
    bool signalling = false;
    const ExtendedBits bits = ExactDouble(value, signalling);
    if (signalling)
        t_faults |= kFaultInvalid;
    return bits;
}

namespace {

// The bits of a rounded to a narrower binary format of `fractionBits` stored fraction bits and
// `exponentBits` exponent bits (double: 52 and 11, float: 23 and 8): its own denormals, beyond
// its range infinity and overflow, NaNs keeping the top of their payload.
std::uint64_t Narrowed(ExtendedBits a, int fractionBits, int exponentBits)
{
    const long bias = (long{1} << (exponentBits - 1)) - 1;
    const int precision = fractionBits + 1;
    const std::uint64_t fractionMask = (std::uint64_t{1} << fractionBits) - 1;
    const std::uint64_t infinity = ((std::uint64_t{1} << exponentBits) - 1) << fractionBits;
    const std::uint64_t quiet = std::uint64_t{1} << (fractionBits - 1);
    const std::uint64_t signBit = std::uint64_t{1} << (fractionBits + exponentBits);
    const Unpacked u = Unpack(a);
    const std::uint64_t sign = u.negative ? signBit : 0;
    switch (u.kind) {
    case Kind::Zero:
        return sign;
    case Kind::Infinity:
        return sign | infinity;
    case Kind::Unsupported:
        t_faults |= kFaultInvalid;
        return signBit | infinity | quiet;
    case Kind::SignallingNaN:
        t_faults |= kFaultInvalid;
        [[fallthrough]];
    case Kind::QuietNaN:
        return sign | infinity | quiet | ((a.significand >> (63 - fractionBits)) & fractionMask);
    case Kind::Finite:
        break;
    }
    // Keep `precision` bits (fewer for a denormal of the narrow format), round the rest to
    // nearest even.
    long exponent = u.exponent;
    const long minExponent = 1 - bias;
    const long drop =
        exponent >= minExponent ? 64 - precision : 64 - precision + (minExponent - exponent);
    std::uint64_t kept = 0;
    bool roundBit = false;
    bool rest = false;
    if (drop < 64) {
        kept = u.significand >> drop;
        roundBit = ((u.significand >> (drop - 1)) & 1) != 0;
        rest = (u.significand << (65 - drop)) != 0;
    } else if (drop == 64) {
        roundBit = (u.significand >> 63) != 0;
        rest = (u.significand << 1) != 0;
    }
    if (roundBit && (rest || (kept & 1) != 0))
        ++kept;
    if (exponent < minExponent)
        return sign | kept; // a carry into the lowest exponent bit makes it normal
    if (kept == std::uint64_t{1} << precision) {
        kept >>= 1;
        ++exponent;
    }
    if (exponent > bias) {
        t_faults |= kFaultOverflow;
        return sign | infinity;
    }
    return sign | (static_cast<std::uint64_t>(exponent + bias) << fractionBits) |
           (kept & fractionMask);
}

} // namespace

double ToDouble(ExtendedBits a)
{
    return std::bit_cast<double>(Narrowed(a, 52, 11));
}

float ToFloat(ExtendedBits a)
{
    return std::bit_cast<float>(static_cast<std::uint32_t>(Narrowed(a, 23, 8)));
}

std::int64_t ToInt64(ExtendedBits a)
{
    constexpr auto kIndefinite = static_cast<std::int64_t>(kIntegerBit);
    const Unpacked u = Unpack(a);
    if (u.kind == Kind::Zero)
        return 0;
    if (u.kind != Kind::Finite) {
        t_faults |= kFaultInvalid;
        return kIndefinite;
    }
    if (u.exponent < 0)
        return 0;
    if (u.exponent >= 63) {
        if (u.exponent == 63 && u.negative && u.significand == kIntegerBit)
            return kIndefinite; // exactly -2^63
        t_faults |= kFaultInvalid;
        return kIndefinite;
    }
    const std::uint64_t magnitude = u.significand >> (63 - u.exponent);
    return u.negative ? static_cast<std::int64_t>(~magnitude + 1)
                      : static_cast<std::int64_t>(magnitude);
}

} // namespace tolvane::engine::soft
