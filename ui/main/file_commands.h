// What the calculator window does with files: "打开…", "保存", "另存为…", a file dropped onto the
// window, and "恢复上次的计算". The window only builds the menu entries and hands them here.
//
// After an open or a save the window's title (the taskbar's text) names the file,
// "budget.txt - Tolvane计算器", with a leading "*" while the sheet differs from what was saved; the
// caption strip keeps its own title. Opening and recovering replace the sheet as one undo step,
// and the file goes with the sheet: undoing an open or a recovery brings back the file name the
// old sheet belonged to, and whether it was saved, so 保存 never writes one file's sheet into
// another; redoing it brings the opened file's back. A recovered sheet belongs to no file.
//
// A sheet with a file name and unsaved changes is not given up without a question: closing the
// window, opening another file over it (the menu, or a dropped file) and recovering an earlier
// sheet first ask whether to save it (保存 / 不保存 / 取消), and only a saved sheet or 不保存 go
// on. A sheet that was never saved is given up without a question: the recovery file keeps it,
// and Ctrl+Z brings it back after an open.
//
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

enum class SaveChoice { kSave, kDiscard, kCancel };

// Asks the user for a file, or whether to save. The window goes through it, so a test can answer
// in its place and never block on a dialog.
class FileChooser {
public:
    virtual ~FileChooser() = default;
    // The file to open, or the empty string when the user cancels. The dialog starts in `folder`.
    virtual QString OpenFileName(QWidget* parent, const QString& folder) = 0;
    // The file to save to, or the empty string. `proposed` is a folder or a file to start from.
    virtual QString SaveFileName(QWidget* parent, const QString& proposed) = 0;
    // Whether to save the unsaved changes of the sheet of file `fileName` (a name, no folder)
    // before it is given up: 保存, 不保存 or 取消 (also Escape and the box's close button).
    virtual SaveChoice AskToSave(QWidget* parent, const QString& fileName) = 0;
};

// The question AskToSave asks.
[[nodiscard]] QString SaveQuestion(const QString& fileName);

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

    // The file the sheet belongs to: the one it was last opened from or saved to, as undo and
    // redo of opens and recoveries leave it; empty for a sheet of no file.
    [[nodiscard]] const QString& filePath() const;
    // Whether the sheet differs from its file as last saved (always for a sheet of no file).
    [[nodiscard]] bool HasUnsavedChanges() const;
    // Where the next dialog starts: the folder of the last file opened or saved (for 打开…, also
    // of the last one it tried to open), else the documents folder.
    [[nodiscard]] QString StartFolder() const;
    [[nodiscard]] QString OpenStartFolder() const;

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

    // Whether the sheet may be given up (the window closes, or another sheet replaces it): at
    // once when it has no file or no unsaved changes, else as the user answers AskToSave, where
    // 保存 counts only when the save succeeds.
    bool MayGiveUpSheet();
    // Writes what the recovery holds not yet and waits for it: the window is closing.
    void Closing();

protected:
    // Files dragged over the window or the sheet: a local file is opened when dropped; anything
    // else (text dragged within the sheet) goes on as before.
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    struct SheetFile;
    class SheetSwap;

    // Replaces the sheet by `text`, which belongs to `file` from now on, as one undo step that
    // swaps the files too.
    void ReplaceSheet(const QString& text, std::shared_ptr<SheetFile> file);
    // Makes `file` the sheet's; the title follows once the document has settled.
    void Restore(std::shared_ptr<SheetFile> file);
    // The sheet is what its file holds now.
    void MarkSaved();
    // The document changed (an edit, an undo or a redo) or added an undo step.
    void FollowDocument();
    void ForgetUnreachableSave();
    void UpdateTitle();
    void ShowRefusal(std::string_view caption, const QString& text);

    QWidget& m_window;
    SheetEdit& m_edit;
    QTextDocument& m_document;
    std::unique_ptr<FileChooser> m_dialogs;
    FileChooser* m_chooser = nullptr;
    std::unique_ptr<SheetRecovery> m_recovery;
    std::shared_ptr<SheetFile> m_file;
    // Folders of the last file opened or saved, and of the last one 打开… tried.
    QString m_lastFolder;
    QString m_lastOpenFolder;
};

} // namespace tolvane::ui
