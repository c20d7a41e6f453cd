#include "ui/main/file_commands.h"

#include "ui/main/recovery.h"
#include "ui/main/sheet_edit.h"
#include "ui/main/sheet_file.h"
#include "ui/main/window_caption.h"

#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileDialog>
#include <QFileInfo>
#include <QMimeData>
#include <QStandardPaths>
#include <QTextCursor>
#include <QTextDocument>
#include <QUrl>

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
{
    connect(&m_document, &QTextDocument::modificationChanged, this, [this](bool changed) {
        // Before a file is named the title has no "[*]" to show the mark in.
        if (!m_filePath.isEmpty())
            m_window.setWindowModified(changed);
    });
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

QString FileCommands::StartFolder() const
{
    if (!m_lastFolder.isEmpty() && QFileInfo(m_lastFolder).isDir())
        return m_lastFolder;
    const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    if (!documents.isEmpty() && QFileInfo(documents).isDir())
        return documents;
    return QDir::homePath();
}

void FileCommands::Open()
{
    const QString path = m_chooser->OpenFileName(&m_window, StartFolder());
    if (!path.isEmpty())
        OpenFile(path);
}

bool FileCommands::Save()
{
    return m_filePath.isEmpty() ? SaveAs() : SaveTo(m_filePath);
}

bool FileCommands::SaveAs()
{
    const QString path =
        m_chooser->SaveFileName(&m_window, m_filePath.isEmpty() ? StartFolder() : m_filePath);
    return !path.isEmpty() && SaveTo(path);
}

bool FileCommands::OpenFile(const QString& path)
{
    RememberFolder(path);
    const SheetFileContent content = ReadSheetFile(path);
    if (!content.ok()) {
        ShowRefusal(kOpenCaption, content.refusal);
        return false;
    }
    ReplaceSheet(content.text);
    m_filePath = QFileInfo(path).absoluteFilePath();
    m_document.setModified(false);
    UpdateTitle();
    return true;
}

bool FileCommands::SaveTo(const QString& path)
{
    RememberFolder(path);
    const QString failure = WriteSheetFile(path, DocumentLines(m_document));
    if (!failure.isEmpty()) {
        ShowRefusal(kSaveCaption, failure);
        return false;
    }
    m_filePath = QFileInfo(path).absoluteFilePath();
    m_document.setModified(false);
    UpdateTitle();
    return true;
}

bool FileCommands::CanRecover() const
{
    return m_recovery && m_recovery->CanRecover();
}

void FileCommands::RecoverLastSheet()
{
    const std::optional<QString> path = m_recovery ? m_recovery->RecoverablePath() : std::nullopt;
    if (!path)
        return;
    const SheetFileContent content = ReadSheetFile(*path);
    if (!content.ok()) {
        ShowRefusal(kRecoverCaption, content.refusal);
        return;
    }
    ReplaceSheet(content.text);
    m_recovery->Recovered(*path);
}

void FileCommands::Closing()
{
    if (m_recovery) {
        m_recovery->WriteNow();
        m_recovery->Flush();
    }
}

void FileCommands::ReplaceSheet(const QString& text)
{
    m_edit.ReplaceSheet([&text](QTextCursor& cursor) { InsertColoredLines(cursor, text); });
}

void FileCommands::UpdateTitle()
{
    // "[*]" is where Qt shows the unsaved mark; one in the file's name must stay text.
    QString name = QFileInfo(m_filePath).fileName();
    name.replace(QStringLiteral("[*]"), QStringLiteral("[*][*]"));
    m_window.setWindowTitle(QStringLiteral("[*]%1 - %2").arg(name, WindowCaption()));
    m_window.setWindowModified(m_document.isModified());
}

void FileCommands::ShowRefusal(std::string_view caption, const QString& text)
{
    m_edit.notifier().ShowMessage(caption, text.toStdString());
}

void FileCommands::RememberFolder(const QString& path)
{
    m_lastFolder = QFileInfo(path).absolutePath();
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
            this, [this, path] { OpenFile(path); }, Qt::QueuedConnection);
        return true;
    }
    default:
        break;
    }
    return QObject::eventFilter(watched, event);
}

} // namespace tolvane::ui
