// The window's modal boxes: QMessageBox with one OK button, parented to the anchor's window.
#pragma once

#include "sheet/notifier.h"

#include <QPointer>
#include <QWidget>

namespace tolvane::ui {

class MessageBoxNotifier final : public sheet::Notifier {
public:
    // The boxes are parented to anchor->window() as it is when a box opens, so the anchor may be
    // placed into its window after this is made.
    explicit MessageBoxNotifier(QWidget* anchor);

    void ShowMessage(std::string_view caption, std::string_view text) override;
    // The top-level error report: a critical box captioned with the calculator's name.
    void ReportFault(std::string_view description) override;

private:
    QPointer<QWidget> m_anchor;
};

} // namespace tolvane::ui
