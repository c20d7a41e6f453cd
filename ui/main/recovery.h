// Keeps the sheet in a recovery file, so a crash, a kill or a power loss costs at most the last
// two seconds of typing, and brings back the last sheet of an earlier run on request.
//
// How it works: the first change after the last write starts a timer of kWriteDelay; when it
// runs out the sheet's lines (a shared copy from SheetMirror, no walk over the document) go to a
// worker thread, which writes them through QSaveFile (temporary file, flush to disk, rename).
// Later changes never restart the timer, so steady typing cannot put the write off. Closing the
// window writes once more and waits for it. Each running window has a file of its own and holds
// its lock (sheet/recovery_files.h), so windows never write one another's files.
#pragma once

#include <QLockFile>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QTimer>

#include <chrono>
#include <memory>
#include <optional>

class QTextDocument;

namespace tolvane::ui {

class RecoveryWriter;
class SheetMirror;

class SheetRecovery final : public QObject {
    Q_OBJECT
public:
    // Two seconds at most between a change and the file that holds it, the write included.
    static constexpr std::chrono::milliseconds kWriteDelay{1500};

    // Watches the sheet's document and keeps its recovery file in `folder`, which is made when
    // missing. What the document holds now counts as written: only a change is worth a file.
    // Recovery files of windows gone for more than a week are removed now. Without a folder it
    // can write to (or without its lock) it writes nothing and says so on stderr.
    SheetRecovery(QTextDocument& document, const QString& folder, QObject* parent = nullptr);
    ~SheetRecovery() override;

    // This window's recovery file.
    [[nodiscard]] QString FilePath() const;
    // Whether the folder holds a sheet of an earlier (closed or killed) window to bring back.
    [[nodiscard]] bool CanRecover() const;
    // The path of that sheet's file, or nullopt.
    [[nodiscard]] std::optional<QString> RecoverablePath() const;
    // After the text of `recoveredPath` was brought back: this window writes its own file at
    // once, then the files of windows that are gone, up to the recovered one, are removed.
    void Recovered(const QString& recoveredPath);

    // Hands the sheet to the writer now when it changed since the last write; Flush waits until
    // everything handed over is on disk. The window's close runs both.
    void WriteNow();
    void Flush();

private:
    void NoteChange();

    SheetMirror* m_mirror = nullptr;
    QString m_folder;
    QString m_fileName;
    QLockFile m_lock;
    QTimer m_timer;
    std::unique_ptr<RecoveryWriter> m_writer;
    quint64 m_writtenRevision = 0;
    bool m_changed = false;
};

} // namespace tolvane::ui
