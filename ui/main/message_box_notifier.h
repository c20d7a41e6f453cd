// The window's modal boxes: QMessageBox with one OK button, parented to the anchor's window,
// each as wide as its longest line.
#pragma once

#include "sheet/notifier.h"

#include <QPointer>
#include <QWidget>

class QMessageBox;

namespace tolvane::ui {

// Widens the box so that every line of its text fits on one row, as far as the screen allows.
// QMessageBox breaks text past about 500 pixels, and Chinese between any two characters: a
// sentence a little longer than that ended up split in the middle of a word ("权限被" / "拒绝").
// The texts put each sentence on a line of its own; only a line too long for the screen (a deep
// folder) still wraps.
void FitToText(QMessageBox& box);

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
