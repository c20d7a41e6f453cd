// Time of one Enter (evaluation, rewrite, colours, new line) and of one typed character on the
// sheet widget, on the last and on a middle line of sheets of growing size: the key's own work
// on the document, and the same followed by the repaint of the offscreen window. The undo that
// restores the sheet after each iteration is not timed.
//
// Run: sheet_bench --benchmark_repetitions=9 --benchmark_report_aggregates_only=true
#include "bench/sheet/bench_support.h"
#include "engine/engine.h"
#include "ui/main/sheet_edit.h"

#include <QApplication>
#include <QKeyEvent>
#include <QTextBlock>

#include <benchmark/benchmark.h>

#include <memory>

namespace {

using tolvane::ui::SheetEdit;

using tolvane::bench::CountingNotifier;

enum Where { kLastLine = 0, kMiddleLine = 1 };

std::unique_ptr<SheetEdit> MakeSheet(int lines)
{
    auto edit = std::make_unique<SheetEdit>();
    QString text;
    text.reserve(lines * 8);
    for (int i = 0; i < lines; ++i) {
        if (i > 0)
            text += u'\n';
        text += QStringLiteral("123+456");
    }
    edit->setPlainText(text);
    edit->resize(700, 400);
    edit->show();
    QCoreApplication::processEvents();
    return edit;
}

void PutCaretAtEndOfLine(SheetEdit& edit, int line)
{
    QTextCursor cursor(edit.document()->findBlockByNumber(line));
    cursor.movePosition(QTextCursor::EndOfBlock);
    edit.setTextCursor(cursor);
    edit.state().clickPos = 0;
}

enum Paint { kNoRepaint, kRepaint };

void Press(SheetEdit& edit, Qt::Key key, const QString& text, Paint paint)
{
    QKeyEvent event(QEvent::KeyPress, key, Qt::NoModifier, text);
    QCoreApplication::sendEvent(&edit, &event);
    if (paint == kRepaint)
        QCoreApplication::processEvents();
}

void KeyOnLine(benchmark::State& state, Qt::Key key, const QString& text, Paint paint)
{
    const int lines = static_cast<int>(state.range(0));
    const int line = state.range(1) == kLastLine ? lines - 1 : lines / 2;
    const std::unique_ptr<SheetEdit> edit = MakeSheet(lines);
    CountingNotifier notifier;
    edit->setNotifier(&notifier);
    for (auto _ : state) {
        state.PauseTiming();
        PutCaretAtEndOfLine(*edit, line);
        state.ResumeTiming();
        Press(*edit, key, text, paint);
        state.PauseTiming();
        edit->undo();
        QCoreApplication::processEvents();
        state.ResumeTiming();
    }
    if (notifier.shown > 0)
        state.SkipWithError("the line did not evaluate");
    else if (edit->document()->blockCount() != lines)
        state.SkipWithError("the undo did not restore the sheet");
}

void BM_Enter(benchmark::State& state)
{
    KeyOnLine(state, Qt::Key_Return, QStringLiteral("\r"), kNoRepaint);
}

void BM_EnterAndRepaint(benchmark::State& state)
{
    KeyOnLine(state, Qt::Key_Return, QStringLiteral("\r"), kRepaint);
}

void BM_TypeCharacter(benchmark::State& state)
{
    KeyOnLine(state, Qt::Key_7, QStringLiteral("7"), kNoRepaint);
}

void BM_TypeCharacterAndRepaint(benchmark::State& state)
{
    KeyOnLine(state, Qt::Key_7, QStringLiteral("7"), kRepaint);
}

void Sizes(benchmark::internal::Benchmark* bench)
{
    bench->ArgNames({"lines", "middle"});
    for (const int lines : {100, 10'000, 100'000})
        for (const int where : {kLastLine, kMiddleLine})
            bench->Args({lines, where});
    bench->Unit(benchmark::kMicrosecond);
}

// Enter on a 合计 line at the end of 100,000 lines of entries with 引用与合计 on: every line
// above is read through the widget's document. Cold: the reading's cache is new each time.
void BM_EnterOnTotalWithReferences(benchmark::State& state)
{
    constexpr int kEntries = 100'000;
    const bool cold = state.range(0) != 0;
    auto edit = std::make_unique<SheetEdit>();
    QString text;
    for (int i = 0; i < kEntries; ++i) {
        switch (i % 3) {
        case 0:
            text += QStringLiteral("早饭 %1.5\n").arg(i % 50);
            break;
        case 1:
            text += QStringLiteral("项目%1：%2+%3\n").arg(i).arg(i % 70).arg(i % 13);
            break;
        default:
            text += QStringLiteral("%1*%2\n").arg(i % 90).arg(i % 7 + 1);
            break;
        }
    }
    text += QStringLiteral("合计");
    edit->setPlainText(text);
    edit->resize(700, 400);
    edit->show();
    QCoreApplication::processEvents();
    edit->state().references = true;
    CountingNotifier notifier;
    edit->setNotifier(&notifier);
    for (auto _ : state) {
        state.PauseTiming();
        if (cold)
            edit->state().referenceCache.reset();
        PutCaretAtEndOfLine(*edit, kEntries);
        state.ResumeTiming();
        Press(*edit, Qt::Key_Return, QStringLiteral("\r"), kNoRepaint);
        state.PauseTiming();
        const bool evaluated = edit->document()->findBlockByNumber(kEntries).text().startsWith(
            QStringLiteral("合计="));
        edit->undo();
        QCoreApplication::processEvents();
        state.ResumeTiming();
        if (!evaluated)
            state.SkipWithError("the total did not evaluate");
    }
    if (notifier.shown > 0)
        state.SkipWithError("a box was shown");
}

BENCHMARK(BM_Enter)->Apply(Sizes);
BENCHMARK(BM_EnterAndRepaint)->Apply(Sizes);
BENCHMARK(BM_TypeCharacter)->Apply(Sizes);
BENCHMARK(BM_TypeCharacterAndRepaint)->Apply(Sizes);
BENCHMARK(BM_EnterOnTotalWithReferences)
    ->ArgName("cold")
    ->Arg(0)
    ->Arg(1)
    ->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    return tolvane::bench::RunWidgetBenchmarks(argc, argv);
}
