#include "ui/main/message_box_notifier.h"

#include "ui/common/qt_text.h"
#include "ui/main/window_caption.h"

#include <QMessageBox>

namespace tolvane::ui {

namespace {

void ShowModal(QMessageBox::Icon icon, const QString& caption, const QString& text, QWidget* anchor)
{
    QMessageBox box(icon, caption, text, QMessageBox::Ok, anchor ? anchor->window() : nullptr);
    box.setWindowModality(Qt::ApplicationModal);
    box.exec();
}

} // namespace

MessageBoxNotifier::MessageBoxNotifier(QWidget* anchor)
    : m_anchor(anchor)
{}

void MessageBoxNotifier::ShowMessage(std::string_view caption, std::string_view text)
{
    ShowModal(QMessageBox::Warning, FromUtf8(caption), FromUtf8(text), m_anchor);
}

void MessageBoxNotifier::ReportFault(std::string_view description)
{
    // The same caption as the application's own error report: the calculator's name, never the
    // window's title, which names the open file.
    ShowModal(QMessageBox::Critical, WindowCaption(), FromUtf8(description), m_anchor);
}

} // namespace tolvane::ui
