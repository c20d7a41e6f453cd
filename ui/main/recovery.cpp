#include "ui/main/recovery.h"

#include "sheet/recovery_files.h"
#include "ui/main/sheet_file.h"
#include "ui/main/sheet_mirror.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QTextDocument>

#include <condition_variable>
#include <mutex>
#include <thread>
#include <vector>

namespace tolvane::ui {

// Writes the lines it is handed to one file, on a thread of its own, so a slow disk never holds
// up typing. Only the latest lines matter: a write still waiting is replaced by a newer one.
class RecoveryWriter {
public:
    explicit RecoveryWriter(QString path)
        : m_path(std::move(path))
        , m_thread([this] { Run(); })
    {}

    ~RecoveryWriter()
    {
        {
            const std::lock_guard lock(m_mutex);
            m_stop = true;
        }
        m_wake.notify_all();
        m_thread.join();
    }

    RecoveryWriter(const RecoveryWriter&) = delete;
    RecoveryWriter& operator=(const RecoveryWriter&) = delete;

    void Submit(QStringList lines)
    {
        {
            const std::lock_guard lock(m_mutex);
            m_pending = std::move(lines);
            m_hasPending = true;
            ++m_submitted;
        }
        m_wake.notify_all();
    }

    void Flush()
    {
        std::unique_lock lock(m_mutex);
        m_done.wait(lock, [this] { return m_written == m_submitted; });
    }

private:
    void Run()
    {
        for (;;) {
            QStringList lines;
            quint64 ticket = 0;
            {
                std::unique_lock lock(m_mutex);
                m_wake.wait(lock, [this] { return m_stop || m_hasPending; });
                if (!m_hasPending)
                    return;
                lines = std::move(m_pending);
                m_pending = {};
                m_hasPending = false;
                ticket = m_submitted;
            }
            const QString failure = WriteSheetFile(m_path, lines);
            // Nobody waits for this write: a failure is worth a line on stderr, once, and the
            // next change tries again.
            if (!failure.isEmpty() && !m_warned) {
                m_warned = true;
                qWarning("tolvane: the recovery file could not be written: %s",
                         qUtf8Printable(failure));
            }
            {
                const std::lock_guard lock(m_mutex);
                m_written = ticket;
            }
            m_done.notify_all();
        }
    }

    const QString m_path;
    std::mutex m_mutex;
    std::condition_variable m_wake;
    std::condition_variable m_done;
    QStringList m_pending;
    bool m_hasPending = false;
    bool m_stop = false;
    bool m_warned = false;
    quint64 m_submitted = 0;
    quint64 m_written = 0;
    std::thread m_thread; // last: starts once everything above is ready
};

namespace {

std::string NameOf(const QFileInfo& info)
{
    return info.fileName().toStdString();
}

// The folder's recovery files and temporaries, each marked live when its window still runs.
std::vector<sheet::RecoveryEntry> ListFolder(const QString& folder, const QString& own)
{
    std::vector<sheet::RecoveryEntry> entries;
    const QFileInfoList found =
        QDir(folder).entryInfoList({QStringLiteral("sheet-*.txt*")}, QDir::Files);
    for (const QFileInfo& info : found) {
        sheet::RecoveryEntry entry{NameOf(info), info.lastModified().toMSecsSinceEpoch(),
                                   info.size(), false};
        if (sheet::IsRecoveryFileName(entry.name) && info.fileName() != own) {
            // A lock that can be taken belongs to no running window (Qt removes the lock of a
            // process that is gone); taking it and letting go again removes it.
            QLockFile probe(
                QDir(folder).filePath(QString::fromStdString(sheet::RecoveryLockName(entry.name))));
            if (probe.tryLock(0))
                probe.unlock();
            else
                entry.live = true;
        }
        entries.push_back(std::move(entry));
    }
    return entries;
}

void RemoveFiles(const QString& folder, const std::vector<std::string>& names)
{
    for (const std::string& name : names)
        QFile::remove(QDir(folder).filePath(QString::fromStdString(name)));
}

} // namespace

SheetRecovery::SheetRecovery(QTextDocument& document, const QString& folder, QObject* parent)
    : QObject(parent)
    , m_mirror(new SheetMirror(document, this))
    , m_folder(folder)
    , m_fileName(QString::fromStdString(sheet::RecoveryFileName(
          QDateTime::currentMSecsSinceEpoch(), QCoreApplication::applicationPid())))
    , m_lock(QDir(folder).filePath(
          QString::fromStdString(sheet::RecoveryLockName(m_fileName.toStdString()))))
    , m_writtenRevision(m_mirror->Revision())
{
    // What the sheet holds now (the help text at start) is nobody's work: only a change makes
    // this window's file worth writing.
    const bool ready = QDir().mkpath(m_folder) && m_lock.tryLock(0);
    if (!ready) {
        qWarning("tolvane: no recovery file in %s: the folder cannot be written",
                 qUtf8Printable(QDir::toNativeSeparators(m_folder)));
        return;
    }
    RemoveFiles(m_folder, sheet::ExpiredRecoveryFiles(
                              ListFolder(m_folder, m_fileName), m_fileName.toStdString(),
                              QDateTime::currentMSecsSinceEpoch(), sheet::kRecoveryMaxAgeMs));
    m_writer = std::make_unique<RecoveryWriter>(FilePath());
    m_timer.setSingleShot(true);
    m_timer.setInterval(kWriteDelay);
    connect(&m_timer, &QTimer::timeout, this, &SheetRecovery::WriteNow);
    connect(&document, &QTextDocument::contentsChanged, this, &SheetRecovery::NoteChange);
}

SheetRecovery::~SheetRecovery()
{
    WriteNow();
    // The writer's destructor finishes what it was handed before the lock goes.
    m_writer.reset();
}

QString SheetRecovery::FilePath() const
{
    return QDir(m_folder).filePath(m_fileName);
}

std::optional<QString> SheetRecovery::RecoverablePath() const
{
    const std::vector<sheet::RecoveryEntry> entries = ListFolder(m_folder, m_fileName);
    const std::optional<std::size_t> newest =
        sheet::NewestRecoverable(entries, m_fileName.toStdString());
    if (!newest)
        return std::nullopt;
    return QDir(m_folder).filePath(QString::fromStdString(entries[*newest].name));
}

bool SheetRecovery::CanRecover() const
{
    return RecoverablePath().has_value();
}

void SheetRecovery::Recovered(const QString& recoveredPath)
{
    WriteNow();
    Flush();
    const qint64 recoveredMs = QFileInfo(recoveredPath).lastModified().toMSecsSinceEpoch();
    RemoveFiles(m_folder, sheet::SupersededRecoveryFiles(ListFolder(m_folder, m_fileName),
                                                         m_fileName.toStdString(), recoveredMs));
}

void SheetRecovery::NoteChange()
{
    // Started by the first change only: later changes must not put the write off.
    if (m_writer && !m_timer.isActive())
        m_timer.start();
}

void SheetRecovery::WriteNow()
{
    m_timer.stop();
    if (!m_writer || m_mirror->Revision() == m_writtenRevision)
        return;
    m_writtenRevision = m_mirror->Revision();
    m_writer->Submit(m_mirror->Lines());
}

void SheetRecovery::Flush()
{
    if (m_writer)
        m_writer->Flush();
}

} // namespace tolvane::ui
