// The reading of references (引用与合计) on a 100,000-line MemorySheet: Enter on a 合计 line at
// the end of a sheet of entries with the cache cold (every line read for the first time) and
// warm (read before), 全部重算 of that sheet (its results up to date, or every one stale), Enter
// at the end of a chain of 上行+1 lines, and Enter on a plain line with the switch off and on.
// Building the sheet and putting it back after an iteration are not timed.
//
// Run: references_bench --benchmark_repetitions=9 --benchmark_report_aggregates_only=true
#include "sheet/line_logic.h"
#include "sheet/memory_sheet.h"
#include "sheet/reference_cache.h"
#include "sheet/references.h"

#include <benchmark/benchmark.h>

#include <memory>
#include <string>

namespace {

using namespace tolvane::sheet;

constexpr int kLines = 100'000;

class CountingNotifier final : public Notifier {
public:
    void ShowMessage(std::string_view, std::string_view) override { ++shown; }
    void ReportFault(std::string_view) override { ++shown; }
    int shown = 0;
};

std::u16string Number(int value)
{
    const std::string digits = std::to_string(value);
    return std::u16string(digits.begin(), digits.end());
}

// Entries as an expense list holds them, in turn: a Chinese label and a blank, a label before
// "：" with a sum, plain arithmetic. With `results`, each carries an old result.
std::u16string Entries(int lines, std::u16string_view result)
{
    std::u16string text;
    for (int i = 0; i < lines; ++i) {
        switch (i % 3) {
        case 0:
            text += u"早饭 " + Number(i % 50) + u".5";
            break;
        case 1:
            text += u"项目" + Number(i) + u"：" + Number(i % 70) + u"+" + Number(i % 13);
            break;
        default:
            text += Number(i % 90) + u"*" + Number(i % 7 + 1);
            break;
        }
        text += result;
        text += u'\n';
    }
    return text;
}

void EnterOnLastLine(MemorySheet& sheet, SheetState& state, Notifier& notifier)
{
    const int last = sheet.LineCount() - 1;
    sheet.MoveCaret(sheet.LineStart(last) + sheet.LineLength(last));
    state.clickPos = 0;
    PressEnter(sheet, state, notifier);
}

void EnterOnTotal(benchmark::State& bench, bool warm)
{
    MemorySheet sheet(Entries(kLines, u"") + u"合计");
    SheetState state;
    state.references = true;
    CountingNotifier notifier;
    EnterOnLastLine(sheet, state, notifier);
    const std::u16string written = sheet.LineText(kLines);
    for (auto _ : bench) {
        bench.PauseTiming();
        sheet.ReplaceLine(kLines, u"合计");
        if (!warm)
            state.referenceCache.reset();
        bench.ResumeTiming();
        EnterOnLastLine(sheet, state, notifier);
    }
    if (notifier.shown > 0 || sheet.LineText(kLines) != written || written.size() < 4)
        bench.SkipWithError("the total did not evaluate");
}

void BM_EnterOnTotalCold(benchmark::State& bench)
{
    EnterOnTotal(bench, false);
}

void BM_EnterOnTotalWarm(benchmark::State& bench)
{
    EnterOnTotal(bench, true);
}

// 全部重算 of the sheet of entries and its total: up to date (nothing to write), or with every
// result stale (every line rewritten and recoloured).
void Recalculate(benchmark::State& bench, bool stale)
{
    const std::u16string text = Entries(kLines, u"=?") + u"合计=?";
    MemorySheet sheet(text);
    SheetState state;
    state.references = true;
    CountingNotifier notifier;
    RecalculateAll(sheet, state, notifier);
    const std::u16string upToDate = sheet.SheetText();
    int rewritten = 0;
    for (auto _ : bench) {
        if (stale) {
            bench.PauseTiming();
            sheet = MemorySheet(text);
            bench.ResumeTiming();
        }
        rewritten = RecalculateAll(sheet, state, notifier);
    }
    if (notifier.shown > 0 || sheet.SheetText() != upToDate ||
        rewritten != (stale ? kLines + 1 : 0))
        bench.SkipWithError("the recalculation went wrong");
}

void BM_RecalculateAllUpToDate(benchmark::State& bench)
{
    Recalculate(bench, false);
}

void BM_RecalculateAllStale(benchmark::State& bench)
{
    Recalculate(bench, true);
}

// Enter at the end of 0, then 上行+1 on every line: each line above has a name, so none has a
// value the cache could keep.
void BM_EnterAtTheEndOfAChain(benchmark::State& bench)
{
    std::u16string text = u"0\n";
    for (int i = 0; i < kLines; ++i)
        text += u"上行+1\n";
    MemorySheet sheet(text + u"上行");
    SheetState state;
    state.references = true;
    CountingNotifier notifier;
    for (auto _ : bench) {
        bench.PauseTiming();
        sheet.ReplaceLine(kLines + 1, u"上行");
        bench.ResumeTiming();
        EnterOnLastLine(sheet, state, notifier);
    }
    if (sheet.LineText(kLines + 1) != u"上行=" + Number(kLines))
        bench.SkipWithError("the chain did not add up");
}

// Enter on a plain line at the end of the sheet: the switch adds one reading of the line.
void EnterOnPlainLine(benchmark::State& bench, bool references)
{
    MemorySheet sheet(Entries(kLines, u"") + u"123+456");
    SheetState state;
    state.references = references;
    CountingNotifier notifier;
    for (auto _ : bench) {
        bench.PauseTiming();
        sheet.ReplaceLine(kLines, u"123+456");
        bench.ResumeTiming();
        EnterOnLastLine(sheet, state, notifier);
    }
    if (sheet.LineText(kLines) != u"123+456=579")
        bench.SkipWithError("the line did not evaluate");
}

void BM_EnterOnPlainLineSwitchOff(benchmark::State& bench)
{
    EnterOnPlainLine(bench, false);
}

void BM_EnterOnPlainLineSwitchOn(benchmark::State& bench)
{
    EnterOnPlainLine(bench, true);
}

BENCHMARK(BM_EnterOnTotalCold)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_EnterOnTotalWarm)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RecalculateAllUpToDate)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RecalculateAllStale)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_EnterAtTheEndOfAChain)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_EnterOnPlainLineSwitchOff)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_EnterOnPlainLineSwitchOn)->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
