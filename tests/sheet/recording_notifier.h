// A Notifier that records what the window would have shown, for tests that must never block on
// a modal box.
#pragma once

#include "sheet/notifier.h"

#include <string>
#include <vector>

namespace tolvane::sheet {

class RecordingNotifier final : public Notifier {
public:
    struct Message {
        std::string caption;
        std::string text;
    };
    void ShowMessage(std::string_view caption, std::string_view text) override
    {
        messages.push_back({std::string(caption), std::string(text)});
    }
    void ReportFault(std::string_view description) override { faults.emplace_back(description); }

    std::vector<Message> messages;
    std::vector<std::string> faults;
};

} // namespace tolvane::sheet
