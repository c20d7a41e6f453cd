#include "ui/palette/palette_window.h"

#include "ui/common/qt_text.h"
#include "ui/common/window_font.h"
#include "ui/palette/palette_entries.h"

#include <QCloseEvent>
#include <QGroupBox>
#include <QPushButton>
#include <QShowEvent>
#include <QStyle>
#include <QStyleOptionButton>
#include <QVBoxLayout>

namespace tolvane::ui {

namespace {

// The smallest size a caption is set in to fit its button.
constexpr int kSmallestButtonFontPixels = 11;

// The style draws a caption centred in the button's contents rectangle and cuts off what lies
// outside. Tahoma with the Windows style leaves some captions less room than the Linux faces and
// Fusion do ("pdisplanes()" lost its first letter): such a caption is set a pixel smaller at a
// time until its ink lies inside, so every template reads whole under any font and style. A
// trailing blank takes part in the centring but shows nothing.
bool CaptionFits(const QPushButton& button, const QFont& font)
{
    QStyleOptionButton option;
    option.initFrom(&button);
    option.text = button.text();
    const int room =
        button.style()->subElementRect(QStyle::SE_PushButtonContents, &option, &button).width();
    const QFontMetrics metrics(font);
    const int start = (room - metrics.horizontalAdvance(button.text())) / 2;
    const QRect ink = metrics.boundingRect(button.text());
    return start + ink.left() >= 0 && start + ink.right() < room;
}

void FitCaption(QPushButton& button)
{
    QFont font = button.font();
    while (font.pixelSize() > kSmallestButtonFontPixels && !CaptionFits(button, font)) {
        font.setPixelSize(font.pixelSize() - 1);
        button.setFont(font);
    }
}

} // namespace

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
            FitCaption(*button);
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
