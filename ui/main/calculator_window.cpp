#include "ui/main/calculator_window.h"

#include "ui/common/window_font.h"
#include "ui/main/caption_button.h"
#include "ui/main/file_commands.h"
#include "ui/main/frame_handle.h"
#include "ui/main/reward_dialog.h"
#include "ui/main/sheet_edit.h"
#include "ui/main/window_caption.h"
#include "ui/palette/palette_window.h"

#include <QAction>
#include <QCloseEvent>
#include <QGuiApplication>
#include <QLabel>
#include <QMenu>
#include <QMouseEvent>
#include <QScreen>
#include <QScrollBar>
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
// The settings key of the 引用与合计 switch.
constexpr char kReferencesKey[] = "sheet/references";

} // namespace

const std::array<QString, CalculatorWindow::kHelpLineCount>& CalculatorWindow::HelpLines()
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

CalculatorWindow::CalculatorWindow(QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::FramelessWindowHint)
    , m_execRunner(std::make_unique<ExecRunner>())
    , m_dialogRunner(m_execRunner.get())
{
    setObjectName(QStringLiteral("frmCalcMain"));
    setWindowTitle(WindowCaption());
    setWindowIcon(QIcon(QStringLiteral(":/tolvane/tolvane.png")));
    setFont(WindowFont(11));
    setMinimumSize(kMinimumSize);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);

    // The strip lets every mouse event through to the window beneath it, which makes all of it
    // that no caption control covers a handle for moving the window.
    m_captionStrip = new QWidget(this);
    m_captionStrip->setObjectName(QStringLiteral("Panel2"));
    m_captionStrip->setFixedHeight(kStripHeight);
    m_captionStrip->setAutoFillBackground(true);
    m_captionStrip->setBackgroundRole(QPalette::Window);
    m_captionStrip->setAttribute(Qt::WA_TransparentForMouseEvents);
    layout->addWidget(m_captionStrip);

    m_sheetEdit = new SheetEdit(this);
    m_sheetEdit->setObjectName(QStringLiteral("RichEdit1"));
    m_sheetEdit->setFont(WindowFont(19));
    m_sheetEdit->setFrameShape(QFrame::NoFrame);
    layout->addWidget(m_sheetEdit, 1);

    // The resize band is reachable over the sheet and its scroll bars too, not only over the
    // strip: the sheet fills the window to its edges and would otherwise hide three of them. A
    // line wider than the sheet brings the horizontal bar up along the bottom edge.
    auto* frameHandle = new FrameHandle(this);
    frameHandle->WatchBandOver(m_sheetEdit);
    frameHandle->WatchBandOver(m_sheetEdit->viewport());
    frameHandle->WatchBandOver(m_sheetEdit->verticalScrollBar());
    frameHandle->WatchBandOver(m_sheetEdit->horizontalScrollBar());
    // A press on the strip docks the palette when it ends, whether the window moved or not.
    connect(frameHandle, &FrameHandle::pressEnded, this, &CalculatorWindow::DockPalette);

    m_files = new FileCommands(*this, *m_sheetEdit);

    BuildCaptionActions();
    BuildFunctionMenu();
    BuildCaptionControls();

    resize(kClientSize);
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        QRect frame(QPoint(), kClientSize);
        frame.moveCenter(screen->availableGeometry().center());
        move(frame.topLeft());
    }
}

CalculatorWindow::~CalculatorWindow() = default;

void CalculatorWindow::BuildCaptionActions()
{
    auto makeAction = [this](const char* name, Glyph glyph) {
        auto* action = new QAction(MakeGlyph(glyph), QString(), this);
        action->setObjectName(QString::fromLatin1(name));
        return action;
    };
    m_closeAction = makeAction("WinClose", Glyph::Close);
    connect(m_closeAction, &QAction::triggered, this, &QWidget::close);
    m_clearSheetAction = makeAction("WinRestore", Glyph::Clear);
    connect(m_clearSheetAction, &QAction::triggered, this, &CalculatorWindow::ClearSheet);
    m_minimizeAction = makeAction("WinMinimize", Glyph::Minimize);
    connect(m_minimizeAction, &QAction::triggered, this, &CalculatorWindow::MinimizeLater);
    m_iconAction = makeAction("WinIcon", Glyph::Icon); // does nothing when clicked
    m_menuAction = makeAction("actArm", Glyph::Menu);
    connect(m_menuAction, &QAction::triggered, this, &CalculatorWindow::OpenFunctionMenu);
}

void CalculatorWindow::BuildFunctionMenu()
{
    m_functionMenu = new QMenu(this);
    m_functionMenu->setObjectName(QStringLiteral("PopupMenu1"));
    m_paletteItem = m_functionMenu->addAction(QStringLiteral("常用函数"));
    m_paletteItem->setObjectName(QStringLiteral("N4"));
    m_paletteItem->setCheckable(true);
    connect(m_paletteItem, &QAction::triggered, this, &CalculatorWindow::DockPalette);
    BuildReferenceItems();
    m_functionMenu->addSeparator()->setObjectName(QStringLiteral("N3"));
    BuildFileItems();
    m_functionMenu->addSeparator()->setObjectName(QStringLiteral("fileSeparator"));
    m_helpItem = m_functionMenu->addAction(QStringLiteral("帮助"));
    m_helpItem->setObjectName(QStringLiteral("N1"));
    connect(m_helpItem, &QAction::triggered, this, &CalculatorWindow::ShowHelp);
    m_rewardItem = m_functionMenu->addAction(QStringLiteral("奖励作者"));
    m_rewardItem->setObjectName(QStringLiteral("N2"));
    connect(m_rewardItem, &QAction::triggered, this, &CalculatorWindow::ShowRewardDialog);
}

void CalculatorWindow::BuildFileItems()
{
    const auto addItem = [this](const QString& text, const char* name, const QKeySequence& keys) {
        QAction* item = m_functionMenu->addAction(text);
        item->setObjectName(QString::fromLatin1(name));
        item->setShortcut(keys);
        // Added to the window too, so the shortcut works while the menu is closed and the sheet
        // has the focus; the sheet never sees the key, so nothing is typed.
        addAction(item);
        return item;
    };
    m_openItem = addItem(QStringLiteral("打开…"), "actOpen", QKeySequence(Qt::CTRL | Qt::Key_O));
    connect(m_openItem, &QAction::triggered, m_files, &FileCommands::Open);
    m_saveItem = addItem(QStringLiteral("保存"), "actSave", QKeySequence(Qt::CTRL | Qt::Key_S));
    connect(m_saveItem, &QAction::triggered, m_files, &FileCommands::Save);
    m_saveAsItem = addItem(QStringLiteral("另存为…"), "actSaveAs",
                           QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_S));
    connect(m_saveAsItem, &QAction::triggered, m_files, &FileCommands::SaveAs);
    m_recoverItem = addItem(QStringLiteral("恢复上次的计算"), "actRecover", QKeySequence());
    m_recoverItem->setEnabled(false);
    connect(m_recoverItem, &QAction::triggered, m_files, &FileCommands::RecoverLastSheet);
    // Whether there is something to bring back changes whenever another window closes or dies.
    connect(m_functionMenu, &QMenu::aboutToShow, this,
            [this] { m_recoverItem->setEnabled(m_files->CanRecover()); });
}

void CalculatorWindow::BuildReferenceItems()
{
    m_referencesItem = m_functionMenu->addAction(QStringLiteral("引用与合计"));
    m_referencesItem->setObjectName(QStringLiteral("actReferences"));
    m_referencesItem->setCheckable(true);
    connect(m_referencesItem, &QAction::toggled, this, &CalculatorWindow::SetReferences);
    m_recalculateItem = m_functionMenu->addAction(QStringLiteral("全部重算"));
    m_recalculateItem->setObjectName(QStringLiteral("actRecalculate"));
    m_recalculateItem->setShortcut(QKeySequence(Qt::Key_F9));
    // F9 works while the menu is closed and the sheet has the focus, like the file shortcuts.
    addAction(m_recalculateItem);
    connect(m_recalculateItem, &QAction::triggered, m_sheetEdit, &SheetEdit::RecalculateAll);
}

void CalculatorWindow::setSettings(QSettings* settings)
{
    m_settings = settings;
    if (m_settings)
        m_referencesItem->setChecked(m_settings->value(kReferencesKey, false).toBool());
}

void CalculatorWindow::SetReferences(bool on)
{
    m_sheetEdit->state().references = on;
    if (m_settings) {
        m_settings->setValue(kReferencesKey, on);
        // Written at once: a session that ends by a crash or a logout keeps the choice too.
        m_settings->sync();
    }
}

CaptionButton* CalculatorWindow::MakeCaptionButton(QAction* action, const char* name,
                                                   const QString& hint)
{
    auto* button = new CaptionButton(action, this);
    button->setObjectName(QString::fromLatin1(name));
    button->setToolTip(hint);
    button->raise();
    return button;
}

void CalculatorWindow::BuildCaptionControls()
{
    m_iconButton = MakeCaptionButton(m_iconAction, "IconButton", {});

    m_titleLabel = new QLabel(WindowCaption(), this);
    m_titleLabel->setObjectName(QStringLiteral("TitleLabel"));
    m_titleLabel->setFont(font());
    m_titleLabel->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    // The label reaches below the strip; it must neither hide the sheet nor stop a drag.
    m_titleLabel->setAttribute(Qt::WA_TransparentForMouseEvents);
    m_titleLabel->resize(m_titleLabel->sizeHint().width(), kStripHeight);
    m_titleLabel->raise();

    m_closeButton = MakeCaptionButton(m_closeAction, "CloseButton", {});
    m_clearButton = MakeCaptionButton(m_clearSheetAction, "ClearButton", QStringLiteral("清空"));
    m_minimizeButton = MakeCaptionButton(m_minimizeAction, "MinimizeButton", {});
    m_menuButton = MakeCaptionButton(m_menuAction, "MenuButton", QStringLiteral("功能菜单"));

    ArrangeCaptionButtons();
}

void CalculatorWindow::ArrangeCaptionButtons()
{
    constexpr int kTop = 5;
    const int w = width();
    if (m_iconButton)
        m_iconButton->move(5, kTop);
    if (m_titleLabel)
        m_titleLabel->move(25, kTop);
    if (m_closeButton)
        m_closeButton->move(w - 26, kTop);
    if (m_minimizeButton)
        m_minimizeButton->move(w - 66, kTop);
    if (m_menuButton)
        m_menuButton->move(w - 96, kTop);
    if (m_clearButton)
        m_clearButton->move(w - 120, kTop);
}

void CalculatorWindow::setPalette(PaletteWindow* palette)
{
    m_palette = palette;
    if (!palette)
        return;
    connect(palette, &PaletteWindow::templateChosen, this, [this](const QString& text) {
        m_sheetEdit->InsertTemplate(text);
        // The click made the palette the active window; the keys typed next belong in the sheet.
        activateWindow();
        m_sheetEdit->setFocus();
    });
    connect(palette, &PaletteWindow::closed, m_paletteItem,
            [this] { m_paletteItem->setChecked(false); });
}

void CalculatorWindow::setRewardDialog(RewardDialog* reward)
{
    m_reward = reward;
}

void CalculatorWindow::setDialogRunner(DialogRunner* runner)
{
    m_dialogRunner = runner ? runner : m_execRunner.get();
}

void CalculatorWindow::setFileChooser(FileChooser* chooser)
{
    m_files->setChooser(chooser);
}

void CalculatorWindow::EnableRecovery(const QString& folder)
{
    m_recoveryFolder = folder;
    // The help text written at start is nobody's work: watching begins after it.
    if (m_helpShownAtStart)
        StartRecovery();
}

void CalculatorWindow::StartRecovery()
{
    m_files->EnableRecovery(m_recoveryFolder);
    m_recoverItem->setEnabled(m_files->CanRecover());
}

void CalculatorWindow::ShowHelp()
{
    sheet::Sheet& sheet = m_sheetEdit->sheet();
    // "帮助" replaces the sheet in a single undo step, so Ctrl+Z brings the user's lines back
    // whole.
    m_sheetEdit->WriteLines(HelpLines());
    sheet.FocusSheet();
    sheet.MoveCaret(static_cast<int>(sheet.SheetText().size()));
    m_sheetEdit->state().currentLine = sheet.LineAt(sheet.CaretPos());
}

void CalculatorWindow::DockPalette()
{
    if (!m_palette)
        return;
    const QRect frame = frameGeometry();
    m_palette->Dock(QPoint(frame.left() + frame.width(), frame.top()), frame.height());
    m_palette->setVisible(m_paletteItem->isChecked());
}

void CalculatorWindow::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    // Only the first show writes the help; a restore from the taskbar, however the platform
    // reports it, must never cost the user the sheet.
    if (event->spontaneous() || m_helpShownAtStart)
        return;
    m_helpShownAtStart = true;
    ShowHelp();
    // The help text at start is not the user's: there is nothing before it to undo to.
    m_sheetEdit->document()->clearUndoRedoStacks();
    if (!m_recoveryFolder.isEmpty())
        StartRecovery();
}

void CalculatorWindow::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    ArrangeCaptionButtons();
    if (isVisible())
        DockPalette();
}

void CalculatorWindow::moveEvent(QMoveEvent* event)
{
    QWidget::moveEvent(event);
    // The palette follows the window wherever it goes, not only after a drag on the strip.
    if (isVisible() && !isMinimized())
        DockPalette();
}

void CalculatorWindow::mouseDoubleClickEvent(QMouseEvent* event)
{
    // Both edges of the strip count as inside it.
    const QRect strip = m_captionStrip->geometry();
    const QPoint p = event->position().toPoint();
    if (p.x() >= strip.left() && p.x() <= strip.left() + strip.width() && p.y() >= strip.top() &&
        p.y() <= strip.top() + strip.height())
        m_clearSheetAction->trigger();
}

void CalculatorWindow::closeEvent(QCloseEvent* event)
{
    // Unsaved changes to a file are not given up without a question; 取消, or a save that
    // failed, keeps the window open.
    if (!m_files->MayGiveUpSheet()) {
        event->ignore();
        return;
    }
    m_files->Closing();
    QWidget::closeEvent(event);
}

void CalculatorWindow::ClearSheet()
{
    m_sheetEdit->ClearSheet();
    m_sheetEdit->sheet().FocusSheet();
}

void CalculatorWindow::MinimizeLater()
{
    // Minimising after the click has been handled leaves the button in a clean state.
    QMetaObject::invokeMethod(this, &QWidget::showMinimized, Qt::QueuedConnection);
}

void CalculatorWindow::OpenFunctionMenu()
{
    const QPoint below(m_menuButton->x(), m_captionStrip->y() + m_captionStrip->height());
    m_functionMenu->popup(mapToGlobal(below));
}

void CalculatorWindow::ShowRewardDialog()
{
    if (m_reward)
        m_dialogRunner->RunModal(*m_reward);
}

} // namespace tolvane::ui
