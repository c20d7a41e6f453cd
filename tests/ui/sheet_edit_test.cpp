// The sheet widget under real key events and mouse clicks, read back from the document.
#include "engine/engine.h"
#include "tests/sheet/recording_notifier.h"
#include "ui/main/sheet_edit.h"
#include "ui/main/text_edit_sheet.h"

#include <QApplication>
#include <QClipboard>
#include <QLabel>
#include <QMessageBox>
#include <QScreen>
#include <QScrollBar>
#include <QTest>
#include <QTextBlock>
#include <QTextLayout>
#include <QTimer>
#include <QVBoxLayout>

namespace tolvane::ui {

class SheetEditTest : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void typedLineIsEvaluatedAndColoured_data();
    void typedLineIsEvaluatedAndColoured();
    void operatorsAreRedWhileTyping();
    void faultDropsTheKey();
    void failedLineShowsTheBox();
    void equalsIsLiteralInADefinition();
    void pasteRecoloursTheCurrentLine();
    void pastedLineBreaksOpenOneLineEach();
    void ctrlShiftVIsNoPaste();
    void emptyPasteWaitsForTheNextChange();
    void emptyPasteEndsAtTheSheetsOwnEdit_data();
    void emptyPasteEndsAtTheSheetsOwnEdit();
    void undoAndRedoMakeTheCaretsLineCurrent();
    void enterAfterUndoForgetsTheClick();
    void boxesOpenWithNoEditOpen_data();
    void boxesOpenWithNoEditOpen();
    void boxesAreModalAndParentedToTheWindow_data();
    void boxesAreModalAndParentedToTheWindow();
    void boxesAreAsWideAsTheirLongestLine();
    void clickedLineIsEvaluated();
    void operatorAfterClickAtLineEndStaysOnTheLine();
    void typingOverASelectionTakesTheKeysColour();
    void enterIsOneUndoStep();
    void ctrlYAndCtrlShiftZRedo();
    void clearSheetIsOneUndoStep();
    void appendedLinesEndOnAnEmptyLine();
    void insertTemplateGoesToTheCaretsLineAfterClear();
    void positionsCountALineBreakAsTwo();
    void longLinesWrapAndStayOneLine_data();
    void longLinesWrapAndStayOneLine();

private:
    // 'r' for red, 'l' for lime, one letter a character of the line.
    QString ColorMask(int line) const;
    TextEditSheet& Sheet() const { return static_cast<TextEditSheet&>(m_edit->sheet()); }
    void ClickAt(int sheetPos);

    SheetEdit* m_edit = nullptr;
    sheet::RecordingNotifier m_notifier;
};

void SheetEditTest::init()
{
    m_edit = new SheetEdit;
    m_edit->setNotifier(&m_notifier);
    m_edit->resize(400, 300);
    m_edit->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_edit));
    m_notifier = {};
}

void SheetEditTest::cleanup()
{
    delete m_edit;
    m_edit = nullptr;
}

QString SheetEditTest::ColorMask(int line) const
{
    QString mask;
    const int length = static_cast<int>(Sheet().LineText(line).size());
    for (int column = 0; column < length; ++column)
        mask += Sheet().ColorAt(line, column) == sheet::kRed ? u'r' : u'l';
    return mask;
}

void SheetEditTest::ClickAt(int sheetPos)
{
    QTextCursor cursor = m_edit->textCursor();
    cursor.setPosition(Sheet().ToDocumentPos(sheetPos));
    const QPoint point = m_edit->cursorRect(cursor).center();
    QTest::mouseClick(m_edit->viewport(), Qt::LeftButton, {}, point);
}

void SheetEditTest::typedLineIsEvaluatedAndColoured_data()
{
    QTest::addColumn<QString>("keys");
    QTest::addColumn<bool>("viaEquals");
    QTest::addColumn<QString>("line");
    QTest::addColumn<QString>("mask");
    QTest::newRow("1+2 Enter") << "1+2" << false << "1+2=3"
                               << "lrlrl";
    QTest::newRow("1+2 =") << "1+2" << true << "1+2=3"
                           << "lrlrl";
    QTest::newRow("parentheses") << "(1+2)*3" << true << "(1+2)*3=9"
                                 << "rlrlrrlrl";
    QTest::newRow("nested") << "2*(3+4)" << false << "2*(3+4)=14"
                            << "lrrlrlrrll";
    QTest::newRow("diagnosis") << "5+" << true << "5+=加法表达式错误"
                               << "lrrlllllll";
    QTest::newRow("blanks, quiet") << "1 + 2" << false << "1 + 2=3"
                                   << "llrllrl";
    QTest::newRow("again") << "1+2=99" << false << "1+2=3"
                           << "lrlrl";
}

void SheetEditTest::typedLineIsEvaluatedAndColoured()
{
    QFETCH(QString, keys);
    QFETCH(bool, viaEquals);
    QFETCH(QString, line);
    QFETCH(QString, mask);
    if (keys.contains(u'=')) {
        // A "=" typed outside a definition would evaluate; put an earlier result in place.
        m_edit->sheet().ReplaceLine(0, keys.toStdU16String());
        m_edit->moveCursor(QTextCursor::End);
    } else {
        QTest::keyClicks(m_edit, keys);
    }
    if (viaEquals)
        QTest::keyClick(m_edit, Qt::Key_Equal, Qt::NoModifier);
    else
        QTest::keyClick(m_edit, Qt::Key_Return);
    QCOMPARE(m_edit->toPlainText(), line + "\n");
    QCOMPARE(ColorMask(0), mask);
    QCOMPARE(m_edit->textCursor().blockNumber(), 1);
    QCOMPARE(m_edit->state().currentLine, 1);
}

void SheetEditTest::operatorsAreRedWhileTyping()
{
    QTest::keyClicks(m_edit, "(12)-3/x");
    QCOMPARE(ColorMask(0), QString("rllrrlrl"));
    QTest::keyClick(m_edit, Qt::Key_Home);
    QTest::keyClick(m_edit, Qt::Key_Delete);
    QTest::keyClick(m_edit, Qt::Key_End);
    QTest::keyClick(m_edit, Qt::Key_Enter, Qt::KeypadModifier);
    QCOMPARE(m_edit->toPlainText(), QString("12)-3/x=减法表达式错误\n"));
}

void SheetEditTest::faultDropsTheKey()
{
    QTest::keyClicks(m_edit, "1/0");
    QTest::keyClick(m_edit, Qt::Key_Return);
    QCOMPARE(m_edit->toPlainText(), QString("1/0"));
    QCOMPARE(m_notifier.faults, std::vector<std::string>{"Floating point division by zero"});
    QCOMPARE(m_edit->state().currentLine, 0);
}

void SheetEditTest::failedLineShowsTheBox()
{
    QTest::keyClicks(m_edit, "foo(1)");
    QTest::keyClick(m_edit, Qt::Key_Return);
    QCOMPARE(m_edit->toPlainText(), QString("foo(1)=\n"));
    QCOMPARE(m_notifier.messages.size(), std::size_t{1});
    QCOMPARE(m_notifier.messages[0].caption, std::string("出错"));
    QCOMPARE(m_notifier.messages[0].text, std::string("表达式输入错误或者超出计算范围！！"));
}

void SheetEditTest::equalsIsLiteralInADefinition()
{
    QTest::keyClicks(m_edit, "a*b@@a=2,b=3");
    QCOMPARE(m_edit->toPlainText(), QString("a*b@@a=2,b=3"));
    QTest::keyClicks(m_edit, "=");
    QCOMPARE(m_edit->toPlainText(), QString("a*b@@a=2,b=3=6\n"));
    QCOMPARE(ColorMask(0), QString("lrllllrlllrlrl"));
}

void SheetEditTest::pasteRecoloursTheCurrentLine()
{
    QTest::keyClicks(m_edit, "1+2");
    QTest::keyClick(m_edit, Qt::Key_Return);
    QTest::keyClicks(m_edit, "2+");
    QTest::keyClick(m_edit, Qt::Key_Home);
    QApplication::clipboard()->setText("(3*4)-");
    QTest::keyClick(m_edit, Qt::Key_V, Qt::ControlModifier);
    QCOMPARE(m_edit->toPlainText(), QString("1+2=3\n(3*4)-2+"));
    QCOMPARE(ColorMask(1), QString("rlrlrrlr"));
    QCOMPARE(m_edit->textCursor().position(), m_edit->document()->characterCount() - 1);
    // The paste and its colours are one undo step.
    m_edit->undo();
    QCOMPARE(m_edit->toPlainText(), QString("1+2=3\n2+"));
}

void SheetEditTest::pastedLineBreaksOpenOneLineEach()
{
    QApplication::clipboard()->setText("1+1\r\n2*3\r4");
    QTest::keyClick(m_edit, Qt::Key_V, Qt::ControlModifier);
    QCOMPARE(m_edit->toPlainText(), QString("1+1\n2*3\n4"));
}

void SheetEditTest::ctrlShiftVIsNoPaste()
{
    QTest::keyClicks(m_edit, "7");
    QApplication::clipboard()->setText("1+1");
    QTest::keyClick(m_edit, Qt::Key_V, Qt::ControlModifier | Qt::ShiftModifier);
    QTest::keyClick(m_edit, Qt::Key_Home);
    QTest::keyClicks(m_edit, "8");
    // No paste was pending, so typing stays where the caret is.
    QCOMPARE(m_edit->toPlainText(), QString("87"));
    QCOMPARE(m_edit->textCursor().position(), 1);
}

void SheetEditTest::emptyPasteWaitsForTheNextChange()
{
    QTest::keyClicks(m_edit, "1+2");
    QApplication::clipboard()->clear();
    QTest::keyClick(m_edit, Qt::Key_V, Qt::ControlModifier);
    QTest::keyClick(m_edit, Qt::Key_Home);
    QTest::keyClicks(m_edit, "8");
    // The typed character is the change that follows the paste: the line is recoloured and the
    // caret goes to its end.
    QCOMPARE(m_edit->toPlainText(), QString("81+2"));
    QCOMPARE(m_edit->textCursor().position(), 4);
    QTest::keyClicks(m_edit, "9");
    QCOMPARE(m_edit->toPlainText(), QString("81+29"));
}

void SheetEditTest::emptyPasteEndsAtTheSheetsOwnEdit_data()
{
    QTest::addColumn<bool>("byTemplate");
    QTest::newRow("Enter") << false;
    QTest::newRow("template") << true;
}

// Ctrl+V with nothing to paste, then an edit the sheet makes itself: that edit is the change the
// paste waited for, so a later keystroke types where the caret is.
void SheetEditTest::emptyPasteEndsAtTheSheetsOwnEdit()
{
    QFETCH(bool, byTemplate);
    QTest::keyClicks(m_edit, "1+2");
    QTest::keyClick(m_edit, Qt::Key_Return);
    QTest::keyClicks(m_edit, "3-1");
    QApplication::clipboard()->clear();
    QTest::keyClick(m_edit, Qt::Key_V, Qt::ControlModifier);
    if (byTemplate)
        m_edit->InsertTemplate("sin()");
    else
        QTest::keyClick(m_edit, Qt::Key_Return);
    ClickAt(1); // between "1" and "+" of 1+2=3
    QTest::keyClicks(m_edit, "94");
    QCOMPARE(Sheet().LineText(0), std::u16string(u"194+2=3"));
    QCOMPARE(m_edit->textCursor().position(), 3);
}

// After an undo or redo the current line is the caret's, and no earlier click is used.
void SheetEditTest::undoAndRedoMakeTheCaretsLineCurrent()
{
    QTest::keyClicks(m_edit, "1+2");
    QTest::keyClick(m_edit, Qt::Key_Return);
    QTest::keyClicks(m_edit, "76");
    ClickAt(1);
    QCOMPARE(m_edit->state().currentLine, 0);
    QTest::keyClick(m_edit, Qt::Key_Down);
    QTest::keyClick(m_edit, Qt::Key_End);
    QTest::keyClick(m_edit, Qt::Key_Z, Qt::ControlModifier);
    QCOMPARE(m_edit->toPlainText(), QString("1+2=3\n"));
    QCOMPARE(m_edit->state().currentLine, 1);
    QCOMPARE(m_edit->state().clickPos, 0);
    m_edit->InsertTemplate("sin()");
    QCOMPARE(m_edit->toPlainText(), QString("1+2=3\nsin()"));

    // Redo follows the caret too: click the first line, undo the template, redo it.
    ClickAt(2);
    m_edit->undo();
    m_edit->redo();
    QCOMPARE(m_edit->toPlainText(), QString("1+2=3\nsin()"));
    QCOMPARE(m_edit->state().currentLine, m_edit->textCursor().blockNumber());
    QCOMPARE(m_edit->state().clickPos, 0);
}

void SheetEditTest::enterAfterUndoForgetsTheClick()
{
    QTest::keyClicks(m_edit, "1+2");
    QTest::keyClick(m_edit, Qt::Key_Return);
    QTest::keyClicks(m_edit, "2*3");
    QTest::keyClick(m_edit, Qt::Key_Return);
    ClickAt(1);
    QTest::keyClick(m_edit, Qt::Key_Z, Qt::ControlModifier);
    QCOMPARE(m_edit->toPlainText(), QString("1+2=3\n2*3"));
    // Enter evaluates the caret's line, not the one clicked before the undo.
    QTest::keyClick(m_edit, Qt::Key_Down);
    QTest::keyClick(m_edit, Qt::Key_End);
    QTest::keyClick(m_edit, Qt::Key_Return);
    QCOMPARE(m_edit->toPlainText(), QString("1+2=3\n2*3=6\n"));
}

namespace {

// A box that looks at the sheet and edits it while it is open, as anything running in a modal
// box's event loop may.
class MeddlingNotifier final : public sheet::Notifier {
public:
    explicit MeddlingNotifier(SheetEdit& edit)
        : m_edit(edit)
    {}
    void ShowMessage(std::string_view, std::string_view) override { Meddle(); }
    void ReportFault(std::string_view) override { Meddle(); }

    int boxes = 0;
    int caretSeen = -1;

private:
    void Meddle()
    {
        ++boxes;
        caretSeen = m_edit.textCursor().position();
        QTextCursor end(m_edit.document());
        end.movePosition(QTextCursor::End);
        end.insertText(QStringLiteral("8"));
        QCoreApplication::processEvents();
    }
    SheetEdit& m_edit;
};

} // namespace

void SheetEditTest::boxesOpenWithNoEditOpen_data()
{
    QTest::addColumn<QString>("line");
    QTest::addColumn<QString>("after");
    QTest::addColumn<QString>("afterUndo");
    // The text written after the box is an undo step of its own: one undo takes back the
    // rewritten line and the new line, not what was done while the box showed.
    QTest::newRow("error box") << "foo(1)"
                               << "foo(1)=\n\n9\n8"
                               << "foo(1)\n9\n8";
    QTest::newRow("fault report") << "1/0"
                                  << "1/0\n9\n8"
                                  << "1/0\n9\n";
}

void SheetEditTest::boxesOpenWithNoEditOpen()
{
    QFETCH(QString, line);
    QFETCH(QString, after);
    QFETCH(QString, afterUndo);
    MeddlingNotifier boxes(*m_edit);
    m_edit->setNotifier(&boxes);
    m_edit->sheet().AppendLine(line.toStdU16String());
    m_edit->sheet().AppendLine(u"9");
    m_edit->document()->clearUndoRedoStacks();
    ClickAt(2);
    QTest::keyClick(m_edit, Qt::Key_Down);
    QTest::keyClick(m_edit, Qt::Key_Down);
    QTest::keyClick(m_edit, Qt::Key_Return);
    m_edit->setNotifier(&m_notifier);
    QCOMPARE(boxes.boxes, 1);
    // The box saw the caret where the evaluation had put it: on the clicked line.
    QCOMPARE(boxes.caretSeen, 2);
    QCOMPARE(m_edit->toPlainText(), after);
    m_edit->undo();
    QCOMPARE(m_edit->toPlainText(), afterUndo);
}

void SheetEditTest::boxesAreModalAndParentedToTheWindow_data()
{
    QTest::addColumn<QString>("line");
    QTest::addColumn<int>("icon");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QString>("text");
    QTest::newRow("error box") << "foo(1)" << int(QMessageBox::Warning) << "出错"
                               << "表达式输入错误或者超出计算范围！！";
    QTest::newRow("fault report") << "5*0/0" << int(QMessageBox::Critical)
                                  << QStringLiteral("Tolvane计算器")
                                  << "Invalid floating point operation";
}

void SheetEditTest::boxesAreModalAndParentedToTheWindow()
{
    QFETCH(QString, line);
    QFETCH(int, icon);
    QFETCH(QString, caption);
    QFETCH(QString, text);
    QWidget window;
    auto* edit = new SheetEdit;
    (new QVBoxLayout(&window))->addWidget(edit);
    window.show();
    QTest::keyClicks(edit, line);
    QMessageBox* seen = nullptr;
    struct {
        int icon = -1;
        QString caption, text;
        QWidget* parent = nullptr;
        bool modal = false;
        QMessageBox::StandardButtons buttons;
    } box;
    // The box's own event loop runs this; closing it lets the key handling go on.
    QTimer::singleShot(0, [&] {
        seen = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!seen)
            return;
        box = {int(seen->icon()),    seen->windowTitle(), seen->text(),
               seen->parentWidget(), seen->isModal(),     seen->standardButtons()};
        seen->accept();
    });
    QTest::keyClick(edit, Qt::Key_Return);
    QVERIFY(seen != nullptr);
    QCOMPARE(box.icon, icon);
    QCOMPARE(box.caption, caption);
    QCOMPARE(box.text, text);
    QCOMPARE(box.parent, &window);
    QVERIFY(box.modal);
    QCOMPARE(box.buttons, QMessageBox::StandardButtons(QMessageBox::Ok));
}

// QMessageBox alone breaks a line past about 500 pixels, and Chinese between any two characters:
// a sentence came out as "权限被" / "拒绝".
void SheetEditTest::boxesAreAsWideAsTheirLongestLine()
{
    QWidget window;
    auto* edit = new SheetEdit;
    (new QVBoxLayout(&window))->addWidget(edit);
    window.show();
    const QFontMetrics metrics(QApplication::font("QMessageBox"));
    QString sentence = QStringLiteral("无法在这个文件夹中创建文件（");
    while (metrics.horizontalAdvance(sentence) < 520)
        sentence += QStringLiteral("权限被拒绝");
    sentence += QStringLiteral("）。");
    if (metrics.horizontalAdvance(sentence) > window.screen()->availableGeometry().width() - 150)
        QSKIP("the screen is too narrow for a line that QMessageBox would break");
    const QString text = QStringLiteral("无法保存到“/home/用户/budget.txt”：\n") + sentence +
                         QStringLiteral("\n原来的文件没有改动。");
    QStringList tooWide;
    bool shown = false;
    QTimer::singleShot(0, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box)
            return;
        shown = true;
        const auto* label = box->findChild<QLabel*>(QStringLiteral("qt_msgbox_label"));
        for (const QString& line : text.split(u'\n')) {
            if (!label ||
                label->fontMetrics().horizontalAdvance(line) > label->contentsRect().width())
                tooWide << line;
        }
        box->accept();
    });
    edit->notifier().ShowMessage("保存文件", text.toStdString());
    QVERIFY(shown);
    QVERIFY2(tooWide.isEmpty(), qPrintable(tooWide.join(u'|')));
}

void SheetEditTest::clickedLineIsEvaluated()
{
    m_edit->sheet().AppendLine(u"7*6");
    m_edit->sheet().AppendLine(u"1+1");
    ClickAt(1);
    QCOMPARE(m_edit->state().currentLine, 0);
    QCOMPARE(m_edit->state().clickPos, 1);
    QTest::keyClick(m_edit, Qt::Key_Down);
    QTest::keyClick(m_edit, Qt::Key_Down);
    QTest::keyClick(m_edit, Qt::Key_Return);
    QCOMPARE(m_edit->toPlainText(), QString("7*6=42\n\n1+1\n"));
    QCOMPARE(m_edit->state().currentLine, 1);
    QCOMPARE(m_edit->state().clickPos, 0);
    QCOMPARE(m_edit->textCursor().blockNumber(), 1);
}

void SheetEditTest::operatorAfterClickAtLineEndStaysOnTheLine()
{
    m_edit->sheet().AppendLine(u"12");
    m_edit->sheet().AppendLine(u"34");
    ClickAt(2);
    QTest::keyClicks(m_edit, "+5");
    QCOMPARE(m_edit->toPlainText(), QString("12+5\n34\n"));
    QCOMPARE(ColorMask(0), QString("llrl"));
}

void SheetEditTest::typingOverASelectionTakesTheKeysColour()
{
    QTest::keyClicks(m_edit, "1-2");
    QTest::keyClick(m_edit, Qt::Key_Left);
    QTest::keyClick(m_edit, Qt::Key_Left, Qt::ShiftModifier);
    QTest::keyClicks(m_edit, "*");
    QCOMPARE(m_edit->toPlainText(), QString("1*2"));
    QCOMPARE(ColorMask(0), QString("lrl"));
    QTest::keyClick(m_edit, Qt::Key_Left, Qt::ShiftModifier);
    QTest::keyClicks(m_edit, "7");
    QCOMPARE(m_edit->toPlainText(), QString("172"));
    QCOMPARE(ColorMask(0), QString("lll"));
}

void SheetEditTest::enterIsOneUndoStep()
{
    QTest::keyClicks(m_edit, "6*7");
    QTest::keyClick(m_edit, Qt::Key_Return);
    QCOMPARE(m_edit->toPlainText(), QString("6*7=42\n"));
    QTest::keyClick(m_edit, Qt::Key_Z, Qt::ControlModifier);
    QCOMPARE(m_edit->toPlainText(), QString("6*7"));
    QCOMPARE(ColorMask(0), QString("lrl"));
    m_edit->redo();
    QCOMPARE(m_edit->toPlainText(), QString("6*7=42\n"));
    QCOMPARE(ColorMask(0), QString("lrlrll"));
}

void SheetEditTest::ctrlYAndCtrlShiftZRedo()
{
    QTest::keyClicks(m_edit, "6*7");
    QTest::keyClick(m_edit, Qt::Key_Return);
    for (const Qt::KeyboardModifiers modifiers :
         {Qt::KeyboardModifiers(Qt::ControlModifier), Qt::ControlModifier | Qt::ShiftModifier}) {
        const Qt::Key key = modifiers & Qt::ShiftModifier ? Qt::Key_Z : Qt::Key_Y;
        QTest::keyClick(m_edit, Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(m_edit->toPlainText(), QString("6*7"));
        QTest::keyClick(m_edit, key, modifiers);
        QCOMPARE(m_edit->toPlainText(), QString("6*7=42\n"));
        QCOMPARE(m_edit->state().currentLine, 1);
    }
}

void SheetEditTest::clearSheetIsOneUndoStep()
{
    QTest::keyClicks(m_edit, "1+2");
    QTest::keyClick(m_edit, Qt::Key_Return);
    QTest::keyClicks(m_edit, "9");
    m_edit->ClearSheet();
    QCOMPARE(m_edit->toPlainText(), QString());
    m_edit->undo();
    QCOMPARE(m_edit->toPlainText(), QString("1+2=3\n9"));
}

void SheetEditTest::appendedLinesEndOnAnEmptyLine()
{
    QTest::keyClicks(m_edit, "typed");
    m_edit->ClearSheet();
    for (int i = 0; i < 10; ++i)
        m_edit->sheet().AppendLine(u"help");
    QCOMPARE(m_edit->sheet().LineCount(), 11);
    QCOMPARE(m_edit->sheet().LineText(10), std::u16string());
    QCOMPARE(m_edit->sheet().LineStart(10), 60);
    QCOMPARE(Sheet().ColorAt(3, 2), sheet::kLime);
}

void SheetEditTest::insertTemplateGoesToTheCaretsLineAfterClear()
{
    QTest::keyClicks(m_edit, "1+2");
    QTest::keyClick(m_edit, Qt::Key_Return);
    QTest::keyClicks(m_edit, "3*4");
    QTest::keyClick(m_edit, Qt::Key_Return);
    m_edit->ClearSheet();
    QCOMPARE(m_edit->state().currentLine, 2);
    QTest::keyClicks(m_edit, "5*");
    m_edit->InsertTemplate("sin()");
    QCOMPARE(m_edit->toPlainText(), QString("5*sin()"));
    QCOMPARE(m_edit->textCursor().position(), 6);
    QCOMPARE(m_edit->state().currentLine, 0);
    QCOMPARE(ColorMask(0), QString("lrlllrr"));
    QTest::keyClicks(m_edit, "1");
    QCOMPARE(m_edit->toPlainText(), QString("5*sin(1)"));
}

void SheetEditTest::positionsCountALineBreakAsTwo()
{
    m_edit->setPlainText("1+2=3\n\n7");
    sheet::Sheet& sheet = m_edit->sheet();
    QCOMPARE(sheet.LineStart(2), 9);
    QCOMPARE(sheet.LineStart(4), 14);
    QCOMPARE(sheet.LineLength(0), 5);
    QCOMPARE(sheet.LineLength(1), 0);
    QCOMPARE(sheet.LineLength(2), 1);
    QCOMPARE(sheet.LineLength(3), 0);
    QCOMPARE(sheet.LineAt(6), 0);
    QCOMPARE(sheet.LineAt(7), 1);
    QCOMPARE(sheet.LineAt(9), 2);
    sheet.MoveCaret(6);
    QCOMPARE(sheet.CaretPos(), 5);
    sheet.SelectAhead(4);
    // Both line breaks, each a block separator to the document.
    QCOMPARE(m_edit->textCursor().selectedText(), QString(2, QChar::ParagraphSeparator));
    QCOMPARE(sheet.SheetText(), std::u16string(u"1+2=3\r\n\r\n7"));
}

void SheetEditTest::longLinesWrapAndStayOneLine_data()
{
    QTest::addColumn<int>("row");
    QTest::newRow("clicked on the first row") << 0;
    QTest::newRow("clicked on the second row") << 1;
    QTest::newRow("clicked on the last row") << -1;
}

// A line wider than the sheet wraps at its edge, with no sideways scrolling; a click on any of
// its rows makes it the current line, and Enter evaluates it whole and opens the next line
// below it, not below the row.
void SheetEditTest::longLinesWrapAndStayOneLine()
{
    QFETCH(int, row);
    QString sum = QStringLiteral("1");
    for (int i = 1; i < 60; ++i)
        sum += QStringLiteral("+1");
    m_edit->setPlainText(QStringLiteral("7*6\n") + sum + QStringLiteral("\n2*3"));
    QCoreApplication::processEvents();
    const QTextBlock wrapped = m_edit->document()->findBlockByNumber(1);
    const QTextLayout* layout = wrapped.layout();
    QVERIFY2(layout->lineCount() >= 3, "the line does not wrap");
    QVERIFY(!m_edit->horizontalScrollBar()->isVisible());
    QCOMPARE(m_edit->horizontalScrollBar()->maximum(), 0);

    const QTextLine line = layout->lineAt(row < 0 ? layout->lineCount() - 1 : row);
    const int column = line.textStart() + 3;
    QTextCursor at(wrapped);
    at.setPosition(wrapped.position() + column);
    QTest::mouseClick(m_edit->viewport(), Qt::LeftButton, {}, m_edit->cursorRect(at).center());
    QCOMPARE(m_edit->textCursor().blockNumber(), 1);
    QCOMPARE(m_edit->textCursor().positionInBlock(), column);
    QCOMPARE(m_edit->state().currentLine, 1);
    QCOMPARE(m_edit->state().clickPos, Sheet().LineStart(1) + column);

    // Down moves by rows on screen; Enter still evaluates the clicked line.
    QTest::keyClick(m_edit, Qt::Key_Down);
    QTest::keyClick(m_edit, Qt::Key_Down);
    QTest::keyClick(m_edit, Qt::Key_Return);
    QCOMPARE(m_edit->toPlainText(), QStringLiteral("7*6\n") + sum + QStringLiteral("=60\n\n2*3"));
    QCOMPARE(m_edit->textCursor().blockNumber(), 2);
    QCOMPARE(m_edit->textCursor().positionInBlock(), 0);
    QCOMPARE(m_edit->state().currentLine, 2);
    QCOMPARE(ColorMask(1),
             QStringLiteral("l") + QStringLiteral("rl").repeated(59) + QStringLiteral("rll"));
}

} // namespace tolvane::ui

QTEST_MAIN(tolvane::ui::SheetEditTest)
#include "sheet_edit_test.moc"
