// The common-functions palette: a small fixed window of function buttons in six groups. A click
// hands the button's caption, unchanged, to whoever listens to templateChosen (the calculator
// window, which inserts it into its sheet at the caret). The palette never evaluates anything and
// holds no state of its own; it is only shown, hidden and placed by its owner.
//
// Scripts and tests find its parts by objectName: the window is "frmCommonFun", its panel
// "Panel1", the groups "GroupBox1" to "GroupBox6" and the buttons "cxButton1" to "cxButton43"
// (palette_entries.cpp lists which exist).
#pragma once

#include <QWidget>

class QPushButton;

namespace tolvane::ui {

class PaletteWindow : public QWidget {
    Q_OBJECT
public:
    // `owner` keeps the palette above it and takes it down with it; the palette starts hidden.
    explicit PaletteWindow(QWidget* owner);

    void setVisible(bool visible) override;

    // Puts the palette against a frame: top-left at `topLeft`, outer height `outerHeight`. The
    // width stays the stored one; only the height follows the owner.
    void Dock(QPoint topLeft, int outerHeight);

    // Creates the groups and buttons unless they exist. The palette does this itself when it is
    // first shown, so the program's start-up does not wait for 38 buttons nobody sees yet.
    void EnsureButtons();

    // The button with objectName `name` ("cxButton17"), or nullptr; builds the buttons first.
    [[nodiscard]] QPushButton* Button(const QString& name);

signals:
    void templateChosen(const QString& text);
    // The user closed the palette (its close box or Alt+F4); it is hidden, not destroyed.
    void closed();

protected:
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void BuildGroups(QWidget* panel);
    void ApplyDock();

    QWidget* m_panel = nullptr;
    bool m_built = false;

    // The last docking request; applied again on show, when the frame's size is known.
    QPoint m_dockTopLeft;
    int m_dockHeight = 0;
};

} // namespace tolvane::ui
