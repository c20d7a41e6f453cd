// Sheets on disk in the real window: save and open give the sheet back, real files' encodings are
// read, every refusal and failed save leaves sheet and file as they were, opening is one undo step
// coloured as Enter colours, and the shortcuts, the title and dropped files work.
#include "tests/sheet/recording_notifier.h"
#include "tests/window/file_faults.h"
#include "ui/main/calculator_window.h"
#include "ui/main/file_commands.h"
#include "ui/main/sheet_edit.h"
#include "ui/main/sheet_file.h"

#include <QAction>
#include <QLabel>
#include <QMimeData>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBlock>
#include <QTextDocument>
#include <QUrl>

using tolvane::ui::CalculatorWindow;
using tolvane::ui::FileChooser;
using tolvane::ui::FileCommands;
using tolvane::ui::SaveChoice;
using tolvane::ui::SheetEdit;

namespace {

// Answers the file dialogs with a path set beforehand, and remembers where they started; answers
// the question before unsaved changes are given up with `choice`, and remembers the names asked.
class ScriptedChooser final : public FileChooser {
public:
    QString answer;
    QStringList asked;
    SaveChoice choice = SaveChoice::kCancel;
    QStringList askedToSave;
    QString OpenFileName(QWidget*, const QString& folder) override
    {
        asked << folder;
        return answer;
    }
    QString SaveFileName(QWidget*, const QString& proposed) override
    {
        asked << proposed;
        return answer;
    }
    SaveChoice AskToSave(QWidget*, const QString& fileName) override
    {
        askedToSave << fileName;
        return choice;
    }
};

using tolvane::test::AllowWriting;
using tolvane::test::AsNobody;
using tolvane::test::DenyWriting;

struct Fixture {
    QTemporaryDir dir;
    CalculatorWindow window;
    ScriptedChooser chooser;
    tolvane::sheet::RecordingNotifier notifier;

    Fixture()
    {
        // Readable by nobody too, for the rows that drop root's rights.
        QFile::setPermissions(dir.path(), QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                              QFileDevice::ExeOwner | QFileDevice::ReadOther |
                                              QFileDevice::ExeOther);
        window.setFileChooser(&chooser);
        edit().setNotifier(&notifier);
        window.show();
    }
    ~Fixture() { window.setFileChooser(nullptr); }
    SheetEdit& edit() { return *window.sheetEdit(); }
    FileCommands& files() { return *window.fileCommands(); }
    QString path(const QString& name) const { return dir.filePath(name); }
    QString Text() { return tolvane::ui::DocumentLines(*edit().document()).join(u'\n'); }
};

QByteArray ReadAll(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<unreadable>");
}

void WriteAll(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    QCOMPARE(file.write(bytes), bytes.size());
}

// Every character's format, block by block: what "looks the same" means for two sheets.
QList<QList<QTextCharFormat>> Formats(const QTextDocument& document)
{
    QList<QList<QTextCharFormat>> blocks;
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
        QList<QTextCharFormat> formats;
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            for (int i = 0; i < it.fragment().length(); ++i)
                formats << it.fragment().charFormat();
        }
        blocks << formats;
    }
    return blocks;
}

// Keys as a keyboard with an input method types them, full-width brackets included (QTest's own
// keyClicks takes ASCII only).
void Type(QWidget& widget, const QString& keys)
{
    for (const QChar key : keys) {
        const Qt::Key code = key == u'=' ? Qt::Key_Equal : Qt::Key_unknown;
        QTest::sendKeyEvent(QTest::Click, &widget, code, QString(key), Qt::NoModifier);
    }
}

QColor Foreground(const QTextCharFormat& format)
{
    return format.foreground().color();
}

} // namespace

class SheetFileTest : public QObject {
    Q_OBJECT
private slots:
    void saveThenOpenGivesTheSheetBack_data();
    void saveThenOpenGivesTheSheetBack();
    void opensWhatRealFilesHold_data();
    void opensWhatRealFilesHold();
    void refusalsLeaveTheSheetAsItWas_data();
    void refusalsLeaveTheSheetAsItWas();
    void failedSavesKeepTheOldFile_data();
    void failedSavesKeepTheOldFile();
    void openingIsOneUndoStepAndLooksAsAfterEnter();
    void shortcutsWorkInTheSheetAndTypeNothing();
    void titleNamesTheFileAndMarksChanges();
    void droppedFileOpens();
    void undoAndRedoOfAnOpenTakeTheFileAlong();
    void undoingAnOpenOverANewSheetLeavesNoFile();
    void undoBackToTheSaveIsNoChange();
    void closingAsksBeforeChangesToAFileAreLost_data();
    void closingAsksBeforeChangesToAFileAreLost();
    void closingWithoutChangesToAFileAsksNothing();
    void openingOverChangesToAFileAsksFirst_data();
    void openingOverChangesToAFileAsksFirst();
    void saveAsAfterARefusedOpenStartsWhereTheLastGoodFileWas();
};

void SheetFileTest::saveThenOpenGivesTheSheetBack_data()
{
    QTest::addColumn<QString>("sheet");
    QTest::addColumn<QByteArray>("bytes");
    QTest::newRow("results") << "1+2=3\n2*-3=-6\n1/3=0.333333333333333\n"
                             << QByteArray("1+2=3\n2*-3=-6\n1/3=0.333333333333333\n");
    QTest::newRow("definitions") << "a*b@@a=2,b=3=6\na*b@@a=2,b=3"
                                 << QByteArray("a*b@@a=2,b=3=6\na*b@@a=2,b=3");
    QTest::newRow("chinese")
        << "房租 3500*12=42000\n5+=加法表达式错误\n（1+2）*3=9\n"
        << QStringLiteral("房租 3500*12=42000\n5+=加法表达式错误\n（1+2）*3=9\n").toUtf8();
    QTest::newRow("empty lines") << "\n\n1+1=2\n\n\n" << QByteArray("\n\n1+1=2\n\n\n");
    QTest::newRow("last line without a break") << "7*8=56\n9" << QByteArray("7*8=56\n9");
    QTest::newRow("blanks and a tab") << "  1 + 2=3 \n\t#4=4" << QByteArray("  1 + 2=3 \n\t#4=4");
    QTest::newRow("empty sheet") << "" << QByteArray();
}

void SheetFileTest::saveThenOpenGivesTheSheetBack()
{
    QFETCH(QString, sheet);
    QFETCH(QByteArray, bytes);
    Fixture f;
    f.edit().setPlainText(sheet);
    const QString path = f.path(QStringLiteral("budget.txt"));
    QVERIFY(f.files().SaveTo(path));
    QCOMPARE(ReadAll(path), bytes);

    Fixture other;
    QVERIFY(other.files().OpenFile(path));
    QCOMPARE(other.Text(), sheet);
    QVERIFY(f.notifier.messages.empty() && other.notifier.messages.empty());
}

void SheetFileTest::opensWhatRealFilesHold_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("sheet");
    const QString chinese = QStringLiteral("房租=3500\r\n合计：3500*12=42000\r\n");
    const QString want = QStringLiteral("房租=3500\n合计：3500*12=42000\n");
    // The bytes as such, not from Qt's encoder: a Qt without ICU (Windows) has none.
    QTest::newRow("GB18030 with CR LF")
        << QByteArray("\xB7\xBF\xD7\xE2=3500\r\n\xBA\xCF\xBC\xC6\xA3\xBA"
                      "3500*12=42000\r\n")
        << want;
    QTest::newRow("GBK 你好") << QByteArray("\xC4\xE3\xBA\xC3=1") << QStringLiteral("你好=1");
    QTest::newRow("UTF-8 with BOM and CR LF")
        << QByteArray("\xEF\xBB\xBF") + chinese.toUtf8() << want;
    QTest::newRow("lone CR") << QByteArray("1+2=3\r4\r") << QStringLiteral("1+2=3\n4\n");
    QTest::newRow("UTF-16 LE with BOM")
        << QByteArray("\xFF\xFE", 2) + QByteArray(reinterpret_cast<const char*>(u"1+2=3\n7"), 7 * 2)
        << QStringLiteral("1+2=3\n7");
    // The fixtures tolvane-eval's tests read too: one sheet in every encoding the window opens.
    const QDir fixtures(QStringLiteral(TOLVANE_ENCODINGS_DIR));
    const QString sheet =
        QString::fromUtf8(ReadAll(fixtures.filePath(QStringLiteral("sheet.txt"))));
    for (const QString& name : fixtures.entryList({QStringLiteral("*.txt")}, QDir::Files)) {
        QTest::newRow(qPrintable(QStringLiteral("fixture ") + name))
            << ReadAll(fixtures.filePath(name)) << sheet;
    }
    QTest::newRow("NUL and ESC shown, never dropped") << QByteArray("1+\0"
                                                                    "2\x1B=3\n",
                                                                    8)
                                                      << QStringLiteral("1+\uFFFD2\uFFFD=3\n");
}

void SheetFileTest::opensWhatRealFilesHold()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, sheet);
    Fixture f;
    const QString path = f.path(QStringLiteral("old.txt"));
    WriteAll(path, bytes);
    QVERIFY(f.files().OpenFile(path));
    QCOMPARE(f.Text(), sheet);
    // Saved again, it is plain UTF-8 with LF.
    QVERIFY(f.files().SaveTo(path));
    QCOMPARE(ReadAll(path), sheet.toUtf8());
}

void SheetFileTest::refusalsLeaveTheSheetAsItWas_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("reason");
    QTest::newRow("missing") << "missing" << QStringLiteral("文件不存在");
    QTest::newRow("folder") << "folder" << QStringLiteral("文件夹");
    QTest::newRow("device") << "device" << QStringLiteral("不是普通文件");
    QTest::newRow("unreadable") << "unreadable" << QStringLiteral("没有读取这个文件的权限");
    QTest::newRow("binary") << "binary" << QStringLiteral("不是文本文件");
    QTest::newRow("over 64 MB") << "large" << QStringLiteral("文件太大（65 MB）");
}

void SheetFileTest::refusalsLeaveTheSheetAsItWas()
{
    QFETCH(QString, kind);
    QFETCH(QString, reason);
    Fixture f;
    QTest::keyClicks(&f.edit(), "1+2=");
    QTest::keyClicks(&f.edit(), "3*");
    const QString text = f.Text();
    const auto formats = Formats(*f.edit().document());
    const int caret = f.edit().textCursor().position();
    const int undoSteps = f.edit().document()->availableUndoSteps();

    QString path = f.path(QStringLiteral("refused.txt"));
    if (kind == "folder") {
        path = f.dir.path();
    } else if (kind == "device") {
        path = tolvane::test::EndlessDevice();
        if (path.isEmpty())
            QSKIP("this system has no endless device");
    } else if (kind == "unreadable") {
        WriteAll(path, "1+1");
        if (!tolvane::test::DenyReading(path))
            QSKIP("this system cannot take away the right to read a file");
    } else if (kind == "binary") {
        QByteArray picture("\x89PNG\r\n\x1A\n");
        for (int i = 0; i < 64; ++i)
            picture += QByteArray("\0\0\0\rIHDR\x01\x02\x03", 11);
        WriteAll(path, picture);
    } else if (kind == "large") {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        QVERIFY(file.resize(64 * 1024 * 1024 + 1)); // sparse: nothing is written
    }
    bool opened = true;
    {
        const AsNobody nobody;
        if (!nobody.ok())
            QSKIP("running as root without the right to drop it");
        opened = f.files().OpenFile(path);
    }
    QVERIFY(!opened);
    QCOMPARE(f.Text(), text);
    QCOMPARE(Formats(*f.edit().document()), formats);
    QCOMPARE(f.edit().textCursor().position(), caret);
    QCOMPARE(f.edit().document()->availableUndoSteps(), undoSteps);
    QCOMPARE(f.window.windowTitle(), QStringLiteral("Tolvane计算器"));
    QCOMPARE(f.notifier.messages.size(), std::size_t{1});
    QCOMPARE(QString::fromStdString(f.notifier.messages[0].caption), QStringLiteral("打开文件"));
    const QString message = QString::fromStdString(f.notifier.messages[0].text);
    // The file first, then each sentence on a line of its own: a box never breaks a sentence.
    const QStringList lines = message.split(u'\n');
    QVERIFY2(lines[0].contains(QFileInfo(path).fileName()) && lines[0].endsWith(u'：'),
             qPrintable(message));
    QVERIFY2(lines.size() == 3 && lines[1].contains(reason), qPrintable(message));
}

void SheetFileTest::failedSavesKeepTheOldFile_data()
{
    QTest::addColumn<QString>("kind");
    QTest::newRow("read-only folder") << "readonly";
    QTest::newRow("no room for the whole file") << "full";
    QTest::newRow("/dev/full") << "device";
}

void SheetFileTest::failedSavesKeepTheOldFile()
{
    QFETCH(QString, kind);
    Fixture f;
    const QString folder = f.path(QStringLiteral("keep"));
    QVERIFY(QDir().mkpath(folder));
    QString path = folder + QStringLiteral("/budget.txt");
    const QByteArray old("1+1=2\n");
    WriteAll(path, old);
    QVERIFY(f.files().OpenFile(path));
    // A sheet larger than the room left for it in the "full" row.
    for (int i = 0; i < 200; ++i)
        QTest::keyClicks(&f.edit(), "12345679*9=");
    QVERIFY(f.window.isWindowModified());
    const QString text = f.Text();

    bool saved = true;
    if (kind == "readonly") {
        if (!tolvane::test::DenyWriting(folder))
            QSKIP("this system cannot close a folder to writing");
        const AsNobody nobody;
        if (!nobody.ok())
            QSKIP("running as root without the right to drop it");
        saved = f.files().Save();
    } else if (kind == "full") {
        // Files may grow to 1 KiB only: the write stops part-way, as on a full disk.
        const tolvane::test::FileSizeLimit limit(1024);
        if (!limit.ok())
            QSKIP("this system cannot limit a file's size");
        saved = f.files().Save();
    } else {
        path = tolvane::test::FullDevice();
        if (path.isEmpty())
            QSKIP("this system has no full device");
        saved = f.files().SaveTo(path);
        QVERIFY(!QFileInfo(path).isFile());
    }
    tolvane::test::AllowWriting(folder);
    QVERIFY(!saved);
    if (kind != "device")
        QCOMPARE(ReadAll(path), old);
    QCOMPARE(QDir(folder).entryList(QDir::Files | QDir::Hidden), QStringList{"budget.txt"});
    QCOMPARE(f.Text(), text);
    QVERIFY(f.window.isWindowModified());
    QCOMPARE(f.notifier.messages.size(), std::size_t{1});
    QCOMPARE(QString::fromStdString(f.notifier.messages[0].caption), QStringLiteral("保存文件"));
    const QString message = QString::fromStdString(f.notifier.messages[0].text);
    QVERIFY2(message.contains(QFileInfo(path).fileName()), qPrintable(message));
}

void SheetFileTest::openingIsOneUndoStepAndLooksAsAfterEnter()
{
    // Lines evaluated with Enter in one window, saved, then opened in another.
    Fixture typed;
    typed.edit().clear();
    for (const char* line : {"1+2=", "2*(3+4)=", "2*-3=", "5+=", "abc=", "（1+2）*3="})
        Type(typed.edit(), QString::fromUtf8(line));
    QTest::keyClicks(&typed.edit(), "a*b@@a=2,b=3=");
    QTest::keyClicks(&typed.edit(), "7*8");
    const QString path = typed.path(QStringLiteral("typed.txt"));
    QVERIFY(typed.files().SaveTo(path));

    Fixture f;
    QTest::keyClicks(&f.edit(), "9-1");
    const QString before = f.Text();
    QVERIFY(f.files().OpenFile(path));
    QCOMPARE(f.Text(), typed.Text());
    const auto want = Formats(*typed.edit().document());
    const auto got = Formats(*f.edit().document());
    QCOMPARE(got.size(), want.size());
    for (int line = 0; line < got.size(); ++line) {
        const QString text = f.edit().document()->findBlockByNumber(line).text();
        if (text == QStringLiteral("7*8")) {
            // Typed but never evaluated: lime, as the help text.
            for (const QTextCharFormat& format : got[line])
                QCOMPARE(Foreground(format), QColor(0, 255, 0));
        } else {
            QVERIFY2(got[line] == want[line], qPrintable(text));
        }
    }
    // Caret at the end, and the next Enter evaluates the caret's line.
    QCOMPARE(f.edit().textCursor().position(), f.edit().document()->characterCount() - 1);
    QCOMPARE(f.edit().state().currentLine, got.size() - 1);
    QCOMPARE(f.edit().state().clickPos, 0);
    QTest::keyClick(&f.edit(), Qt::Key_Return);
    QVERIFY(f.Text().contains(QStringLiteral("\n7*8=56\n")));

    QTest::keyClick(&f.edit(), Qt::Key_Z, Qt::ControlModifier); // the Enter
    QTest::keyClick(&f.edit(), Qt::Key_Z, Qt::ControlModifier); // the open
    QCOMPARE(f.Text(), before);
}

void SheetFileTest::shortcutsWorkInTheSheetAndTypeNothing()
{
    Fixture f;
    f.window.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&f.window));
    f.edit().setFocus();
    QTest::keyClicks(&f.edit(), "6*7=");
    const QString text = f.Text();
    const QString first = f.path(QStringLiteral("first.txt"));
    const QString second = f.path(QStringLiteral("second.txt"));

    f.chooser.answer = first;
    QTest::keyClick(&f.edit(), Qt::Key_S, Qt::ControlModifier); // no file yet: asks for one
    QCOMPARE(f.chooser.asked.size(), 1);
    QCOMPARE(ReadAll(first), text.toUtf8());
    QTest::keyClicks(&f.edit(), "1");
    QTest::keyClick(&f.edit(), Qt::Key_S, Qt::ControlModifier); // saves without asking
    QCOMPARE(f.chooser.asked.size(), 1);
    QCOMPARE(ReadAll(first), (text + u'1').toUtf8());

    f.chooser.answer = second;
    QTest::keyClick(&f.edit(), Qt::Key_S, Qt::ControlModifier | Qt::ShiftModifier);
    QCOMPARE(f.chooser.asked.size(), 2);
    QCOMPARE(f.chooser.asked.last(), first); // Save As starts from the current file
    QCOMPARE(f.files().filePath(), second);

    WriteAll(first, "5*5=25\n");
    f.chooser.answer = first;
    QTest::keyClick(&f.edit(), Qt::Key_O, Qt::ControlModifier);
    QCOMPARE(f.chooser.asked.last(), f.dir.path()); // the folder last used
    QCOMPARE(f.Text(), QStringLiteral("5*5=25\n"));
}

void SheetFileTest::titleNamesTheFileAndMarksChanges()
{
    Fixture f;
    const QString path = f.path(QStringLiteral("budget.txt"));
    WriteAll(path, "1+1=2\n");
    QVERIFY(f.files().OpenFile(path));
    QCOMPARE(f.window.windowTitle(), QStringLiteral("[*]budget.txt - Tolvane计算器"));
    QVERIFY(!f.window.isWindowModified());
    QTest::keyClicks(&f.edit(), "2");
    QVERIFY(f.window.isWindowModified());
    QVERIFY(f.files().Save());
    QVERIFY(!f.window.isWindowModified());
    // The caption strip keeps the calculator's own name.
    QCOMPARE(f.window.findChild<QLabel*>(QStringLiteral("TitleLabel"))->text(),
             QStringLiteral("Tolvane计算器"));
}

void SheetFileTest::droppedFileOpens()
{
    Fixture f;
    const QString path = f.path(QStringLiteral("dropped.txt"));
    WriteAll(path, "3*3=9\n");
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(path)});
    QWidget* target = f.edit().viewport();
    QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(target, &enter);
    QVERIFY(enter.isAccepted());
    QDropEvent drop(QPointF(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(target, &drop);
    QVERIFY(drop.isAccepted());
    QTRY_COMPARE(f.Text(), QStringLiteral("3*3=9\n"));
    QCOMPARE(f.window.windowTitle(), QStringLiteral("[*]dropped.txt - Tolvane计算器"));
}

// The issue this guards against: after Ctrl+Z of an open the title kept the opened file's name,
// and Ctrl+S wrote the old sheet over that file.
void SheetFileTest::undoAndRedoOfAnOpenTakeTheFileAlong()
{
    Fixture f;
    f.window.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&f.window));
    f.edit().setFocus();
    const QString first = f.path(QStringLiteral("first.txt"));
    const QString second = f.path(QStringLiteral("second.txt"));
    f.edit().clear();
    QTest::keyClicks(&f.edit(), "1+2=");
    QVERIFY(f.files().SaveTo(first));
    QTest::keyClicks(&f.edit(), "4");
    const QString firstSheet = f.Text();
    WriteAll(second, "7*8=56\n");
    QVERIFY(f.files().OpenFile(second));
    QCOMPARE(f.window.windowTitle(), QStringLiteral("[*]second.txt - Tolvane计算器"));
    QVERIFY(!f.window.isWindowModified());

    QTest::keyClick(&f.edit(), Qt::Key_Z, Qt::ControlModifier);
    QCOMPARE(f.Text(), firstSheet);
    QCOMPARE(f.files().filePath(), first);
    QCOMPARE(f.window.windowTitle(), QStringLiteral("[*]first.txt - Tolvane计算器"));
    QVERIFY(f.window.isWindowModified()); // the 4 was never saved
    QTest::keyClick(&f.edit(), Qt::Key_S, Qt::ControlModifier);
    QCOMPARE(ReadAll(second), QByteArray("7*8=56\n"));
    QCOMPARE(ReadAll(first), firstSheet.toUtf8());
    QVERIFY(!f.window.isWindowModified());

    QTest::keyClick(&f.edit(), Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
    QCOMPARE(f.Text(), QStringLiteral("7*8=56\n"));
    QCOMPARE(f.files().filePath(), second);
    QVERIFY(!f.window.isWindowModified());
    // A save under a new name goes with the sheet wherever undo and redo take it.
    const QString third = f.path(QStringLiteral("third.txt"));
    f.chooser.answer = third;
    QVERIFY(f.files().SaveAs());
    f.edit().undo();
    QCOMPARE(f.files().filePath(), first);
    QVERIFY(!f.window.isWindowModified());
    f.edit().redo();
    QCOMPARE(f.files().filePath(), third);
    QCOMPARE(f.window.windowTitle(), QStringLiteral("[*]third.txt - Tolvane计算器"));
    QVERIFY(!f.window.isWindowModified());
    QVERIFY(f.chooser.askedToSave.isEmpty());
}

void SheetFileTest::undoingAnOpenOverANewSheetLeavesNoFile()
{
    Fixture f;
    f.window.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&f.window));
    f.edit().setFocus();
    QTest::keyClicks(&f.edit(), "6*7");
    const QString typed = f.Text();
    const QString path = f.path(QStringLiteral("empty.txt"));
    WriteAll(path, "");
    QVERIFY(f.files().OpenFile(path));
    QTest::keyClick(&f.edit(), Qt::Key_Z, Qt::ControlModifier);
    QCOMPARE(f.Text(), typed);
    QCOMPARE(f.files().filePath(), QString());
    QCOMPARE(f.window.windowTitle(), QStringLiteral("Tolvane计算器"));
    QVERIFY(!f.window.isWindowModified());
    // 保存 asks for a name instead of writing into empty.txt.
    f.chooser.answer.clear();
    QTest::keyClick(&f.edit(), Qt::Key_S, Qt::ControlModifier);
    QCOMPARE(f.chooser.asked.size(), 1);
    QCOMPARE(ReadAll(path), QByteArray());
}

void SheetFileTest::undoBackToTheSaveIsNoChange()
{
    Fixture f;
    const QString path = f.path(QStringLiteral("budget.txt"));
    WriteAll(path, "1+1=2\n");
    QVERIFY(f.files().OpenFile(path));
    for (int round = 0; round < 2; ++round) {
        QTest::keyClicks(&f.edit(), "35");
        QVERIFY(f.window.isWindowModified());
        QTest::keyClick(&f.edit(), Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(f.Text(), QStringLiteral("1+1=2\n"));
        QVERIFY2(!f.window.isWindowModified(), "round " + QByteArray::number(round));
    }
    // A new edit after undoing past the save makes the saved text unreachable by redo.
    QTest::keyClick(&f.edit(), Qt::Key_Z, Qt::ControlModifier); // the open
    QTest::keyClicks(&f.edit(), "9");
    QTest::keyClick(&f.edit(), Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
    QCOMPARE(f.files().filePath(), QString());
}

void SheetFileTest::closingAsksBeforeChangesToAFileAreLost_data()
{
    QTest::addColumn<int>("choice");
    QTest::addColumn<bool>("saveFails");
    QTest::addColumn<bool>("closes");
    QTest::addColumn<bool>("saved");
    QTest::newRow("保存") << int(SaveChoice::kSave) << false << true << true;
    QTest::newRow("不保存") << int(SaveChoice::kDiscard) << false << true << false;
    QTest::newRow("取消") << int(SaveChoice::kCancel) << false << false << false;
    QTest::newRow("保存 fails") << int(SaveChoice::kSave) << true << false << false;
}

void SheetFileTest::closingAsksBeforeChangesToAFileAreLost()
{
    QFETCH(int, choice);
    QFETCH(bool, saveFails);
    QFETCH(bool, closes);
    QFETCH(bool, saved);
    Fixture f;
    const QString folder = f.path(QStringLiteral("keep"));
    QVERIFY(QDir().mkpath(folder));
    const QString path = folder + QStringLiteral("/budget.txt");
    WriteAll(path, "1+1=2\n");
    QVERIFY(f.files().OpenFile(path));
    QTest::keyClicks(&f.edit(), "3*3=");
    const QString text = f.Text();
    f.chooser.choice = SaveChoice(choice);

    bool closed = false;
    if (saveFails) {
        if (!DenyWriting(folder))
            QSKIP("this system cannot close a folder to writing");
        const AsNobody nobody;
        if (!nobody.ok()) {
            AllowWriting(folder);
            QSKIP("running as root without the right to drop it");
        }
        closed = f.window.close();
    } else {
        closed = f.window.close();
    }
    AllowWriting(folder);
    QCOMPARE(f.chooser.askedToSave, QStringList{QStringLiteral("budget.txt")});
    QCOMPARE(closed, closes);
    QCOMPARE(f.window.isVisible(), !closes);
    QCOMPARE(ReadAll(path), saved ? text.toUtf8() : QByteArray("1+1=2\n"));
    QCOMPARE(f.Text(), text);
    QCOMPARE(f.notifier.messages.size(), std::size_t{saveFails ? 1u : 0u});
}

void SheetFileTest::closingWithoutChangesToAFileAsksNothing()
{
    {
        Fixture f; // typed into, never saved: the recovery file keeps it
        QTest::keyClicks(&f.edit(), "1+2=");
        QVERIFY(f.window.close());
        QVERIFY(f.chooser.askedToSave.isEmpty());
    }
    Fixture f; // saved, then nothing changed
    QTest::keyClicks(&f.edit(), "1+2=");
    QVERIFY(f.files().SaveTo(f.path(QStringLiteral("saved.txt"))));
    QVERIFY(f.window.close());
    QVERIFY(f.chooser.askedToSave.isEmpty());
}

void SheetFileTest::openingOverChangesToAFileAsksFirst_data()
{
    QTest::addColumn<QString>("how");
    QTest::addColumn<int>("choice");
    QTest::addColumn<bool>("opens");
    QTest::newRow("打开…, 取消") << "menu" << int(SaveChoice::kCancel) << false;
    QTest::newRow("打开…, 不保存") << "menu" << int(SaveChoice::kDiscard) << true;
    QTest::newRow("dropped, 取消") << "drop" << int(SaveChoice::kCancel) << false;
    QTest::newRow("dropped, 保存") << "drop" << int(SaveChoice::kSave) << true;
}

void SheetFileTest::openingOverChangesToAFileAsksFirst()
{
    QFETCH(QString, how);
    QFETCH(int, choice);
    QFETCH(bool, opens);
    Fixture f;
    const QString path = f.path(QStringLiteral("budget.txt"));
    const QString other = f.path(QStringLiteral("other.txt"));
    WriteAll(path, "1+1=2\n");
    WriteAll(other, "2*2=4\n");
    QVERIFY(f.files().OpenFile(path));
    QTest::keyClicks(&f.edit(), "5");
    const QString text = f.Text();
    f.chooser.choice = SaveChoice(choice);
    f.chooser.answer = other;
    if (how == "menu") {
        f.files().Open();
        // 取消 comes before the file dialog.
        QCOMPARE(f.chooser.asked.size(), opens ? 1 : 0);
    } else {
        QMimeData data;
        data.setUrls({QUrl::fromLocalFile(other)});
        QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &data, Qt::LeftButton,
                              Qt::NoModifier);
        QCoreApplication::sendEvent(f.edit().viewport(), &enter);
        QDropEvent drop(QPointF(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(f.edit().viewport(), &drop);
        QTRY_COMPARE(f.chooser.askedToSave.size(), 1);
    }
    QCOMPARE(f.chooser.askedToSave, QStringList{QStringLiteral("budget.txt")});
    QCOMPARE(f.Text(), opens ? QStringLiteral("2*2=4\n") : text);
    QCOMPARE(f.files().filePath(), opens ? other : path);
    QCOMPARE(ReadAll(path), choice == int(SaveChoice::kSave) ? text.toUtf8() : "1+1=2\n");
}

void SheetFileTest::saveAsAfterARefusedOpenStartsWhereTheLastGoodFileWas()
{
    Fixture f;
    const QString good = f.path(QStringLiteral("good"));
    const QString bad = f.path(QStringLiteral("bad"));
    QVERIFY(QDir().mkpath(good) && QDir().mkpath(bad));
    WriteAll(good + QStringLiteral("/budget.txt"), "1+1=2\n");
    QVERIFY(f.files().OpenFile(good + QStringLiteral("/budget.txt")));
    f.edit().undo(); // the sheet has no file again, the folder stays the last good one
    QVERIFY(!f.files().OpenFile(bad + QStringLiteral("/missing.txt")));
    f.chooser.answer.clear();
    QVERIFY(!f.files().SaveAs());
    QCOMPARE(f.chooser.asked.last(), good);
    // 打开… goes back to where the refused file was: the right one is likely beside it.
    f.files().Open();
    QCOMPARE(f.chooser.asked.last(), bad);
}

QTEST_MAIN(SheetFileTest)
#include "sheet_file_test.moc"
