#include "ui/main/file_commands.h"

#include "ui/main/message_box_notifier.h"
#include "ui/main/recovery.h"
#include "ui/main/sheet_edit.h"
#include "ui/main/sheet_file.h"
#include "ui/main/window_caption.h"

#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QMimeData>
#include <QPointer>
#include <QPushButton>
#include <QStandardPaths>
#include <QTextCursor>
#include <QTextDocument>
#include <QUrl>

#include <utility>

namespace tolvane::ui {

namespace {

constexpr std::string_view kRecoverCaption = "恢复上次的计算";

class DialogFileChooser final : public FileChooser {
public:
    QString OpenFileName(QWidget* parent, const QString& folder) override
    {
        QFileDialog dialog(parent, QStringLiteral("打开"), folder, FileCommands::DialogFilter());
        dialog.setAcceptMode(QFileDialog::AcceptOpen);
        dialog.setFileMode(QFileDialog::ExistingFile);
        return Run(dialog);
    }

    QString SaveFileName(QWidget* parent, const QString& proposed) override
    {
        QFileDialog dialog(parent, QStringLiteral("另存为"), proposed,
                           FileCommands::DialogFilter());
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        dialog.setFileMode(QFileDialog::AnyFile);
        // "budget" becomes budget.txt; a name with a suffix of its own keeps it.
        dialog.setDefaultSuffix(QStringLiteral("txt"));
        return Run(dialog);
    }

    SaveChoice AskToSave(QWidget* parent, const QString& fileName) override
    {
        QMessageBox box(QMessageBox::Warning, WindowCaption(), SaveQuestion(fileName),
                        QMessageBox::NoButton, parent ? parent->window() : nullptr);
        QPushButton* save = box.addButton(QStringLiteral("保存"), QMessageBox::AcceptRole);
        QPushButton* discard =
            box.addButton(QStringLiteral("不保存"), QMessageBox::DestructiveRole);
        QPushButton* cancel = box.addButton(QStringLiteral("取消"), QMessageBox::RejectRole);
        box.setDefaultButton(save);
        box.setEscapeButton(cancel);
        box.setWindowModality(Qt::ApplicationModal);
        FitToText(box);
        box.exec();
        if (box.clickedButton() == save)
            return SaveChoice::kSave;
        if (box.clickedButton() == discard)
            return SaveChoice::kDiscard;
        return SaveChoice::kCancel;
    }

private:
    static QString Run(QFileDialog& dialog)
    {
        dialog.setWindowModality(Qt::ApplicationModal);
        if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
            return {};
        return dialog.selectedFiles().constFirst();
    }
};

// The first local file among dragged URLs, or the empty string.
QString DraggedFile(const QMimeData* data)
{
    if (!data || !data->hasUrls())
        return {};
    for (const QUrl& url : data->urls()) {
        if (url.isLocalFile())
            return url.toLocalFile();
    }
    return {};
}

} // namespace

QString SaveQuestion(const QString& fileName)
{
    return QStringLiteral("是否保存对“%1”的更改？").arg(fileName);
}

// The file a sheet belongs to. Shared between the sheet and the undo steps that bring it back, so
// a save under a new name reaches the sheet wherever undo and redo take it.
struct FileCommands::SheetFile {
    QString path; // empty: no file
    // The document's undo position at which the sheet is what the file holds; -1 for none.
    int savedStep = -1;
};

// Part of the undo step of an open or a recovery: undoing it gives the sheet back its old file,
// redoing it the new one.
class FileCommands::SheetSwap final : public QAbstractUndoItem {
public:
    SheetSwap(FileCommands& files, std::shared_ptr<SheetFile> before,
              std::shared_ptr<SheetFile> after)
        : m_files(&files)
        , m_before(std::move(before))
        , m_after(std::move(after))
    {}
    void undo() override
    {
        if (m_files)
            m_files->Restore(m_before);
    }
    void redo() override
    {
        if (m_files)
            m_files->Restore(m_after);
    }

private:
    QPointer<FileCommands> m_files;
    std::shared_ptr<SheetFile> m_before;
    std::shared_ptr<SheetFile> m_after;
};

const QString& FileCommands::DialogFilter()
{
    static const QString filter = QStringLiteral("文本文件 (*.txt);;所有文件 (*)");
    return filter;
}

FileCommands::FileCommands(QWidget& window, SheetEdit& edit)
    : QObject(&window)
    , m_window(window)
    , m_edit(edit)
    , m_document(*edit.document())
    , m_dialogs(std::make_unique<DialogFileChooser>())
    , m_chooser(m_dialogs.get())
    , m_file(std::make_shared<SheetFile>())
{
    // Whether the sheet differs from its file follows the undo position: an undo back to the
    // saved text is no change. The document's own mark knows one saved position only, and
    // forgets it when an undo changes the sheet's file.
    connect(&m_document, &QTextDocument::contentsChanged, this, &FileCommands::FollowDocument);
    connect(&m_document, &QTextDocument::undoCommandAdded, this,
            &FileCommands::ForgetUnreachableSave);
    m_window.setAcceptDrops(true);
    m_window.installEventFilter(this);
    m_edit.viewport()->installEventFilter(this);
}

FileCommands::~FileCommands() = default;

void FileCommands::setChooser(FileChooser* chooser)
{
    m_chooser = chooser ? chooser : m_dialogs.get();
}

void FileCommands::EnableRecovery(const QString& folder)
{
    m_recovery = std::make_unique<SheetRecovery>(m_document, folder);
}

const QString& FileCommands::filePath() const
{
    return m_file->path;
}

bool FileCommands::HasUnsavedChanges() const
{
    return m_file->path.isEmpty() || m_file->savedStep != m_document.availableUndoSteps();
}

QString FileCommands::StartFolder() const
{
    if (!m_lastFolder.isEmpty() && QFileInfo(m_lastFolder).isDir())
        return m_lastFolder;
    const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    if (!documents.isEmpty() && QFileInfo(documents).isDir())
        return documents;
    return QDir::homePath();
}

QString FileCommands::OpenStartFolder() const
{
    // Another file of the folder a refused one came from is likely the one that was meant.
    if (!m_lastOpenFolder.isEmpty() && QFileInfo(m_lastOpenFolder).isDir())
        return m_lastOpenFolder;
    return StartFolder();
}

void FileCommands::Open()
{
    if (!MayGiveUpSheet())
        return;
    const QString path = m_chooser->OpenFileName(&m_window, OpenStartFolder());
    if (!path.isEmpty())
        OpenFile(path);
}

bool FileCommands::Save()
{
    return m_file->path.isEmpty() ? SaveAs() : SaveTo(m_file->path);
}

bool FileCommands::SaveAs()
{
    const QString path =
        m_chooser->SaveFileName(&m_window, m_file->path.isEmpty() ? StartFolder() : m_file->path);
    return !path.isEmpty() && SaveTo(path);
}

bool FileCommands::OpenFile(const QString& path)
{
    const QFileInfo info(path);
    m_lastOpenFolder = info.absolutePath();
    const SheetFileContent content = ReadSheetFile(path);
    if (!content.ok()) {
        ShowRefusal(kOpenCaption, content.refusal);
        return false;
    }
    ReplaceSheet(content.text, std::make_shared<SheetFile>(SheetFile{info.absoluteFilePath()}));
    MarkSaved();
    return true;
}

bool FileCommands::SaveTo(const QString& path)
{
    const QString failure = WriteSheetFile(path, DocumentLines(m_document));
    if (!failure.isEmpty()) {
        ShowRefusal(kSaveCaption, failure);
        return false;
    }
    m_file->path = QFileInfo(path).absoluteFilePath();
    MarkSaved();
    return true;
}

void FileCommands::MarkSaved()
{
    m_file->savedStep = m_document.availableUndoSteps();
    m_lastFolder = m_lastOpenFolder = QFileInfo(m_file->path).absolutePath();
    m_document.setModified(false);
    UpdateTitle();
}

bool FileCommands::CanRecover() const
{
    return m_recovery && m_recovery->CanRecover();
}

void FileCommands::RecoverLastSheet()
{
    if (!MayGiveUpSheet())
        return;
    const std::optional<QString> path = m_recovery ? m_recovery->RecoverablePath() : std::nullopt;
    if (!path)
        return;
    const SheetFileContent content = ReadSheetFile(*path);
    if (!content.ok()) {
        ShowRefusal(kRecoverCaption, content.refusal);
        return;
    }
    // The recovered sheet is nobody's file: 保存 asks for a name.
    ReplaceSheet(content.text, std::make_shared<SheetFile>());
    m_recovery->Recovered(*path);
}

bool FileCommands::MayGiveUpSheet()
{
    if (m_file->path.isEmpty() || !HasUnsavedChanges())
        return true;
    switch (m_chooser->AskToSave(&m_window, QFileInfo(m_file->path).fileName())) {
    case SaveChoice::kSave:
        return Save();
    case SaveChoice::kDiscard:
        return true;
    case SaveChoice::kCancel:
        break;
    }
    return false;
}

void FileCommands::Closing()
{
    if (m_recovery) {
        m_recovery->WriteNow();
        m_recovery->Flush();
    }
}

void FileCommands::ReplaceSheet(const QString& text, std::shared_ptr<SheetFile> file)
{
    const std::shared_ptr<SheetFile> before = m_file;
    m_edit.ReplaceSheet([&](QTextCursor& cursor) {
        InsertColoredLines(cursor, text);
        m_document.appendUndoItem(new SheetSwap(*this, before, file));
    });
    Restore(std::move(file));
    FollowDocument();
}

void FileCommands::Restore(std::shared_ptr<SheetFile> file)
{
    // Called in the middle of an undo or a redo, when the undo position is not final yet: the
    // title follows in FollowDocument, once the document has settled.
    m_file = std::move(file);
}

void FileCommands::FollowDocument()
{
    // At its saved position the document must count as unmodified too: only then does it open a
    // new undo step for the next keystroke instead of merging it into the step before, which
    // would change the text without moving the position.
    if (!HasUnsavedChanges() && m_document.isModified())
        m_document.setModified(false);
    UpdateTitle();
}

void FileCommands::ForgetUnreachableSave()
{
    // A new step taken after undoing past the save has replaced the steps that led back to it.
    if (m_file->savedStep >= m_document.availableUndoSteps())
        m_file->savedStep = -1;
    FollowDocument();
}

void FileCommands::UpdateTitle()
{
    QString title = WindowCaption();
    if (!m_file->path.isEmpty()) {
        // "[*]" is where Qt shows the unsaved mark; one in the file's name must stay text.
        QString name = QFileInfo(m_file->path).fileName();
        name.replace(QStringLiteral("[*]"), QStringLiteral("[*][*]"));
        title = QStringLiteral("[*]%1 - %2").arg(name, WindowCaption());
    }
    if (m_window.windowTitle() != title)
        m_window.setWindowTitle(title);
    const bool modified = !m_file->path.isEmpty() && HasUnsavedChanges();
    if (m_window.isWindowModified() != modified)
        m_window.setWindowModified(modified);
}

void FileCommands::ShowRefusal(std::string_view caption, const QString& text)
{
    m_edit.notifier().ShowMessage(caption, text.toStdString());
}

bool FileCommands::eventFilter(QObject* watched, QEvent* event)
{
    switch (event->type()) {
    case QEvent::DragEnter:
    case QEvent::DragMove: {
        auto* drag = static_cast<QDragMoveEvent*>(event);
        if (DraggedFile(drag->mimeData()).isEmpty())
            break;
        drag->acceptProposedAction();
        return true;
    }
    case QEvent::Drop: {
        auto* drop = static_cast<QDropEvent*>(event);
        const QString path = DraggedFile(drop->mimeData());
        if (path.isEmpty())
            break;
        drop->acceptProposedAction();
        // The drag's own loop is still running: the sheet is replaced (and any refusal shown)
        // once it has finished.
        QMetaObject::invokeMethod(
            this,
            [this, path] {
                if (MayGiveUpSheet())
                    OpenFile(path);
            },
            Qt::QueuedConnection);
        return true;
    }
    default:
        break;
    }
    return QObject::eventFilter(watched, event);
}

} // namespace tolvane::ui
