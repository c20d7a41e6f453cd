// Sheets on disk at 100,000 lines (about 3 MB): opening a file into the window with its colours
// (with and without the recovery's mirror following the new text), saving it, and what the
// periodic recovery write costs the UI thread: the snapshot handed to the writer, and the first
// key after it, which gives the mirror a list of its own again. The writer's own work (encoding,
// writing, flushing to disk) runs on its thread and is timed apart.
//
// Run: sheet_file_bench --benchmark_repetitions=9 --benchmark_report_aggregates_only=true
#include "bench/sheet/bench_support.h"
#include "ui/main/calculator_window.h"
#include "ui/main/file_commands.h"
#include "ui/main/recovery.h"
#include "ui/main/sheet_edit.h"
#include "ui/main/sheet_file.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTextCursor>
#include <QTextDocument>

#include <benchmark/benchmark.h>

#include <array>
#include <memory>

namespace {

using tolvane::bench::CountingNotifier;
using tolvane::ui::CalculatorWindow;

constexpr int kLines = 100'000;

// A working sheet as people keep them: results, definitions, Chinese notes, blank lines.
QStringList SheetLines()
{
    const std::array<QString, 8> kinds = {
        QStringLiteral("房租 3500*12+物业费 260*12=45120"),
        QStringLiteral("12345.67+89012.34-567.8=100790.21"),
        QStringLiteral("a*b*c@@a=2.5,b=3,c=12=90"),
        QStringLiteral("sin(1)/cos(2)+sqrt(2)=-0.60812628021"),
        QStringLiteral("合计：九月的水电费和燃气费"),
        QString(),
        QStringLiteral("(1+2)*3-4/5+100%=9.2"),
        QStringLiteral("5+=加法表达式错误"),
    };
    QStringList lines;
    lines.reserve(kLines);
    for (int i = 0; i < kLines; ++i)
        lines << kinds[static_cast<std::size_t>(i) % kinds.size()];
    return lines;
}

struct Setup {
    QTemporaryDir dir;
    QString path = dir.filePath(QStringLiteral("budget.txt"));
    CalculatorWindow window;
    CountingNotifier notifier;

    explicit Setup(bool recovery)
    {
        window.sheetEdit()->setNotifier(&notifier);
        if (recovery)
            window.EnableRecovery(dir.filePath(QStringLiteral("recovery")));
        window.show();
        QCoreApplication::processEvents();
        const QString failure = tolvane::ui::WriteSheetFile(path, SheetLines());
        if (!failure.isEmpty())
            qFatal("%s", qUtf8Printable(failure));
    }
    tolvane::ui::FileCommands& files() { return *window.fileCommands(); }
    QTextDocument& document() { return *window.sheetEdit()->document(); }
};

// Opens the file again and again: onto an emptied sheet, or (`overFullSheet`) over the 100,000
// lines the last open left, which the open then removes as part of its undo step.
void Open(benchmark::State& state, bool recovery, bool overFullSheet = false)
{
    Setup setup(recovery);
    for (auto _ : state) {
        state.PauseTiming();
        if (!overFullSheet)
            setup.window.sheetEdit()->ClearSheet();
        QCoreApplication::processEvents();
        setup.document().clearUndoRedoStacks();
        state.ResumeTiming();
        if (!setup.files().OpenFile(setup.path))
            state.SkipWithError("the file was refused");
        QCoreApplication::processEvents();
    }
    if (setup.document().blockCount() != kLines)
        state.SkipWithError("the sheet does not hold the file's lines");
    state.counters["MB"] = static_cast<double>(QFileInfo(setup.path).size()) / 1e6;
    state.counters["lines"] = setup.document().blockCount();
}

void BM_OpenWithColours(benchmark::State& state)
{
    Open(state, false);
}

void BM_OpenWithColoursAndRecovery(benchmark::State& state)
{
    Open(state, true);
}

void BM_OpenOverFullSheet(benchmark::State& state)
{
    Open(state, false, true);
}

void BM_Save(benchmark::State& state)
{
    Setup setup(false);
    setup.files().OpenFile(setup.path);
    const QString target = setup.dir.filePath(QStringLiteral("saved.txt"));
    for (auto _ : state) {
        if (!setup.files().SaveTo(target))
            state.SkipWithError("the save failed");
    }
}

// The recovery write's share of the UI thread: the snapshot handed to the writer.
void BM_RecoverySnapshot(benchmark::State& state)
{
    Setup setup(true);
    setup.files().OpenFile(setup.path);
    tolvane::ui::SheetRecovery& recovery = *setup.files().recovery();
    QTextCursor cursor(&setup.document());
    cursor.movePosition(QTextCursor::End);
    for (auto _ : state) {
        state.PauseTiming();
        cursor.insertText(QStringLiteral("7"));
        state.ResumeTiming();
        recovery.WriteNow();
        state.PauseTiming();
        recovery.Flush();
        state.ResumeTiming();
    }
}

// A typed key with the recovery watching (the mirror takes the changed line), right after a
// snapshot (state.range(0) == 1: the mirror first copies its list of line handles) or not.
void BM_KeyWithRecovery(benchmark::State& state)
{
    Setup setup(true);
    setup.files().OpenFile(setup.path);
    tolvane::ui::SheetRecovery& recovery = *setup.files().recovery();
    QTextCursor cursor(&setup.document());
    cursor.movePosition(QTextCursor::End);
    const bool afterSnapshot = state.range(0) == 1;
    for (auto _ : state) {
        if (afterSnapshot) {
            state.PauseTiming();
            recovery.WriteNow();
            recovery.Flush();
            state.ResumeTiming();
        }
        cursor.insertText(QStringLiteral("7"));
    }
}

// The same key on a window without recovery, for comparison.
void BM_KeyWithoutRecovery(benchmark::State& state)
{
    Setup setup(false);
    setup.files().OpenFile(setup.path);
    QTextCursor cursor(&setup.document());
    cursor.movePosition(QTextCursor::End);
    for (auto _ : state)
        cursor.insertText(QStringLiteral("7"));
}

// What the writer thread does with a snapshot: encode, write, flush to disk, rename.
void BM_RecoveryWriteOffThread(benchmark::State& state)
{
    Setup setup(false);
    const QStringList lines = SheetLines();
    const QString target = setup.dir.filePath(QStringLiteral("sheet-1-1.txt"));
    for (auto _ : state) {
        if (!tolvane::ui::WriteSheetFile(target, lines).isEmpty())
            state.SkipWithError("the write failed");
    }
}

BENCHMARK(BM_OpenWithColours)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_OpenWithColoursAndRecovery)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_OpenOverFullSheet)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Save)->Unit(benchmark::kMillisecond);
// Each iteration of these waits, untimed, for a 3 MB write to reach the disk: a fixed count keeps
// the run to seconds where a minimum time of measured microseconds would take many minutes.
BENCHMARK(BM_RecoverySnapshot)->Unit(benchmark::kMicrosecond)->Iterations(100);
BENCHMARK(BM_KeyWithRecovery)
    ->ArgName("afterSnapshot")
    ->Arg(0)
    ->Arg(1)
    ->Unit(benchmark::kMicrosecond)
    ->Iterations(100);
BENCHMARK(BM_KeyWithoutRecovery)->Unit(benchmark::kMicrosecond)->Iterations(100);
BENCHMARK(BM_RecoveryWriteOffThread)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    return tolvane::bench::RunWidgetBenchmarks(argc, argv);
}
