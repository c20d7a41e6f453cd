// The result entries of the sheet's context menu on the real widget: which entries a line gets,
// what each copies, where a right click puts the caret, and the Ctrl+Shift+C shortcut.
#include "tests/sheet/recording_notifier.h"
#include "ui/main/result_menu.h"
#include "ui/main/sheet_edit.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QMenu>
#include <QTest>
#include <QTextBlock>

#include <optional>

namespace tolvane::ui {

class ResultMenuTest : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void entriesFollowTheCaretsLine_data();
    void entriesFollowTheCaretsLine();
    void entriesCopyTheirForm_data();
    void entriesCopyTheirForm();
    void rightClickPutsTheCaretOnTheClickedLine();
    void rightClickInsideTheSelectionKeepsIt();
    void entriesFollowTheClickedLineWhileTextIsSelected_data();
    void entriesFollowTheClickedLineWhileTextIsSelected();
    void shortcutCopiesAndTypesNothing();
    void shortcutWorksAfterAMenuWithDisabledEntries();

private:
    // Opens the context menu as a right click at the caret (or at `pos`, viewport coordinates)
    // would; the menu is the active popup until closed.
    QMenu* OpenMenu(std::optional<QPoint> pos = std::nullopt);
    QPoint PointOf(int block, int column) const;
    [[nodiscard]] QList<QAction*> Entries() const;

    SheetEdit* m_edit = nullptr;
    sheet::RecordingNotifier m_notifier;
};

void ResultMenuTest::init()
{
    m_edit = new SheetEdit;
    m_edit->setNotifier(&m_notifier);
    m_edit->resize(400, 300);
    m_edit->show();
    m_edit->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(m_edit));
    m_edit->setFocus();
    QApplication::clipboard()->setText(QStringLiteral("stale"));
}

void ResultMenuTest::cleanup()
{
    if (QWidget* popup = QApplication::activePopupWidget())
        popup->close();
    delete m_edit;
    m_edit = nullptr;
}

QPoint ResultMenuTest::PointOf(int block, int column) const
{
    QTextCursor cursor(m_edit->document()->findBlockByNumber(block));
    cursor.movePosition(QTextCursor::Right, QTextCursor::MoveAnchor, column);
    return m_edit->cursorRect(cursor).center();
}

QMenu* ResultMenuTest::OpenMenu(std::optional<QPoint> pos)
{
    const QPoint at = pos.value_or(m_edit->cursorRect().center());
    QContextMenuEvent event(pos ? QContextMenuEvent::Mouse : QContextMenuEvent::Keyboard, at,
                            m_edit->viewport()->mapToGlobal(at));
    QApplication::sendEvent(m_edit->viewport(), &event);
    return qobject_cast<QMenu*>(QApplication::activePopupWidget());
}

QList<QAction*> ResultMenuTest::Entries() const
{
    const ResultMenu& entries = m_edit->resultMenu();
    return {entries.copyResultAction(), entries.copyGroupedAction(), entries.copyUppercaseAction()};
}

void ResultMenuTest::entriesFollowTheCaretsLine_data()
{
    QTest::addColumn<QString>("line");
    QTest::addColumn<bool>("shown");
    // One letter an entry: 'e' enabled, 'd' disabled.
    QTest::addColumn<QString>("states");
    QTest::addColumn<QString>("uppercaseTip");
    QTest::newRow("number") << "1000+680.32=1680.32" << true << "eee"
                            << "壹仟陆佰捌拾元零叁角贰分";
    QTest::newRow("diagnosis") << "5+=加法表达式错误" << true << "ddd"
                               << "该行的结果不是数字";
    QTest::newRow("empty result") << "foo(1)=" << true << "ddd"
                                  << "该行的结果不是数字";
    QTest::newRow("echo") << "abc=abc" << true << "ddd"
                          << "该行的结果不是数字";
    QTest::newRow("too large") << "10^16=1E16" << true << "eed"
                               << "金额达到或超过一亿亿元（10^16元），超出人民币大写的书写范围";
    QTest::newRow("no result") << "1+2" << false << ""
                               << "";
    QTest::newRow("definition only") << "a@@a=2" << false << ""
                                     << "";
}

void ResultMenuTest::entriesFollowTheCaretsLine()
{
    QFETCH(QString, line);
    QFETCH(bool, shown);
    QFETCH(QString, states);
    QFETCH(QString, uppercaseTip);
    m_edit->setPlainText(line);
    QMenu* menu = OpenMenu();
    QVERIFY(menu);
    // The text control's own entries stay, whatever the line holds.
    QVERIFY(menu->actions().size() >= 7);
    QString got;
    for (QAction* entry : Entries()) {
        if (menu->actions().contains(entry))
            got += entry->isEnabled() ? u'e' : u'd';
    }
    QCOMPARE(got, states);
    if (shown) {
        QVERIFY(menu->toolTipsVisible());
        QCOMPARE(m_edit->resultMenu().copyUppercaseAction()->toolTip(), uppercaseTip);
    }
    QCOMPARE(m_edit->resultMenu().copyResultAction()->shortcut(),
             QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_C));
    const auto* redo = menu->findChild<QAction*>(QStringLiteral("edit-redo"));
    QVERIFY(redo);
    QCOMPARE(redo->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_Y));
}

void ResultMenuTest::entriesCopyTheirForm_data()
{
    QTest::addColumn<QString>("keys");
    QTest::addColumn<int>("entry");
    QTest::addColumn<QString>("copied");
    QTest::newRow("as shown") << "1234000+680.32" << 0 << "1234680.32";
    QTest::newRow("grouped") << "1234000+680.32" << 1 << "1,234,680.32";
    QTest::newRow("uppercase") << "1234000+680.32" << 2 << "壹佰贰拾叁万肆仟陆佰捌拾元零叁角贰分";
    QTest::newRow("negative, grouped") << "-1234" << 1 << "-1,234";
    QTest::newRow("exponent, grouped") << "2.5*10^15" << 1 << "2.5E15";
    QTest::newRow("exponent, uppercase") << "2.5*10^15" << 2 << "贰仟伍佰万亿元整";
    QTest::newRow("half a fen, decimal") << "3.005" << 2 << "叁元零壹分";
    QTest::newRow("tiny, as shown") << "sqrt(2)*10^-45" << 0 << "1.4142135623731E-45";
}

void ResultMenuTest::entriesCopyTheirForm()
{
    QFETCH(QString, keys);
    QFETCH(int, entry);
    QFETCH(QString, copied);
    QTest::keyClicks(m_edit, keys);
    QTest::keyClick(m_edit, Qt::Key_Return);
    QTest::keyClick(m_edit, Qt::Key_Up);
    QMenu* menu = OpenMenu();
    QVERIFY(menu);
    // Chosen with the keys, as a person would: Up from nothing marks the last entry.
    for (int k = entry; k < 3; ++k)
        QTest::keyClick(menu, Qt::Key_Up);
    QTest::keyClick(menu, Qt::Key_Return);
    QTRY_VERIFY(!QApplication::activePopupWidget());
    QCOMPARE(QApplication::clipboard()->text(), copied);
}

void ResultMenuTest::rightClickPutsTheCaretOnTheClickedLine()
{
    QTest::keyClicks(m_edit, "6*7");
    QTest::keyClick(m_edit, Qt::Key_Return);
    QCOMPARE(m_edit->textCursor().blockNumber(), 1);
    QMenu* menu = OpenMenu(PointOf(0, 2));
    QVERIFY(menu);
    QCOMPARE(m_edit->textCursor().blockNumber(), 0);
    QVERIFY(menu->actions().contains(m_edit->resultMenu().copyResultAction()));
    m_edit->resultMenu().copyResultAction()->trigger();
    QCOMPARE(QApplication::clipboard()->text(), QStringLiteral("42"));
    // A right click is not a click that chooses the line Enter evaluates: that line is unchanged.
    QCOMPARE(m_edit->state().clickPos, 0);
}

void ResultMenuTest::rightClickInsideTheSelectionKeepsIt()
{
    m_edit->setPlainText(QStringLiteral("1+2=3\n4*5=20"));
    QTextCursor cursor(m_edit->document());
    cursor.setPosition(1);
    cursor.setPosition(4, QTextCursor::KeepAnchor);
    m_edit->setTextCursor(cursor);
    QVERIFY(OpenMenu(PointOf(0, 2)));
    QCOMPARE(m_edit->textCursor().selectedText(), QStringLiteral("+2="));
    QApplication::activePopupWidget()->close();
    // Outside the selection the caret moves and the selection goes.
    QVERIFY(OpenMenu(PointOf(1, 1)));
    QVERIFY(!m_edit->textCursor().hasSelection());
    QCOMPARE(m_edit->textCursor().blockNumber(), 1);
}

void ResultMenuTest::entriesFollowTheClickedLineWhileTextIsSelected_data()
{
    QTest::addColumn<int>("line");
    QTest::addColumn<QString>("copied");
    QTest::newRow("the selection's first line") << 0 << "3";
    QTest::newRow("a later line") << 1 << "20";
    QTest::newRow("the last line") << 3 << "0.5";
}

// After Ctrl+A the caret (the selection's start) stands on the first line; the entries are for
// the line the right click was on, and copy from it.
void ResultMenuTest::entriesFollowTheClickedLineWhileTextIsSelected()
{
    QFETCH(int, line);
    QFETCH(QString, copied);
    m_edit->setPlainText(QStringLiteral("1+2=3\n4*5=20\n\n1/2=0.5"));
    QTest::keyClick(m_edit, Qt::Key_A, Qt::ControlModifier);
    QMenu* menu = OpenMenu(PointOf(line, 2));
    QVERIFY(menu);
    QVERIFY(menu->actions().contains(m_edit->resultMenu().copyResultAction()));
    QTest::keyClick(menu, Qt::Key_Up);
    QTest::keyClick(menu, Qt::Key_Up);
    QTest::keyClick(menu, Qt::Key_Up);
    QTest::keyClick(menu, Qt::Key_Return);
    QTRY_VERIFY(!QApplication::activePopupWidget());
    QCOMPARE(QApplication::clipboard()->text(), copied);
    QCOMPARE(m_edit->textCursor().selectedText().size(), m_edit->document()->characterCount() - 1);
    // The empty line between carries nothing: no entries.
    menu = OpenMenu(PointOf(2, 0));
    QVERIFY(menu);
    QVERIFY(!menu->actions().contains(m_edit->resultMenu().copyResultAction()));
}

void ResultMenuTest::shortcutCopiesAndTypesNothing()
{
    QTest::keyClicks(m_edit, "1/3");
    QTest::keyClick(m_edit, Qt::Key_Return);
    QTest::keyClick(m_edit, Qt::Key_Up);
    const QString before = m_edit->toPlainText();
    QTest::keyClick(m_edit, Qt::Key_C, Qt::ControlModifier | Qt::ShiftModifier);
    QCOMPARE(QApplication::clipboard()->text(), QStringLiteral("0.333333333333333"));
    QCOMPARE(m_edit->toPlainText(), before);
    // On a line without a number the shortcut copies nothing and still types nothing.
    QTest::keyClick(m_edit, Qt::Key_Down);
    QTest::keyClicks(m_edit, "5+");
    QTest::keyClick(m_edit, Qt::Key_Return);
    QTest::keyClick(m_edit, Qt::Key_Up);
    QApplication::clipboard()->setText(QStringLiteral("stale"));
    QTest::keyClick(m_edit, Qt::Key_C, Qt::ControlModifier | Qt::ShiftModifier);
    QCOMPARE(QApplication::clipboard()->text(), QStringLiteral("stale"));
    QCOMPARE(m_edit->toPlainText(), before + QStringLiteral("5+=加法表达式错误\n"));
}

void ResultMenuTest::shortcutWorksAfterAMenuWithDisabledEntries()
{
    m_edit->setPlainText(QStringLiteral("7*6=42\n5+=加法表达式错误"));
    m_edit->moveCursor(QTextCursor::End);
    QMenu* menu = OpenMenu();
    QVERIFY(menu);
    QVERIFY(!m_edit->resultMenu().copyResultAction()->isEnabled());
    QTest::keyClick(menu, Qt::Key_Escape);
    QTRY_VERIFY(!QApplication::activePopupWidget());
    m_edit->moveCursor(QTextCursor::Start);
    QTest::keyClick(m_edit, Qt::Key_C, Qt::ControlModifier | Qt::ShiftModifier);
    QCOMPARE(QApplication::clipboard()->text(), QStringLiteral("42"));
}

} // namespace tolvane::ui

QTEST_MAIN(tolvane::ui::ResultMenuTest)
#include "result_menu_test.moc"
