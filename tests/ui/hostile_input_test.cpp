// Hostile input on the real sheet widget: whatever is typed or pasted, Enter
// answers with the calculator's own result or message, the program goes on, and no
// other line of the sheet changes.
#include "engine/engine.h"
#include "tests/sheet/recording_notifier.h"
#include "tests/ui/hostile_cases.h"
#include "ui/main/sheet_edit.h"

#include <QApplication>
#include <QClipboard>
#include <QMimeData>
#include <QTest>
#include <QTextBlock>

namespace tolvane::ui {

class HostileInputTest : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void enterAnswersAndLeavesOtherLines_data();
    void enterAnswersAndLeavesOtherLines();
    void fiveMegabytePasteKeepsEveryLine();
    void invalidUtf8FromTheClipboard();

private:
    QString Line(int n) const { return m_edit->document()->findBlockByNumber(n).text(); }
    void CaretToEndOfLine(int n);
    void PasteMime(QMimeData* data);

    SheetEdit* m_edit = nullptr;
    sheet::RecordingNotifier m_notifier;
};

void HostileInputTest::init()
{
    m_notifier = {};
    m_edit = new SheetEdit;
    m_edit->setNotifier(&m_notifier);
    m_edit->resize(500, 300);
    m_edit->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_edit));
}

void HostileInputTest::cleanup()
{
    delete m_edit;
    m_edit = nullptr;
}

void HostileInputTest::CaretToEndOfLine(int n)
{
    QTextCursor cursor(m_edit->document()->findBlockByNumber(n));
    cursor.movePosition(QTextCursor::EndOfBlock);
    m_edit->setTextCursor(cursor);
    m_edit->state().currentLine = n;
    m_edit->state().clickPos = 0;
}

void HostileInputTest::PasteMime(QMimeData* data)
{
    QApplication::clipboard()->setMimeData(data);
    QTest::keyClick(m_edit, Qt::Key_V, Qt::ControlModifier);
}

void HostileInputTest::enterAnswersAndLeavesOtherLines_data()
{
    QTest::addColumn<QString>("line");
    QTest::addColumn<QString>("result");
    for (const auto& c : hostile::EnterCases())
        QTest::newRow(c.name) << c.line << c.result;
}

void HostileInputTest::enterAnswersAndLeavesOtherLines()
{
    QFETCH(QString, line);
    QFETCH(QString, result);
    m_edit->setPlainText(QStringLiteral("1+2=3\n") + line + QStringLiteral("\n7*6"));
    CaretToEndOfLine(1);

    QTest::keyClick(m_edit, Qt::Key_Return);

    QCOMPARE(Line(0), QStringLiteral("1+2=3"));
    QVERIFY2(Line(1) == line + u'=' + result, qPrintable(Line(1).right(40)));
    QCOMPARE(Line(2), QString());
    QCOMPARE(Line(3), QStringLiteral("7*6"));
    QCOMPARE(m_edit->document()->blockCount(), 4);
    QVERIFY(m_notifier.messages.empty());
    QVERIFY(m_notifier.faults.empty());
}

void HostileInputTest::fiveMegabytePasteKeepsEveryLine()
{
    const QString paste = hostile::FiveMegabytePaste();
    m_edit->setPlainText(QStringLiteral("1+2=3\n"));
    CaretToEndOfLine(1);

    auto* data = new QMimeData;
    data->setText(paste);
    PasteMime(data);

    QCOMPARE(m_edit->toPlainText(), QStringLiteral("1+2=3\n") + paste);
    QCOMPARE(m_edit->document()->blockCount(), 250'002);

    // The sheet still evaluates: the last pasted line, clicked on, then Enter.
    CaretToEndOfLine(250'000);
    QTest::keyClick(m_edit, Qt::Key_Return);
    const auto expected = engine::EvaluateExpression("12345+67890*(3-1)/7", engine::NamedValues{});
    QVERIFY(expected.ok);
    QCOMPARE(Line(250'000), QStringLiteral("12345+67890*(3-1)/7=") +
                                QString::fromStdString(engine::FormatNumber(expected.value)));
    QCOMPARE(Line(249'999), QStringLiteral("12345+67890*(3-1)/7"));
    QCOMPARE(Line(0), QStringLiteral("1+2=3"));
}

void HostileInputTest::invalidUtf8FromTheClipboard()
{
    m_edit->setPlainText(QStringLiteral("1+2=3\n\n7*6"));
    CaretToEndOfLine(1);

    auto* data = new QMimeData;
    data->setData(QStringLiteral("text/plain"), QByteArray("\xff\xfe"
                                                           "1+2\xc3\x01",
                                                           7));
    PasteMime(data);
    const QString pasted = Line(1);
    QVERIFY(!pasted.isEmpty());
    QTest::keyClick(m_edit, Qt::Key_Return);

    QCOMPARE(Line(0), QStringLiteral("1+2=3"));
    QVERIFY2(Line(1).startsWith(pasted + u'='), qPrintable(Line(1)));
    QCOMPARE(Line(2), QString());
    QCOMPARE(Line(3), QStringLiteral("7*6"));
    QVERIFY(m_notifier.faults.empty());
}

} // namespace tolvane::ui

QTEST_MAIN(tolvane::ui::HostileInputTest)
#include "hostile_input_test.moc"
