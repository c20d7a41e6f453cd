#include "ui/palette/palette_window.h"

#include "ui/common/qt_text.h"
#include "ui/common/window_font.h"
#include "ui/palette/palette_entries.h"

#include <QCloseEvent>
#include <QGroupBox>
#include <QPushButton>
#include <QShowEvent>
#include <QVBoxLayout>

namespace tolvane::ui {

PaletteWindow::PaletteWindow(QWidget* owner)
    : QWidget(owner, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::CustomizeWindowHint |
                         Qt::WindowTitleHint | Qt::WindowCloseButtonHint)
{
    setObjectName(QStringLiteral("frmCommonFun"));
    setWindowTitle(FromUtf8(palette::kCaption));
    setFont(WindowFont(11));
    setFixedSize(palette::kClientWidth, palette::kClientHeight);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    m_panel = new QWidget(this);
    m_panel->setObjectName(QStringLiteral("Panel1"));
    layout->addWidget(m_panel);
}

void PaletteWindow::EnsureButtons()
{
    if (m_built)
        return;
    m_built = true;
    BuildGroups(m_panel);
}

void PaletteWindow::BuildGroups(QWidget* panel)
{
    const QFont buttonFont = WindowFont(palette::kButtonFontPixels);
    int top = 0;
    QWidget* previousInTabOrder = nullptr;
    for (const palette::GroupEntry& group : palette::Groups()) {
        auto* box = new QGroupBox(FromUtf8(group.caption), panel);
        box->setObjectName(FromUtf8(group.name));
        box->setGeometry(0, top, palette::kClientWidth, group.height);
        top += group.height;

        // Buttons are created in row order; the focus chain follows the stored tab positions.
        std::vector<QPushButton*> byTab(group.buttons.size());
        for (const palette::ButtonEntry& entry : group.buttons) {
            auto* button = new QPushButton(FromUtf8(entry.caption), box);
            button->setObjectName(FromUtf8(entry.name));
            button->setFont(buttonFont);
            button->setGeometry(entry.left, entry.top, entry.width, palette::kButtonHeight);
            button->setToolTip(FromUtf8(entry.hint));
            button->setAutoDefault(false);
            // The caption is the template, trailing blank and all.
            connect(button, &QPushButton::clicked, this,
                    [this, button] { emit templateChosen(button->text()); });
            byTab[static_cast<std::size_t>(entry.tabOrder)] = button;
        }
        for (QPushButton* button : byTab) {
            if (previousInTabOrder)
                setTabOrder(previousInTabOrder, button);
            previousInTabOrder = button;
        }
    }
}

void PaletteWindow::Dock(QPoint topLeft, int outerHeight)
{
    m_dockTopLeft = topLeft;
    m_dockHeight = outerHeight;
    ApplyDock();
}

void PaletteWindow::ApplyDock()
{
    if (m_dockHeight <= 0)
        return;
    // The frame around the palette is known only while it is shown; before that both
    // geometries agree, and showEvent docks once more with the real frame.
    const int frameExtra = frameGeometry().height() - geometry().height();
    setFixedHeight(std::max(m_dockHeight - frameExtra, 1));
    move(m_dockTopLeft);
}

void PaletteWindow::setVisible(bool visible)
{
    // Built before the palette becomes visible: children made later would stay hidden.
    if (visible)
        EnsureButtons();
    QWidget::setVisible(visible);
}

void PaletteWindow::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    ApplyDock();
}

QPushButton* PaletteWindow::Button(const QString& name)
{
    EnsureButtons();
    return findChild<QPushButton*>(name);
}

void PaletteWindow::closeEvent(QCloseEvent* event)
{
    event->accept();
    emit closed();
}

} // namespace tolvane::ui
