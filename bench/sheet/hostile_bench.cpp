// How long Enter takes on the lines nobody should type but someone will paste
// (a megabyte line, deep nesting, thousands of calls or operators), and how the
// cost of one Enter grows with the length of the line. The program must stay
// responsive: these are the figures that say how long a person waits.
//
// Run: hostile_bench --benchmark_repetitions=5 --benchmark_report_aggregates_only=true
#include "bench/sheet/bench_support.h"
#include "engine/engine.h"
#include "tests/ui/hostile_cases.h"
#include "ui/main/sheet_edit.h"

#include <QApplication>
#include <QKeyEvent>
#include <QTextBlock>

#include <benchmark/benchmark.h>

#include <memory>

namespace {

using tolvane::ui::SheetEdit;

using tolvane::bench::CountingNotifier;

// One Enter at the end of `line`, the middle of a three-line sheet, with the
// repaint that follows; setting up the sheet is not timed.
void EnterOn(benchmark::State& state, const QString& line)
{
    CountingNotifier notifier;
    SheetEdit edit;
    edit.setNotifier(&notifier);
    edit.resize(700, 400);
    edit.show();
    for (auto _ : state) {
        state.PauseTiming();
        edit.setPlainText(QStringLiteral("1+2=3\n") + line + QStringLiteral("\n7*6"));
        QTextCursor cursor(edit.document()->findBlockByNumber(1));
        cursor.movePosition(QTextCursor::EndOfBlock);
        edit.setTextCursor(cursor);
        edit.state().currentLine = 1;
        edit.state().clickPos = 0;
        QCoreApplication::processEvents();
        state.ResumeTiming();

        QKeyEvent press(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier, QStringLiteral("\r"));
        QCoreApplication::sendEvent(&edit, &press);
        QCoreApplication::processEvents();
    }
    if (edit.document()->findBlockByNumber(1).text().size() <= line.size())
        state.SkipWithError("Enter wrote nothing");
}

void BM_HostileEnter(benchmark::State& state)
{
    const auto cases = tolvane::hostile::EnterCases();
    EnterOn(state, cases.at(static_cast<std::size_t>(state.range(0))).line);
    state.SetLabel(cases.at(static_cast<std::size_t>(state.range(0))).name);
}
BENCHMARK(BM_HostileEnter)->DenseRange(0, 4)->Unit(benchmark::kMillisecond)->Iterations(1);

// 1+1+...+1 of growing length: the cost of Enter per character of the line.
void BM_EnterOnLongSum(benchmark::State& state)
{
    const int ones = static_cast<int>(state.range(0));
    EnterOn(state, QStringLiteral("1") + tolvane::hostile::Repeat(QStringLiteral("+1"), ones - 1));
    state.SetComplexityN(state.range(0));
}
BENCHMARK(BM_EnterOnLongSum)
    ->RangeMultiplier(4)
    ->Range(1 << 10, 1 << 16)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1)
    ->Complexity();

} // namespace

int main(int argc, char** argv)
{
    return tolvane::bench::RunWidgetBenchmarks(argc, argv);
}
