// Modal messages of the calculator window, behind an interface so the line logic can run without
// a screen and tests never block on a box.
#pragma once

#include <string_view>

namespace tolvane::sheet {

class Notifier {
public:
    virtual ~Notifier() = default;
    // A modal box with one OK button and a warning icon; returns when it is closed. UTF-8.
    virtual void ShowMessage(std::string_view caption, std::string_view text) = 0;
    // The application's top-level error report: a fault the key handling could not answer,
    // shown with its description. The key that caused it has been dropped. UTF-8.
    virtual void ReportFault(std::string_view description) = 0;
};

} // namespace tolvane::sheet
