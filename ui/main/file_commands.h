// What the calculator window does with files: "打开…", "保存", "另存为…", a file dropped onto the
// window, and "恢复上次的计算". The window only builds the menu entries and hands them here.
//
// After an open or a save the window's title (the taskbar's text) names the file,
// "budget.txt - Tolvane计算器", with a leading "*" while the sheet differs from what was saved; the
// caption strip keeps its own title. Opening and recovering replace the sheet as one undo step.
// Every refusal and failure is a box through the sheet's notifier, and leaves the sheet, the
// title and any file on disk as they were.
#pragma once

#include <QObject>
#include <QString>

#include <memory>
#include <optional>

class QTextDocument;
class QWidget;

namespace tolvane::ui {

class SheetEdit;
class SheetRecovery;

// Asks the user for a file. The window goes through it, so a test can answer in its place and
// never block on a dialog.
class FileChooser {
public:
    virtual ~FileChooser() = default;
    // The file to open, or the empty string when the user cancels. The dialog starts in `folder`.
    virtual QString OpenFileName(QWidget* parent, const QString& folder) = 0;
    // The file to save to, or the empty string. `proposed` is a folder or a file to start from.
    virtual QString SaveFileName(QWidget* parent, const QString& proposed) = 0;
};

class FileCommands final : public QObject {
    Q_OBJECT
public:
    // Text files first, then everything.
    static const QString& DialogFilter();

    FileCommands(QWidget& window, SheetEdit& edit);
    ~FileCommands() override;

    // Not owned; nullptr restores Qt's file dialogs.
    void setChooser(FileChooser* chooser);
    // Keeps the sheet in a recovery file in `folder` from now on (see recovery.h).
    void EnableRecovery(const QString& folder);
    [[nodiscard]] SheetRecovery* recovery() const { return m_recovery.get(); }

    // The file the sheet was last opened from or saved to; empty before either.
    [[nodiscard]] const QString& filePath() const { return m_filePath; }
    // Where the next dialog starts: the folder last used, else the documents folder.
    [[nodiscard]] QString StartFolder() const;

    // The menu entries. Open and the save commands ask for a file through the chooser.
    void Open();
    bool Save();
    bool SaveAs();
    void RecoverLastSheet();
    // Whether "恢复上次的计算" has something to bring back.
    [[nodiscard]] bool CanRecover() const;

    // Opens or saves the file without asking; false after a refusal, which has been shown.
    bool OpenFile(const QString& path);
    bool SaveTo(const QString& path);

    // Writes what the recovery holds not yet and waits for it: the window is closing.
    void Closing();

protected:
    // Files dragged over the window or the sheet: a local file is opened when dropped; anything
    // else (text dragged within the sheet) goes on as before.
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void ReplaceSheet(const QString& text);
    void UpdateTitle();
    void ShowRefusal(std::string_view caption, const QString& text);
    void RememberFolder(const QString& path);

    QWidget& m_window;
    SheetEdit& m_edit;
    QTextDocument& m_document;
    std::unique_ptr<FileChooser> m_dialogs;
    FileChooser* m_chooser = nullptr;
    std::unique_ptr<SheetRecovery> m_recovery;
    QString m_filePath;
    QString m_lastFolder;
};

} // namespace tolvane::ui
