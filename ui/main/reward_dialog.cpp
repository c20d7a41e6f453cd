#include "ui/main/reward_dialog.h"

#include <QGuiApplication>
#include <QPainter>
#include <QScreen>

namespace tolvane::ui {

RewardDialog::RewardDialog(QWidget* owner)
    : QDialog(owner, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::CustomizeWindowHint |
                         Qt::WindowTitleHint | Qt::WindowCloseButtonHint)
{
    setObjectName(QStringLiteral("frmGL"));
    setWindowTitle(QStringLiteral("奖励作者"));
    setFixedSize(kClientSize);
    setModal(true);
}

const QPixmap& RewardDialog::Picture()
{
    if (m_picture.isNull())
        m_picture.load(QStringLiteral(":/tolvane/reward.png"));
    return m_picture;
}

void RewardDialog::paintEvent(QPaintEvent* /*event*/)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.drawPixmap(rect(), Picture());
}

void RewardDialog::showEvent(QShowEvent* event)
{
    // Centred on the screen each time, like the calculator window at start.
    if (const QScreen* screen =
            this->screen() ? this->screen() : QGuiApplication::primaryScreen()) {
        QRect frame = frameGeometry();
        frame.moveCenter(screen->availableGeometry().center());
        move(frame.topLeft());
    }
    QDialog::showEvent(event);
}

} // namespace tolvane::ui
