// Speed of EvaluateExpression on typical sheet lines and on one very long
// line, with muparser (parse + evaluate) timed on the same lines in the same
// run for comparison. Run with the defaults below, the figures are medians.
#include "engine/engine.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <iterator>
#include <map>
#include <string>
#include <vector>

#ifdef TOLVANE_BENCH_MUPARSER
#include <muParser.h>
#endif

namespace {

using tolvane::engine::EvaluateExpression;
using tolvane::engine::NamedValues;

struct Line {
    const char* text;
    bool comparable; // syntax both evaluators read alike
};

// Lines of 20 to 60 characters as people type them on the sheet.
const Line kCorpus[] = {
    {"1250.75+380.2-96.45*2+17/4", true},
    {"(1200+350)*12/100-45.5", true},
    {"3.5*(2.25+4.75)-18/(3+6)", true},
    {"((12.5+7.5)*(3-1.25))/2.5+100", true},
    {"-15+42*-3+(7-19)/-4", true},
    {"2^10-1000+24*3.25", true},
    {"1.05^12*25000-25000", true},
    {"(1+0.035/12)^360*150000", true},
    {"pi*2.5^2+2*pi*2.5*10", true},
    {"2*PI*6371/360*1.5+e", true},
    {"(((1+2)*(3+4))-((5-6)*(7-8)))/9", true},
    {"100/(1+1/(1+1/(1+1/(1+1/3))))", true},
    {"0.1+0.2+0.3+0.4+0.5+0.6+0.7", true},
    {"299792458*299792458/1000000", true},
    {"6.02214076*10^23/1000+1.5", true},
    {"123456789*987654321-12345", true},
    {"(45-32)*5/9+273.15-0.5", true},
    {"-(-(-(4.5*2)))+(-3)*(-3)", true},
    {"1/3+1/7+1/11+1/13+1/17", true},
    {"(2.5+3.5)*(4.5-1.5)/(0.5*4)", true},
    {"200+10%+15%*300-8%", false},
    {"5!+6!/3!-4!*2+10!/9!", false},
    {"2^3%+1.5^2*4-3!^2/6", false},
    {"-2^2+3^2^0.5*4+(2^3)!/40320", false},
    {"12!/(10!*2!)+150!/149!-150", false},
};

std::string LongExpression()
{
    std::string text;
    const char* pieces[] = {"(1.5+2.25)*3-", "4/8+", "(((7-2)))*0.5+", "-3*-2-", "10^2/50+"};
    for (int k = 0; text.size() < 10'000; ++k)
        text += pieces[k % 5];
    text += "1";
    return text;
}

// Evaluates the corpus lines (all, or those muparser reads alike) and
// reports the time per line.
void EvaluateCorpus(benchmark::State& state, bool comparableOnly)
{
    const NamedValues named;
    std::size_t lines = 0;
    for (auto _ : state) {
        for (const Line& line : kCorpus) {
            if (comparableOnly && !line.comparable)
                continue;
            benchmark::DoNotOptimize(EvaluateExpression(line.text, named));
            ++lines;
        }
    }
    state.counters["per_line"] = benchmark::Counter(
        static_cast<double>(lines), benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

void BM_TypicalLine(benchmark::State& state)
{
    EvaluateCorpus(state, false);
}
BENCHMARK(BM_TypicalLine);

void BM_ComparableLine(benchmark::State& state)
{
    EvaluateCorpus(state, true);
}
BENCHMARK(BM_ComparableLine);

// One corpus line by its index, to see which kinds of line cost most.
void BM_CorpusLine(benchmark::State& state)
{
    const NamedValues named;
    const char* text = kCorpus[static_cast<std::size_t>(state.range(0))].text;
    state.SetLabel(text);
    for (auto _ : state)
        benchmark::DoNotOptimize(EvaluateExpression(text, named));
}
BENCHMARK(BM_CorpusLine)->DenseRange(0, std::size(kCorpus) - 1);

void BM_LongLine(benchmark::State& state)
{
    const NamedValues named;
    const std::string text = LongExpression();
    for (auto _ : state)
        benchmark::DoNotOptimize(EvaluateExpression(text, named));
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * text.size()));
}
BENCHMARK(BM_LongLine);

// The large inputs the robustness tests check for the right answer, timed.
std::string LargeInput(std::int64_t kind)
{
    std::string text;
    switch (kind) {
    case 0: // 10,000 nested parentheses
        text.append(10'000, '(');
        text += "1+2";
        text.append(10'000, ')');
        break;
    case 1: // 100,000 operators
        text = "0";
        for (int k = 0; k < 100'000; ++k)
            text += "+1";
        break;
    case 2: // a 1 MB number
        text = "0.";
        text.append(1'000'000, '0');
        text += "1";
        break;
    default: // 50,000 constants
        text = "0";
        for (int k = 0; k < 50'000; ++k)
            text += "+pi";
        break;
    }
    return text;
}

void BM_LargeInput(benchmark::State& state)
{
    const NamedValues named;
    const std::string text = LargeInput(state.range(0));
    const char* names[] = {"10000 nested parentheses", "100000 operators", "1 MB number",
                           "50000 constants"};
    state.SetLabel(names[state.range(0)]);
    for (auto _ : state)
        benchmark::DoNotOptimize(EvaluateExpression(text, named));
}
BENCHMARK(BM_LargeInput)->DenseRange(0, 3)->Unit(benchmark::kMillisecond);

#ifdef TOLVANE_BENCH_MUPARSER
void BM_MuparserComparableLine(benchmark::State& state)
{
    mu::Parser parser;
    parser.DefineConst("pi", 3.141592653589793);
    parser.DefineConst("PI", 3.141592653589793);
    parser.DefineConst("e", 2.718281828459045);
    std::size_t lines = 0;
    for (auto _ : state) {
        for (const Line& line : kCorpus) {
            if (!line.comparable)
                continue;
            parser.SetExpr(line.text);
            benchmark::DoNotOptimize(parser.Eval());
            ++lines;
        }
    }
    state.counters["per_line"] = benchmark::Counter(
        static_cast<double>(lines), benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_MuparserComparableLine);
#endif

// Keeps the median per-line time of each benchmark to print the ratio.
class MedianReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override
    {
        for (const Run& run : runs) {
            const auto it = run.counters.find("per_line");
            if (run.aggregate_name == "median" && it != run.counters.end())
                medians[run.run_name.function_name] = it->second.value;
        }
        ConsoleReporter::ReportRuns(runs);
    }
    std::map<std::string, double> medians;
};

} // namespace

int main(int argc, char** argv)
{
    // Medians need repetitions; the caller's own flags come after and win.
    std::vector<char*> args = {argv[0]};
    std::string repetitions = "--benchmark_repetitions=9";
    std::string aggregates = "--benchmark_report_aggregates_only=true";
    args.push_back(repetitions.data());
    args.push_back(aggregates.data());
    for (int k = 1; k < argc; ++k)
        args.push_back(argv[k]);
    int count = static_cast<int>(args.size());
    benchmark::Initialize(&count, args.data());
    if (benchmark::ReportUnrecognizedArguments(count, args.data()))
        return 1;
    MedianReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();

#ifdef TOLVANE_BENCH_MUPARSER
    const auto ours = reporter.medians.find("BM_ComparableLine");
    const auto theirs = reporter.medians.find("BM_MuparserComparableLine");
    if (ours != reporter.medians.end() && theirs != reporter.medians.end() && ours->second > 0) {
        std::printf("median per comparable line: engine %.0f ns, muparser %.0f ns, "
                    "muparser/engine = %.2f\n",
                    ours->second * 1e9, theirs->second * 1e9, theirs->second / ours->second);
    }
#else
    std::printf("muparser not available: no comparison in this run\n");
#endif
    return 0;
}
