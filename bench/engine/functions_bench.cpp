// Speed of EvaluateExpression on lines that lean on the named functions:
// nested calls, long argument lists, statistics and the mortgage. The
// per-line figures compare directly with BM_TypicalLine's plain arithmetic;
// the main of this benchmark asks for repetitions, so read the medians.
#include "engine/engine.h"

#include <benchmark/benchmark.h>

#include <string>
#include <vector>

namespace {

using tolvane::engine::EvaluateExpression;
using tolvane::engine::NamedValues;

// "1.5,2.5,...": n figures, as a user types a column of amounts.
std::string Figures(int n)
{
    std::string list;
    for (int k = 1; k <= n; ++k) {
        if (k > 1)
            list += ',';
        list += std::to_string(k); // not "," + ...: GCC 12 at -O3 warns of a false overlap
        list += ".5";
    }
    return list;
}

// Call-heavy sheet lines of 20 to 90 characters.
std::vector<std::string> FunctionCorpus()
{
    return {
        "sqrt(abs(sin(1.2)^2-cos(0.7)))+ln(exp(2))*log10(power(10,3))",
        "roundto(s_circ(2)+s_tria(3,4,5)*costh(3,4,5),-2)",
        "max(1,2*3,sqrt(16))+min(4,max(2,3))-sum(1,2,3.5)",
        "avg(12.5,17.25,9.75,30)+stddev(2,4,4,4,5,5,7,9)",
        "morrep(120000,6%,10,0,1)*12*10-120000",
        "intax(12500)+arcintax(345)-intax(8000)",
        "sqn(1,1.05,30)+sn(1,1,100)/mod(17,5)",
        "degrad(raddeg(arctan(1)))*4-pi",
        "pdisspace(0,0,0,1,2,2)+p_line(0,0,3,4,10)+s_poly(2,6)",
        "logN(2,1024)+log2(8)+int(-2.7)+round(2.5)+frac(3.25)",
    };
}

void BM_FunctionLine(benchmark::State& state)
{
    const NamedValues named;
    const std::vector<std::string> corpus = FunctionCorpus();
    for (const std::string& line : corpus) {
        if (!EvaluateExpression(line, named).ok)
            state.SkipWithError(("does not evaluate: " + line).c_str());
    }
    std::size_t lines = 0;
    for (auto _ : state) {
        for (const std::string& line : corpus) {
            benchmark::DoNotOptimize(EvaluateExpression(line, named));
            ++lines;
        }
    }
    state.counters["per_line"] = benchmark::Counter(
        static_cast<double>(lines), benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_FunctionLine);

void BM_FunctionCall(benchmark::State& state, const std::string& line)
{
    const NamedValues named;
    if (!EvaluateExpression(line, named).ok)
        state.SkipWithError("the line does not evaluate");
    for (auto _ : state)
        benchmark::DoNotOptimize(EvaluateExpression(line, named));
}
BENCHMARK_CAPTURE(BM_FunctionCall, sqrt, std::string("sqrt(2)"));
BENCHMARK_CAPTURE(BM_FunctionCall, nested_10,
                  std::string("abs(abs(abs(abs(abs(abs(abs(abs(abs(abs(-1))))))))))"));
BENCHMARK_CAPTURE(BM_FunctionCall, call_heavy,
                  std::string("max(1,2*3,sqrt(16))+roundto(s_circ(2),-2)"));
BENCHMARK_CAPTURE(BM_FunctionCall, max_50, "max(" + Figures(50) + ")");
BENCHMARK_CAPTURE(BM_FunctionCall, sum_50, "sum(" + Figures(50) + ")");
BENCHMARK_CAPTURE(BM_FunctionCall, stddev_50, "stddev(" + Figures(50) + ")");
BENCHMARK_CAPTURE(BM_FunctionCall, morrep, std::string("morrep(120000,0.06,10,0,1)"));

} // namespace
