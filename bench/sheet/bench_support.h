// What the sheet benchmarks share: a notifier that never blocks, and a main
// that runs the benchmarks in an offscreen Qt application.
#pragma once

#include "engine/engine.h"
#include "sheet/notifier.h"

#include <QApplication>

#include <benchmark/benchmark.h>

#include <string_view>

namespace tolvane::bench {

// A benchmark must never wait on a modal box; anything shown is counted, and
// spoils the run.
class CountingNotifier final : public sheet::Notifier {
public:
    void ShowMessage(std::string_view, std::string_view) override { ++shown; }
    void ReportFault(std::string_view) override { ++shown; }
    int shown = 0;
};

// Offscreen unless the caller chose a platform (to watch a run on a screen).
inline int RunWidgetBenchmarks(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}

} // namespace tolvane::bench
