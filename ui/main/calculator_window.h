// The calculator window: a borderless frame around the calculation sheet, with its own caption
// strip (icon, title, clear, menu, minimise and close buttons), a resize band along its edges,
// the function menu, the help text and the two owned windows it shows: the palette, docked
// against its right edge, and the modal reward dialog.
//
// The window moves when a free part of the strip is dragged, and a double-click on the strip
// empties the sheet. Every clearing (that double-click, the clear button, "帮助") is one undo
// step of the sheet, so Ctrl+Z brings back what was there.
//
// The menu's file entries (打开…, 保存, 另存为…, 恢复上次的计算) and a file dropped onto the window
// go to FileCommands (file_commands.h); their shortcuts work wherever the focus is in the window.
// Two entries below 常用函数 change how the sheet reads lines: 引用与合计, a switch (off until the
// user turns it on, then remembered in the settings handed to setSettings) that lets lines use
// labels, earlier results, 小计 and 合计; and 全部重算 (F9), which brings every result up to date.
//
// Scripts and tests find the window's parts by objectName: the window is "frmCalcMain", the
// sheet "RichEdit1", the strip "Panel2", the menu "PopupMenu1" with the items "N4" (常用函数),
// "actReferences" (引用与合计), "actRecalculate" (全部重算), "N3" (the separator), "actOpen"
// (打开…), "actSave" (保存), "actSaveAs" (另存为…), "actRecover" (恢复上次的计算), "fileSeparator",
// "N1" (帮助) and "N2" (奖励作者); the caption actions are "WinClose", "WinRestore" (clears the
// sheet), "WinMinimize", "WinIcon" and "actArm" (opens the menu), and the caption controls
// "IconButton", "TitleLabel", "CloseButton", "MinimizeButton", "MenuButton" and "ClearButton".
#pragma once

#include <QPointer>
#include <QSettings>
#include <QWidget>

#include <array>
#include <memory>

class QAction;
class QDialog;
class QLabel;
class QMenu;

namespace tolvane::ui {

class CaptionButton;
class FileChooser;
class FileCommands;
class PaletteWindow;
class RewardDialog;
class SheetEdit;

// Runs a dialog modally. The window shows the reward dialog through it, so a test can replace
// it and never block.
class DialogRunner {
public:
    virtual ~DialogRunner() = default;
    virtual void RunModal(QDialog& dialog) = 0;
};

class CalculatorWindow : public QWidget {
    Q_OBJECT
public:
    static constexpr QSize kClientSize{700, 422};
    static constexpr int kStripHeight = 25;
    static constexpr int kHelpLineCount = 10;

    explicit CalculatorWindow(QWidget* parent = nullptr);
    ~CalculatorWindow() override;

    // The owned windows; the calculator docks the palette and shows the reward dialog.
    void setPalette(PaletteWindow* palette);
    void setRewardDialog(RewardDialog* reward);
    void setDialogRunner(DialogRunner* runner);
    // Not owned; nullptr restores Qt's file dialogs.
    void setFileChooser(FileChooser* chooser);
    // Keeps the sheet in a recovery file in `folder`, from the end of the start-up help text on.
    void EnableRecovery(const QString& folder);
    // Where the window remembers 引用与合计 between runs: the entry takes the stored state now,
    // and each change of it is stored. Not owned; without settings nothing is remembered.
    void setSettings(QSettings* settings);

    [[nodiscard]] SheetEdit* sheetEdit() const { return m_sheetEdit; }
    [[nodiscard]] QMenu* functionMenu() const { return m_functionMenu; }
    [[nodiscard]] QAction* paletteItem() const { return m_paletteItem; }
    [[nodiscard]] QAction* referencesItem() const { return m_referencesItem; }
    [[nodiscard]] QAction* recalculateItem() const { return m_recalculateItem; }
    [[nodiscard]] FileCommands* fileCommands() const { return m_files; }

    // The ten lines the help text consists of, in order.
    [[nodiscard]] static const std::array<QString, kHelpLineCount>& HelpLines();

    // Writes the help text into the sheet, replacing what it held, caret on the line after it.
    void ShowHelp();
    // Places the palette against the right edge and shows it exactly when "常用函数" is checked.
    void DockPalette();

protected:
    void showEvent(QShowEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void moveEvent(QMoveEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void BuildCaptionActions();
    void BuildFunctionMenu();
    void BuildFileItems();
    void BuildReferenceItems();
    void SetReferences(bool on);
    void StartRecovery();
    void BuildCaptionControls();
    void ArrangeCaptionButtons();
    CaptionButton* MakeCaptionButton(QAction* action, const char* name, const QString& hint);
    void ClearSheet();
    void MinimizeLater();
    void OpenFunctionMenu();
    void ShowRewardDialog();

    SheetEdit* m_sheetEdit = nullptr;
    QWidget* m_captionStrip = nullptr;
    QMenu* m_functionMenu = nullptr;
    QAction* m_paletteItem = nullptr;
    QAction* m_referencesItem = nullptr;
    QAction* m_recalculateItem = nullptr;
    QAction* m_openItem = nullptr;
    QAction* m_saveItem = nullptr;
    QAction* m_saveAsItem = nullptr;
    QAction* m_recoverItem = nullptr;
    QAction* m_helpItem = nullptr;
    QAction* m_rewardItem = nullptr;
    QAction* m_closeAction = nullptr;
    QAction* m_clearSheetAction = nullptr;
    QAction* m_minimizeAction = nullptr;
    QAction* m_iconAction = nullptr;
    QAction* m_menuAction = nullptr;

    // The caption controls, children of the window itself (not of the strip), above the strip.
    CaptionButton* m_iconButton = nullptr;
    QLabel* m_titleLabel = nullptr;
    CaptionButton* m_closeButton = nullptr;
    CaptionButton* m_minimizeButton = nullptr;
    CaptionButton* m_menuButton = nullptr;
    CaptionButton* m_clearButton = nullptr;

    QPointer<PaletteWindow> m_palette;
    QPointer<RewardDialog> m_reward;
    std::unique_ptr<DialogRunner> m_execRunner;
    DialogRunner* m_dialogRunner = nullptr;
    FileCommands* m_files = nullptr;
    QPointer<QSettings> m_settings;
    QString m_recoveryFolder;
    bool m_helpShownAtStart = false;
};

} // namespace tolvane::ui
