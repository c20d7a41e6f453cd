#include "ui/main/calculator_window.h"

#include "ui/common/qt_text.h"
#include "ui/common/window_font.h"
#include "ui/main/caption_button.h"
#include "ui/main/frame_handle.h"
#include "ui/main/reward_dialog.h"
#include "ui/main/sheet_edit.h"
#include "ui/palette/palette_window.h"

#include <QAction>
#include <QApplication>
#include <QGuiApplication>
#include <QLabel>
#include <QMenu>
#include <QMouseEvent>
#include <QScreen>
#include <QScrollBar>
#include <QTextCursor>
#include <QTextDocument>
#include <QVBoxLayout>

namespace tolvane::ui {
namespace {

class ExecRunner final : public DialogRunner {
public:
    void RunModal(QDialog& dialog) override { dialog.exec(); }
};

// The frame cannot shrink below what still shows every caption button beside the title.
constexpr QSize kMinimumSize{200, 80};

} // namespace

const std::array<QString, TfrmCalcMain::kHelpLineCount>& TfrmCalcMain::HelpLines()
{
    static const std::array<QString, kHelpLineCount> lines = {
        QString(64, QLatin1Char('*')),
        QStringLiteral("1. 四则运算 + - * / 、括号()、正负(+ -)"),
        QStringLiteral("2. 百分数 %、求幂 ^ 、整数阶乘 ! (1 至 150)"),
        QStringLiteral("3. 常数e、圆周率PI"),
        QStringLiteral("4. 右上角绿色功能菜单可以调出常用函数界面"),
        QStringLiteral("5. 单击白色按钮清空整个计算界面"),
        QStringLiteral("注意: 运算符必须为英文半角格式,三角函数输入数据为弧度"),
        QString(64, QLatin1Char('*')),
        QStringLiteral("“天下难事，必作于易；天下大事，必作于细。”——老子"),
        QStringLiteral("答曰：一加一，再加一，细处积成大数。"),
    };
    return lines;
}

TfrmCalcMain::TfrmCalcMain(QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::FramelessWindowHint)
    , m_execRunner(std::make_unique<ExecRunner>())
    , m_dialogRunner(m_execRunner.get())
{
    setObjectName(QStringLiteral("frmCalcMain"));
    setWindowTitle(QStringLiteral("Tolvane计算器"));
    setWindowIcon(QIcon(QStringLiteral(":/tolvane/tolvane.png")));
    setFont(WindowFont(11));
    setMinimumSize(kMinimumSize);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);

    // The strip lets every mouse event through to the window beneath it, which makes all of it
    // that no caption control covers a handle for moving the window.
    Panel2 = new QWidget(this);
    Panel2->setObjectName(QStringLiteral("Panel2"));
    Panel2->setFixedHeight(kStripHeight);
    Panel2->setAutoFillBackground(true);
    Panel2->setBackgroundRole(QPalette::Window);
    Panel2->setAttribute(Qt::WA_TransparentForMouseEvents);
    layout->addWidget(Panel2);

    RichEdit1 = new SheetEdit(this);
    RichEdit1->setFont(WindowFont(19));
    RichEdit1->setFrameShape(QFrame::NoFrame);
    layout->addWidget(RichEdit1, 1);

    // The resize band is reachable over the sheet and its scroll bar too, not only over the
    // strip: the sheet fills the window to its edges and would otherwise hide three of them.
    auto* frameHandle = new FrameHandle(this);
    frameHandle->WatchBandOver(RichEdit1);
    frameHandle->WatchBandOver(RichEdit1->viewport());
    frameHandle->WatchBandOver(RichEdit1->verticalScrollBar());

    auto makeAction = [this](const char* name, Glyph glyph) {
        auto* action = new QAction(MakeGlyph(glyph), QString(), this);
        action->setObjectName(QString::fromLatin1(name));
        return action;
    };
    WinClose = makeAction("WinClose", Glyph::Close);
    connect(WinClose, &QAction::triggered, this, &TfrmCalcMain::WinCloseExecute);
    WinRestore = makeAction("WinRestore", Glyph::Clear);
    connect(WinRestore, &QAction::triggered, this, &TfrmCalcMain::WinRestoreExecute);
    WinMinimize = makeAction("WinMinimize", Glyph::Minimize);
    connect(WinMinimize, &QAction::triggered, this, &TfrmCalcMain::WinMinimizeExecute);
    WinIcon = makeAction("WinIcon", Glyph::Icon); // does nothing when clicked
    actArm = makeAction("actArm", Glyph::Menu);
    connect(actArm, &QAction::triggered, this, &TfrmCalcMain::actArmExecute);

    PopupMenu1 = new QMenu(this);
    PopupMenu1->setObjectName(QStringLiteral("PopupMenu1"));
    N4 = PopupMenu1->addAction(QStringLiteral("常用函数"));
    N4->setObjectName(QStringLiteral("N4"));
    N4->setCheckable(true);
    connect(N4, &QAction::triggered, this, &TfrmCalcMain::DockPalette);
    PopupMenu1->addSeparator()->setObjectName(QStringLiteral("N3"));
    N1 = PopupMenu1->addAction(QStringLiteral("帮助"));
    N1->setObjectName(QStringLiteral("N1"));
    connect(N1, &QAction::triggered, this, &TfrmCalcMain::ShowHelp);
    N2 = PopupMenu1->addAction(QStringLiteral("奖励作者"));
    N2->setObjectName(QStringLiteral("N2"));
    connect(N2, &QAction::triggered, this, &TfrmCalcMain::N2Click);

    FormCreate();

    resize(kClientSize);
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        QRect frame(QPoint(), kClientSize);
        frame.moveCenter(screen->availableGeometry().center());
        move(frame.topLeft());
    }
}

TfrmCalcMain::~TfrmCalcMain() = default;

TMDIButton* TfrmCalcMain::MakeCaptionButton(QAction* action, const char* name, const QString& hint)
{
    auto* button = new TMDIButton(action, this);
    button->setObjectName(QString::fromLatin1(name));
    button->setToolTip(hint);
    button->raise();
    return button;
}

void TfrmCalcMain::FormCreate()
{
    IconButton = MakeCaptionButton(WinIcon, "IconButton", {});

    TitleLabel = new QLabel(windowTitle(), this);
    TitleLabel->setObjectName(QStringLiteral("TitleLabel"));
    TitleLabel->setFont(font());
    TitleLabel->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    // The label reaches below the strip; it must neither hide the sheet nor stop a drag.
    TitleLabel->setAttribute(Qt::WA_TransparentForMouseEvents);
    TitleLabel->resize(TitleLabel->sizeHint().width(), kStripHeight);
    TitleLabel->raise();

    CloseButton = MakeCaptionButton(WinClose, "CloseButton", {});
    ClearButton = MakeCaptionButton(WinRestore, "ClearButton", QStringLiteral("清空"));
    MinimizeButton = MakeCaptionButton(WinMinimize, "MinimizeButton", {});
    MenuButton = MakeCaptionButton(actArm, "MenuButton", QStringLiteral("功能菜单"));

    ArrangeCaptionButtons();
}

void TfrmCalcMain::ArrangeCaptionButtons()
{
    constexpr int kTop = 5;
    const int w = width();
    if (IconButton)
        IconButton->move(5, kTop);
    if (TitleLabel)
        TitleLabel->move(25, kTop);
    if (CloseButton)
        CloseButton->move(w - 26, kTop);
    if (MinimizeButton)
        MinimizeButton->move(w - 66, kTop);
    if (MenuButton)
        MenuButton->move(w - 96, kTop);
    if (ClearButton)
        ClearButton->move(w - 120, kTop);
}

void TfrmCalcMain::setPalette(TfrmCommonFun* palette)
{
    m_palette = palette;
    if (!palette)
        return;
    connect(palette, &TfrmCommonFun::templateChosen, this, [this](const QString& text) {
        RichEdit1->InsertTemplate(text);
        // The click made the palette the active window; the keys typed next belong in the sheet.
        activateWindow();
        RichEdit1->setFocus();
    });
    connect(palette, &TfrmCommonFun::closed, N4, [this] { N4->setChecked(false); });
}

void TfrmCalcMain::setRewardWindow(TfrmGL* reward)
{
    m_reward = reward;
}

void TfrmCalcMain::setDialogRunner(DialogRunner* runner)
{
    m_dialogRunner = runner ? runner : m_execRunner.get();
}

void TfrmCalcMain::ShowHelp()
{
    sheet::Sheet& sheet = RichEdit1->sheet();
    // One edit block: "帮助" replaces the sheet in a single undo step, so Ctrl+Z brings the
    // user's lines back whole.
    QTextCursor block(RichEdit1->document());
    block.beginEditBlock();
    sheet.ClearSheet();
    for (const QString& line : HelpLines())
        sheet.AppendLine(ToUtf16(line));
    const auto length = static_cast<int>(sheet.SheetText().size());
    sheet.MoveCaret(0);
    sheet.SelectAhead(length);
    sheet.ColorSelection(sheet::kLime);
    block.endEditBlock();

    sheet.FocusSheet();
    sheet.MoveCaret(length);
    RichEdit1->state().CurrentLine = sheet.LineAt(sheet.CaretPos());
}

void TfrmCalcMain::DockPalette()
{
    if (!m_palette)
        return;
    const QRect frame = frameGeometry();
    m_palette->Dock(QPoint(frame.left() + frame.width(), frame.top()), frame.height());
    m_palette->setVisible(N4->isChecked());
}

void TfrmCalcMain::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    // Only the first show writes the help; a restore from the taskbar, however the platform
    // reports it, must never cost the user the sheet.
    if (event->spontaneous() || m_helpShownAtStart)
        return;
    m_helpShownAtStart = true;
    ShowHelp();
    // The help text at start is not the user's: there is nothing before it to undo to.
    RichEdit1->document()->clearUndoRedoStacks();
}

void TfrmCalcMain::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    ArrangeCaptionButtons();
    if (isVisible())
        DockPalette();
}

void TfrmCalcMain::moveEvent(QMoveEvent* event)
{
    QWidget::moveEvent(event);
    // The palette follows the window wherever it goes, not only after a drag on the strip.
    if (isVisible() && !isMinimized())
        DockPalette();
}

void TfrmCalcMain::mouseDoubleClickEvent(QMouseEvent* event)
{
    // Both edges of the strip count as inside it.
    const QRect strip = Panel2->geometry();
    const QPoint p = event->position().toPoint();
    if (p.x() >= strip.left() && p.x() <= strip.left() + strip.width() && p.y() >= strip.top() &&
        p.y() <= strip.top() + strip.height())
        WinRestore->trigger();
}

void TfrmCalcMain::WinCloseExecute()
{
    close();
}

void TfrmCalcMain::WinRestoreExecute()
{
    RichEdit1->ClearSheet();
    RichEdit1->sheet().FocusSheet();
}

void TfrmCalcMain::WinMinimizeExecute()
{
    // Minimising after the click has been handled leaves the button in a clean state.
    QMetaObject::invokeMethod(this, &QWidget::showMinimized, Qt::QueuedConnection);
}

void TfrmCalcMain::actArmExecute()
{
    const QPoint below(MenuButton->x(), Panel2->y() + Panel2->height());
    PopupMenu1->popup(mapToGlobal(below));
}

void TfrmCalcMain::N2Click()
{
    if (m_reward)
        m_dialogRunner->RunModal(*m_reward);
}

} // namespace tolvane::ui
