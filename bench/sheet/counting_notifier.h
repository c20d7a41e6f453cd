// A benchmark must never wait on a modal box; anything shown is counted, and
// spoils the run.
#pragma once

#include "ui/main/sheet/notifier.h"

#include <string_view>

namespace tolvane::bench {

class CountingNotifier final : public sheet::Notifier {
public:
    void ShowMessage(std::string_view, std::string_view) override { ++shown; }
    void ReportFault(std::string_view) override { ++shown; }
    int shown = 0;
};

} // namespace tolvane::bench
