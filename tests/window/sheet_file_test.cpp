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
using tolvane::ui::SheetEdit;

namespace {

// Answers the file dialogs with a path set beforehand, and remembers where they started.
class ScriptedChooser final : public FileChooser {
public:
    QString answer;
    QStringList asked;
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
};

using tolvane::test::AsNobody;

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
    QTest::newRow("over 64 MiB") << "large" << QStringLiteral("文件太大（65 MiB）");
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
    QVERIFY2(message.contains(QFileInfo(path).fileName()), qPrintable(message));
    QVERIFY2(message.contains(reason), qPrintable(message));
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

QTEST_MAIN(SheetFileTest)
#include "sheet_file_test.moc"
