#include "ui/main/message_box_notifier.h"

#include "ui/common/qt_text.h"
#include "ui/main/window_caption.h"

#include <QGuiApplication>
#include <QLabel>
#include <QMessageBox>
#include <QScreen>

#include <algorithm>

namespace tolvane::ui {

namespace {

void ShowModal(QMessageBox::Icon icon, const QString& caption, const QString& text, QWidget* anchor)
{
    QMessageBox box(icon, caption, text, QMessageBox::Ok, anchor ? anchor->window() : nullptr);
    box.setWindowModality(Qt::ApplicationModal);
    FitToText(box);
    box.exec();
}

} // namespace

void FitToText(QMessageBox& box)
{
    // A file name is text, never markup.
    box.setTextFormat(Qt::PlainText);
    auto* label = box.findChild<QLabel*>(QStringLiteral("qt_msgbox_label"));
    if (!label)
        return;
    const QFontMetrics metrics(label->font());
    int widest = 0;
    for (const QString& line : box.text().split(u'\n'))
        widest = std::max(widest, metrics.horizontalAdvance(line));
    // QMessageBox gives up on widening past its own limit (the screen's width up to 1024 pixels,
    // else the width less 480, at most 1000) and then breaks anywhere; the icon and the margins
    // take the rest of that.
    const QScreen* screen = box.screen() ? box.screen() : QGuiApplication::primaryScreen();
    const int screenWidth = screen ? screen->availableGeometry().width() : 1024;
    const int limit = screenWidth <= 1024 ? screenWidth : std::min(screenWidth - 480, 1000);
    constexpr int kIconAndMargins = 120;
    label->setMinimumWidth(std::min(widest + metrics.averageCharWidth(), limit - kIconAndMargins));
}

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
