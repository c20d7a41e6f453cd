#include "engine/numeric/numeric.h"

#include <array>
#include <bit>

#if !TOLVANE_EXTENDED_X87
#include <cfenv>
#endif

namespace tolvane::engine {
namespace {

constexpr int kBias = 16383;

// 2^k for -16445 <= k <= 16383, denormal powers included.
constexpr Extended PowerOfTwo(int k)
{
    if (k < 1 - kBias)
        return Extended::FromBits({std::uint64_t{1} << (k + kBias + 62), 0});
    return Extended::FromBits({std::uint64_t{1} << 63, static_cast<std::uint16_t>(k + kBias)});
}

// The exponent of the leading bit of a finite nonzero value (denormals normalised).
int LeadingExponent(ExtendedBits b)
{
    const int biased = b.signExponent & 0x7fff;
    if (biased == 0)
        return 1 - kBias - std::countl_zero(b.significand);
    return biased - kBias;
}

#if TOLVANE_EXTENDED_X87

// x87 control word: every exception masked, 64-bit precision, round to nearest. MXCSR: every
// exception masked, round to nearest, denormals neither flushed nor treated as zero.
constexpr std::uint16_t kX87Control = 0x037f;
constexpr std::uint32_t kSseControl = 0x1f80;
constexpr std::uint32_t kSseFlags = 0x3f;

std::uint16_t X87Status()
{
    std::uint16_t status = 0;
    asm volatile("fnstsw %0" : "=am"(status));
    return status;
}

std::uint32_t SseControlStatus()
{
    std::uint32_t mxcsr = 0;
    asm volatile("stmxcsr %0" : "=m"(mxcsr));
    return mxcsr;
}

void SetSseControlStatus(std::uint32_t mxcsr)
{
    asm volatile("ldmxcsr %0" : : "m"(mxcsr));
}

Extended RaiseInvalid()
{
    const Extended zero = Settle(Extended(0));
    return Settle(zero / zero);
}

Extended Opaque(Extended v)
{
    return Settle(v);
}

#else

Extended RaiseInvalid()
{
    soft::RaiseFaults(kFaultInvalid);
    return Extended::FromBits({0xc000'0000'0000'0000, 0xffff});
}

Extended Opaque(Extended v)
{
    return v;
}

#endif

} // namespace

// Knuth's division on 32-bit digits (after Hacker's Delight's divlu): two short divisions by
// the divisor's top half, each corrected at most twice.
std::uint64_t DivideWide(std::uint64_t high, std::uint64_t low, std::uint64_t divisor,
                         std::uint64_t& remainder)
{
    constexpr std::uint64_t kBase = std::uint64_t{1} << 32;
    const int shift = std::countl_zero(divisor);
    const std::uint64_t v = divisor << shift;
    const std::uint64_t vHigh = v >> 32;
    const std::uint64_t vLow = v & 0xffff'ffffu;
    const std::uint64_t u32 = shift == 0 ? high : (high << shift) | (low >> (64 - shift));
    const std::uint64_t u10 = low << shift;
    const std::uint64_t u1 = u10 >> 32;
    const std::uint64_t u0 = u10 & 0xffff'ffffu;

    std::uint64_t q1 = u32 / vHigh;
    std::uint64_t rhat = u32 - q1 * vHigh;
    while (q1 >= kBase || q1 * vLow > kBase * rhat + u1) {
        --q1;
        rhat += vHigh;
        if (rhat >= kBase)
            break;
    }
    const std::uint64_t u21 = u32 * kBase + u1 - q1 * v;
    std::uint64_t q0 = u21 / vHigh;
    rhat = u21 - q0 * vHigh;
    while (q0 >= kBase || q0 * vLow > kBase * rhat + u0) {
        --q0;
        rhat += vHigh;
        if (rhat >= kBase)
            break;
    }
    remainder = (u21 * kBase + u0 - q0 * v) >> shift;
    return q1 * kBase + q0;
}

// Newton's iteration on integers from above converges on the floor of the root: it starts at a
// power of two no smaller than the root, and n / x stays below 2^64 all the way.
std::uint64_t IntegerSqrt(Uint128 n)
{
    if (n.high == 0 && n.low == 0)
        return 0;
    const int bits = n.high != 0 ? 128 - std::countl_zero(n.high) : 64 - std::countl_zero(n.low);
    const int half = (bits + 1) / 2;
    std::uint64_t x = half >= 64 ? ~std::uint64_t{0} : std::uint64_t{1} << half;
    while (true) {
        std::uint64_t unused = 0;
        const std::uint64_t q = DivideWide(n.high, n.low, x, unused);
        const std::uint64_t next = (x >> 1) + (q >> 1) + (x & q & 1);
        if (next >= x)
            return x;
        x = next;
    }
}

#if TOLVANE_EXTENDED_X87

void ClearFaults()
{
    asm volatile("fnclex");
    SetSseControlStatus(SseControlStatus() & ~kSseFlags);
}

// Loading a control word costs far more than reading it, and callers almost always leave the
// engine's own settings in place (they are the C library's defaults): only what differs is set.
NumericScope::NumericScope()
{
    std::uint16_t control = 0;
    asm volatile("fnstcw %0" : "=m"(control));
    m_control = control;
    m_sse = SseControlStatus();
    if (control != kX87Control) {
        // Flags pending under a word that unmasks them would trap at the next instruction.
        asm volatile("fnclex");
        asm volatile("fldcw %0" : : "m"(kX87Control));
        m_controlSet = true;
    } else if ((X87Status() & kFaults) != 0) {
        asm volatile("fnclex"); // inexact and underflow flags may stay: nothing reads them
    }
    if ((m_sse & ~kSseFlags) != kSseControl) {
        SetSseControlStatus(kSseControl);
        m_sseSet = true;
    } else if ((m_sse & kFaults) != 0) {
        SetSseControlStatus(m_sse & ~kFaults);
    }
}

NumericScope::~NumericScope()
{
    if (m_controlSet) {
        // Pending flags would trap at the caller's next x87 instruction if its word unmasks
        // them.
        const auto control = static_cast<std::uint16_t>(m_control);
        asm volatile("fnclex");
        asm volatile("fldcw %0" : : "m"(control));
    }
    if (m_sseSet)
        SetSseControlStatus(m_sse & ~kSseFlags);
}

Extended Sqrt(Extended a)
{
    long double v = a.m_value;
    asm("fsqrt" : "+t"(v));
    return Extended(Extended::Raw{}, v);
}

// FPREM reduces the exponent difference by at most 63 per pass and says through C2 whether it
// is done; the remainder it ends with is exact.
Extended Fmod(Extended a, Extended b)
{
    long double x = a.m_value;
    asm("1:\n\t"
        "fprem\n\t"
        "fnstsw %%ax\n\t"
        "testw $0x400, %%ax\n\t"
        "jnz 1b"
        : "+t"(x)
        : "u"(b.m_value)
        : "ax", "cc");
    return Extended(Extended::Raw{}, x);
}

#else

unsigned Faults()
{
    const int hardware = std::fetestexcept(FE_INVALID | FE_DIVBYZERO | FE_OVERFLOW);
    unsigned faults = soft::Faults();
    faults |= (hardware & FE_INVALID) != 0 ? kFaultInvalid : 0;
    faults |= (hardware & FE_DIVBYZERO) != 0 ? kFaultDivideByZero : 0;
    faults |= (hardware & FE_OVERFLOW) != 0 ? kFaultOverflow : 0;
    return faults;
}

void ClearFaults()
{
    soft::ClearFaults();
    std::feclearexcept(FE_INVALID | FE_DIVBYZERO | FE_OVERFLOW);
}

// Double arithmetic still runs on the hardware here: round to nearest, flags clear.
NumericScope::NumericScope()
{
    const int rounding = std::fegetround();
    if (rounding != FE_TONEAREST) {
        m_control = static_cast<std::uint32_t>(rounding);
        m_controlSet = true;
        std::fesetround(FE_TONEAREST);
    }
    ClearFaults();
}

NumericScope::~NumericScope()
{
    if (m_controlSet)
        std::fesetround(static_cast<int>(m_control));
}

Extended Sqrt(Extended a)
{
    return Extended::FromBits(soft::Sqrt(a.m_value));
}

Extended Fmod(Extended a, Extended b)
{
    return Extended::FromBits(soft::Fmod(a.m_value, b.m_value));
}

#endif

Extended Trunc(Extended a)
{
    ExtendedBits b = a.Bits();
    const int biased = b.signExponent & 0x7fff;
    if (biased == 0x7fff)
        return a + a; // infinity as it is, a NaN quieted
    if (biased < kBias)
        return Extended::FromBits({0, static_cast<std::uint16_t>(b.signExponent & 0x8000)});
    const int fractionBits = 63 - (biased - kBias);
    if (fractionBits > 0)
        b.significand &= ~std::uint64_t{0} << fractionBits;
    return Extended::FromBits(b);
}

Extended Floor(Extended a)
{
    const Extended whole = Trunc(a);
    if (SignBit(a) && whole != a)
        return whole - 1;
    return whole;
}

Extended Ldexp(Extended a, int n)
{
    if (!IsFinite(a) || a == 0)
        return a + a;
    const int leading = LeadingExponent(a.Bits());
    // Far beyond the range either way the answer is infinity (with the fault) or zero; within
    // reach of it, exact steps toward the range leave one rounding for the last multiplication.
    const Extended unit = SignBit(a) ? -1 : 1;
    if (static_cast<long>(leading) + n > kBias + 8) {
        const Extended largest = Extended::FromBits({~std::uint64_t{0}, 0x7ffe});
        return Opaque(unit * largest) * largest;
    }
    if (static_cast<long>(leading) + n < -kBias - 70)
        return Opaque(unit * PowerOfTwo(-16445)) * PowerOfTwo(-16445);
    while (n > kBias) {
        const int step = n - kBias < kBias ? n - kBias : kBias;
        a = a * PowerOfTwo(step);
        n -= step;
    }
    while (n < -16445) {
        const int step = n + 16445 > 1 - kBias ? n + 16445 : 1 - kBias;
        a = a * PowerOfTwo(step);
        n -= step;
    }
    return a * PowerOfTwo(n);
}

Extended Frexp(Extended a, int& exponent)
{
    exponent = 0;
    if (!IsFinite(a) || a == 0)
        return a;
    const ExtendedBits b = a.Bits();
    const int leading = LeadingExponent(b);
    exponent = leading + 1;
    const std::uint64_t significand = b.significand << std::countl_zero(b.significand);
    return Extended::FromBits(
        {significand, static_cast<std::uint16_t>((kBias - 1) | (b.signExponent & 0x8000))});
}

std::int64_t ToInt64(Extended a)
{
    constexpr auto kIndefinite = static_cast<std::int64_t>(std::uint64_t{1} << 63);
    const ExtendedBits b = a.Bits();
    const int biased = b.signExponent & 0x7fff;
    const bool negative = (b.signExponent & 0x8000) != 0;
    if (biased < kBias)
        return 0;
    const int exponent = biased - kBias;
    if (exponent == 63 && negative && b.significand == std::uint64_t{1} << 63)
        return kIndefinite; // exactly -2^63
    if (exponent >= 63) {
        (void)RaiseInvalid();
        return kIndefinite;
    }
    const std::uint64_t magnitude = b.significand >> (63 - exponent);
    return negative ? static_cast<std::int64_t>(~magnitude + 1)
                    : static_cast<std::int64_t>(magnitude);
}

Extended RoundWide(bool negative, long exponent, Uint128 significand, bool sticky)
{
    bool overflowed = false;
    const ExtendedBits bits =
        soft::Round(negative, exponent, significand.high, significand.low, sticky, overflowed);
    if (overflowed) {
        const Extended largest = Extended::FromBits({~std::uint64_t{0}, 0x7ffe});
        return Opaque(negative ? -largest : largest) * largest;
    }
    return Extended::FromBits(bits);
}

} // namespace tolvane::engine
