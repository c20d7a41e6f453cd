// The recovery file in the real window: the mirror it copies from follows every edit, each window
// writes its own file once the user changed something, and "恢复上次的计算" brings back the newest
// sheet of a window that is gone, as one undo step, then clears the folder of what it superseded.
#include "ui/main/calculator_window.h"
#include "ui/main/file_commands.h"
#include "ui/main/recovery.h"
#include "ui/main/sheet_edit.h"
#include "ui/main/sheet_file.h"
#include "ui/main/sheet_mirror.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QDateTime>
#include <QDir>
#include <QLockFile>
#include <QMenu>
#include <QTemporaryDir>
#include <QTest>
#include <QTextCursor>

using tolvane::ui::CalculatorWindow;
using tolvane::ui::DocumentLines;
using tolvane::ui::SheetEdit;

namespace {

QString Text(SheetEdit& edit)
{
    return DocumentLines(*edit.document()).join(u'\n');
}

QByteArray ReadAll(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

// A recovery file as a window that is gone left it, last written `age` ago.
void LeaveFile(const QString& folder, const QString& name, const QByteArray& text, qint64 ageMs)
{
    QFile file(QDir(folder).filePath(name));
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(text);
    file.flush();
    QVERIFY(file.setFileTime(QDateTime::currentDateTime().addMSecs(-ageMs),
                             QFileDevice::FileModificationTime));
}

// A window that writes its recovery into `folder`, shown, past its start-up help text.
struct Window {
    CalculatorWindow window;
    explicit Window(const QString& folder)
    {
        window.EnableRecovery(folder);
        window.show();
    }
    SheetEdit& edit() { return *window.sheetEdit(); }
    tolvane::ui::SheetRecovery& recovery() { return *window.fileCommands()->recovery(); }
    QAction* recoverItem() { return window.findChild<QAction*>(QStringLiteral("actRecover")); }
    // What the menu shows when it opens.
    bool RecoverOffered()
    {
        window.functionMenu()->popup(QPoint());
        window.functionMenu()->hide();
        return recoverItem()->isEnabled();
    }
};

} // namespace

class RecoveryTest : public QObject {
    Q_OBJECT
private slots:
    void mirrorFollowsEveryEdit();
    void eachWindowWritesItsOwnFileOnceChanged();
    void recoverBringsBackTheNewestSheetOfAWindowThatIsGone();
    void nothingToRecoverDisablesTheEntry();
    void theRecoveredSheetBelongsToNoFile();
};

void RecoveryTest::mirrorFollowsEveryEdit()
{
    SheetEdit edit;
    edit.show();
    tolvane::ui::SheetMirror mirror(*edit.document());
    const auto check = [&](const char* step) {
        QVERIFY2(mirror.Lines() == DocumentLines(*edit.document()), step);
    };
    QTest::keyClicks(&edit, "1+2=");
    check("Enter");
    QTest::keyClicks(&edit, "3*4");
    check("typing");
    const QStringList snapshot = mirror.Lines();
    QApplication::clipboard()->setText(QStringLiteral("5\n6\r\n7"));
    QTest::keyClick(&edit, Qt::Key_V, Qt::ControlModifier);
    check("paste of three lines");
    QCOMPARE(snapshot.size(), 2); // a copy taken earlier keeps what it held
    QTextCursor cursor(edit.document());
    cursor.setPosition(2);
    cursor.setPosition(9, QTextCursor::KeepAnchor);
    edit.setTextCursor(cursor);
    QTest::keyClick(&edit, Qt::Key_Delete);
    check("deleting across lines");
    edit.undo();
    check("undo");
    edit.redo();
    check("redo");
    edit.ClearSheet();
    check("clearing");
    edit.ReplaceSheet([](QTextCursor& c) { tolvane::ui::InsertColoredLines(c, u"a\n\nb=1\n"); });
    check("replacing the sheet");
    cursor.movePosition(QTextCursor::Start);
    cursor.insertText(QStringLiteral("x\ny"));
    check("inserting at the start");
    edit.setPlainText(QStringLiteral("fresh"));
    check("new text");
}

void RecoveryTest::eachWindowWritesItsOwnFileOnceChanged()
{
    QTemporaryDir dir;
    Window first(dir.path());
    Window second(dir.path());
    // The help text at start is nobody's work.
    first.recovery().WriteNow();
    first.recovery().Flush();
    QVERIFY(!QFile::exists(first.recovery().FilePath()));

    QTest::keyClicks(&first.edit(), "1+2=");
    QTest::keyClicks(&second.edit(), "7*8=");
    for (Window* w : {&first, &second}) {
        w->recovery().WriteNow();
        w->recovery().Flush();
        QCOMPARE(ReadAll(w->recovery().FilePath()), Text(w->edit()).toUtf8());
    }
    QVERIFY(first.recovery().FilePath() != second.recovery().FilePath());
    // While both run, neither offers the other's sheet.
    QVERIFY(!first.RecoverOffered());
    QVERIFY(!second.RecoverOffered());

    // Closing writes what the timer has not written yet.
    QTest::keyClicks(&first.edit(), "9-1");
    first.window.close();
    QVERIFY(ReadAll(first.recovery().FilePath()).endsWith("\n9-1"));
}

void RecoveryTest::recoverBringsBackTheNewestSheetOfAWindowThatIsGone()
{
    QTemporaryDir dir;
    constexpr qint64 kDay = 24 * 60 * 60 * 1000;
    LeaveFile(dir.path(), QStringLiteral("sheet-1-1.txt"), "older=1\n", 100'000);
    LeaveFile(dir.path(), QStringLiteral("sheet-2-2.txt"), "1+2=3\nnewest\n", 10'000);
    LeaveFile(dir.path(), QStringLiteral("sheet-0-0.txt"), "ancient\n", 8 * kDay);
    // A window that still runs: its lock is held (here, by the test itself).
    LeaveFile(dir.path(), QStringLiteral("sheet-3-3.txt"), "running\n", 0);
    QLockFile running(dir.filePath(QStringLiteral("sheet-3-3.lock")));
    QVERIFY(running.tryLock(0));

    Window w(dir.path());
    QVERIFY(!QFile::exists(dir.filePath(QStringLiteral("sheet-0-0.txt")))); // a week gone
    QTest::keyClicks(&w.edit(), "5*5");
    const QString before = Text(w.edit());
    QVERIFY(w.RecoverOffered());
    w.recoverItem()->trigger();
    QCOMPARE(Text(w.edit()), QStringLiteral("1+2=3\nnewest\n"));
    QCOMPARE(w.edit().state().currentLine, 2);
    // The recovered text is this window's own now; what it superseded has gone.
    QCOMPARE(ReadAll(w.recovery().FilePath()), QByteArray("1+2=3\nnewest\n"));
    QStringList left = QDir(dir.path()).entryList({QStringLiteral("*.txt")}, QDir::Files);
    QCOMPARE(left, (QStringList{QFileInfo(w.recovery().FilePath()).fileName(),
                                QStringLiteral("sheet-3-3.txt")}));
    QVERIFY(!w.RecoverOffered());

    QTest::keyClick(&w.edit(), Qt::Key_Z, Qt::ControlModifier);
    QCOMPARE(Text(w.edit()), before);
}

void RecoveryTest::nothingToRecoverDisablesTheEntry()
{
    QTemporaryDir dir;
    Window w(dir.path());
    QVERIFY(!w.RecoverOffered());
    // An emptied sheet is nothing to bring back either.
    LeaveFile(dir.path(), QStringLiteral("sheet-4-4.txt"), "", 1000);
    QVERIFY(!w.RecoverOffered());
    LeaveFile(dir.path(), QStringLiteral("sheet-5-5.txt"), "2*2=4", 2000);
    QVERIFY(w.RecoverOffered());
}

// Recovering over an opened file must not leave that file's name on the recovered sheet: 保存
// would write it there. Undo gives the file back with the sheet.
void RecoveryTest::theRecoveredSheetBelongsToNoFile()
{
    QTemporaryDir dir;
    LeaveFile(dir.path(), QStringLiteral("sheet-2-2.txt"), "1+2=3\n", 10'000);
    const QString path = dir.filePath(QStringLiteral("budget.txt"));
    {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("7*8=56\n");
    }
    Window w(dir.path());
    tolvane::ui::FileCommands& files = *w.window.fileCommands();
    QVERIFY(files.OpenFile(path));
    w.recoverItem()->trigger();
    QCOMPARE(Text(w.edit()), QStringLiteral("1+2=3\n"));
    QCOMPARE(files.filePath(), QString());
    QCOMPARE(w.window.windowTitle(), QStringLiteral("Tolvane计算器"));

    w.edit().undo();
    QCOMPARE(Text(w.edit()), QStringLiteral("7*8=56\n"));
    QCOMPARE(files.filePath(), path);
    QCOMPARE(w.window.windowTitle(), QStringLiteral("[*]budget.txt - Tolvane计算器"));
    QVERIFY(!w.window.isWindowModified());
    w.edit().redo();
    QCOMPARE(files.filePath(), QString());
    QCOMPARE(w.window.windowTitle(), QStringLiteral("Tolvane计算器"));
}

QTEST_MAIN(RecoveryTest)
#include "recovery_test.moc"
