// The calculator window: a borderless frame around the calculation sheet, with its own caption
// strip (icon, title, clear, menu, minimise and close buttons), a resize band along its edges,
// the function menu, the help text and the two owned windows it shows: the palette, docked
// against its right edge, and the modal reward window.
//
// The window moves when a free part of the strip is dragged, and a double-click on the strip
// empties the sheet. Every clearing (that double-click, the clear button, "帮助") is one undo
// step of the sheet, so Ctrl+Z brings back what was there.
#pragma once

#include <QPointer>
#include <QWidget>

#include <array>
#include <memory>

class QAction;
class QDialog;
class QLabel;
class QMenu;

namespace tolvane::ui {

class SheetEdit;
class TfrmCommonFun;
class TfrmGL;
class TMDIButton;

// Runs a dialog modally. The window shows the reward window through it, so a test can replace
// it and never block.
class DialogRunner {
public:
    virtual ~DialogRunner() = default;
    virtual void RunModal(QDialog& dialog) = 0;
};

class TfrmCalcMain : public QWidget {
    Q_OBJECT
public:
    static constexpr QSize kClientSize{700, 422};
    static constexpr int kStripHeight = 25;
    static constexpr int kHelpLineCount = 10;

    explicit TfrmCalcMain(QWidget* parent = nullptr);
    ~TfrmCalcMain() override;

    // The owned windows; the calculator docks the palette and shows the reward window.
    void setPalette(TfrmCommonFun* palette);
    void setRewardWindow(TfrmGL* reward);
    void setDialogRunner(DialogRunner* runner);

    [[nodiscard]] SheetEdit* sheetEdit() const { return RichEdit1; }
    [[nodiscard]] QMenu* popupMenu() const { return PopupMenu1; }
    [[nodiscard]] QAction* paletteItem() const { return N4; }

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

private:
    void FormCreate();
    void ArrangeCaptionButtons();
    TMDIButton* MakeCaptionButton(QAction* action, const char* name, const QString& hint);
    void WinCloseExecute();
    void WinRestoreExecute();
    void WinMinimizeExecute();
    void actArmExecute();
    void N2Click();

    SheetEdit* RichEdit1 = nullptr;
    QWidget* Panel2 = nullptr;
    QMenu* PopupMenu1 = nullptr;
    QAction* N4 = nullptr;
    QAction* N1 = nullptr;
    QAction* N2 = nullptr;
    QAction* WinClose = nullptr;
    QAction* WinRestore = nullptr;
    QAction* WinMinimize = nullptr;
    QAction* WinIcon = nullptr;
    QAction* actArm = nullptr;

    // The caption controls built by FormCreate, owned by the window.
    TMDIButton* IconButton = nullptr;
    QLabel* TitleLabel = nullptr;
    TMDIButton* CloseButton = nullptr;
    TMDIButton* MinimizeButton = nullptr;
    TMDIButton* MenuButton = nullptr;
    TMDIButton* ClearButton = nullptr;

    QPointer<TfrmCommonFun> m_palette;
    QPointer<TfrmGL> m_reward;
    std::unique_ptr<DialogRunner> m_execRunner;
    DialogRunner* m_dialogRunner = nullptr;
    bool m_helpShownAtStart = false;
};

} // namespace tolvane::ui
