// The portable transcendental functions against the C library's long double functions (glibc's
// x87 code), and the portable arithmetic against the hardware's, one call per iteration over
// 1024 arguments of each function's domain. Run with --benchmark_repetitions and read medians.
#include "engine/numeric/extended_math.h"
#include "engine/numeric/numeric.h"

#include <benchmark/benchmark.h>

#include <array>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

namespace {

using tolvane::engine::Extended;

std::uint64_t Next(std::uint64_t& state)
{
    std::uint64_t z = (state += 0x9e37'79b9'7f4a'7c15);
    z = (z ^ (z >> 30)) * 0xbf58'476d'1ce4'e5b9;
    z = (z ^ (z >> 27)) * 0x94d0'49bb'1331'11eb;
    return z ^ (z >> 31);
}

// Arguments as users give them: moderate magnitudes, full 64-bit significands.
std::vector<Extended> Arguments(double low, double high)
{
    std::uint64_t state = 42;
    std::vector<Extended> args;
    for (int k = 0; k < 1024; ++k) {
        const double unit = static_cast<double>(Next(state) >> 11) * 0x1p-53;
        args.push_back(Extended(low) + Extended(unit) * Extended(high - low));
    }
    return args;
}

long double AsLongDouble(Extended v)
{
    long double x = 0;
    const auto b = v.Bits();
    std::memcpy(&x, &b.significand, 8);
    std::memcpy(reinterpret_cast<char*>(&x) + 8, &b.signExponent, 2);
    return x;
}

template <Extended (*F)(Extended)> void Portable(benchmark::State& state, double low, double high)
{
    const std::vector<Extended> args = Arguments(low, high);
    std::size_t k = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(F(args[k]));
        k = (k + 1) & 1023;
    }
}

template <long double (*F)(long double)>
void Library(benchmark::State& state, double low, double high)
{
    std::vector<long double> args;
    for (Extended v : Arguments(low, high))
        args.push_back(AsLongDouble(v));
    std::size_t k = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(F(args[k]));
        k = (k + 1) & 1023;
    }
}

long double LibExp(long double x)
{
    return std::exp(x);
}
long double LibLog(long double x)
{
    return std::log(x);
}
long double LibLog2(long double x)
{
    return std::log2(x);
}
long double LibLog10(long double x)
{
    return std::log10(x);
}
long double LibSin(long double x)
{
    return std::sin(x);
}
long double LibCos(long double x)
{
    return std::cos(x);
}
long double LibTan(long double x)
{
    return std::tan(x);
}
long double LibAtan(long double x)
{
    return std::atan(x);
}
long double LibAsin(long double x)
{
    return std::asin(x);
}
long double LibAcos(long double x)
{
    return std::acos(x);
}

#define TOLVANE_PAIR(name, mine, library, low, high)                                               \
    void Portable_##name(benchmark::State& state, double a, double b)                              \
    {                                                                                              \
        Portable<tolvane::engine::mine>(state, a, b);                                              \
    }                                                                                              \
    void Library_##name(benchmark::State& state, double a, double b)                               \
    {                                                                                              \
        Library<library>(state, a, b);                                                             \
    }                                                                                              \
    BENCHMARK_CAPTURE(Portable_##name, name, low, high);                                           \
    BENCHMARK_CAPTURE(Library_##name, name, low, high)

TOLVANE_PAIR(exp, Exp, LibExp, -50, 50);
TOLVANE_PAIR(ln, Ln, LibLog, 1e-6, 1e6);
TOLVANE_PAIR(log2, Log2, LibLog2, 1e-6, 1e6);
TOLVANE_PAIR(log10, Log10, LibLog10, 1e-6, 1e6);
TOLVANE_PAIR(sin, Sin, LibSin, -10, 10);
TOLVANE_PAIR(cos, Cos, LibCos, -10, 10);
TOLVANE_PAIR(tan, Tan, LibTan, -10, 10);
TOLVANE_PAIR(sin_huge, Sin, LibSin, 1e18, 1e22);
TOLVANE_PAIR(arctan, Arctan, LibAtan, -20, 20);
TOLVANE_PAIR(arcsin, Arcsin, LibAsin, -1, 1);
TOLVANE_PAIR(arccos, Arccos, LibAcos, -1, 1);

// The four operations and the root: the engine's type (hardware here unless built portable).
void Arithmetic(benchmark::State& state)
{
    const std::vector<Extended> a = Arguments(-1e6, 1e6);
    const std::vector<Extended> b = Arguments(0.5, 7);
    std::size_t k = 0;
    for (auto _ : state) {
        const Extended x = a[k];
        const Extended y = b[k];
        benchmark::DoNotOptimize(x + y);
        benchmark::DoNotOptimize(x - y);
        benchmark::DoNotOptimize(x * y);
        benchmark::DoNotOptimize(x / y);
        benchmark::DoNotOptimize(tolvane::engine::Sqrt(y));
        k = (k + 1) & 1023;
    }
}
BENCHMARK(Arithmetic);

void ReadDecimalText(benchmark::State& state, std::string text)
{
    for (auto _ : state)
        benchmark::DoNotOptimize(tolvane::engine::ReadDecimal(text));
}
BENCHMARK_CAPTURE(ReadDecimalText, short, std::string("3.14159265358979"));
BENCHMARK_CAPTURE(ReadDecimalText, exponent, std::string("5.71338395644586E262"));
BENCHMARK_CAPTURE(ReadDecimalText, long, std::string("5687379681963228010995.385"));

} // namespace

BENCHMARK_MAIN();
