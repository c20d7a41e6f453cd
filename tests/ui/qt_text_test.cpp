// The conversions between QString and the sheet's and engine's strings: every UTF-16 code unit
// crosses unchanged, since a lost or added unit would shift every sheet position after it.
#include "ui/common/qt_text.h"

#include <QTest>

using tolvane::ui::FromUtf16;
using tolvane::ui::FromUtf8;
using tolvane::ui::ToUtf16;

class QtTextTest : public QObject {
    Q_OBJECT
private slots:
    void utf16CrossesUnitForUnit_data();
    void utf16CrossesUnitForUnit();
    void utf8IsDecodedAndMalformedBytesAreReplaced();
};

void QtTextTest::utf16CrossesUnitForUnit_data()
{
    QTest::addColumn<QString>("units");
    QTest::newRow("empty") << QString();
    QTest::newRow("leading byte-order mark") << QString::fromStdU16String(u"\uFEFF1+2");
    QTest::newRow("unpaired high surrogate") << QString::fromStdU16String(u"1+\xD800"
                                                                          u"2");
    QTest::newRow("surrogate pair") << QString::fromStdU16String(u"\U0001D70B*2");
    QTest::newRow("embedded NUL") << QString::fromStdU16String(std::u16string(u"1\0+2", 4));
    QTest::newRow("full-width and CJK") << QStringLiteral("（1，2）加法");
}

void QtTextTest::utf16CrossesUnitForUnit()
{
    QFETCH(QString, units);
    const std::u16string text = ToUtf16(units);
    QCOMPARE(text.size(), static_cast<std::size_t>(units.size()));
    for (qsizetype i = 0; i < units.size(); ++i)
        QCOMPARE(text[static_cast<std::size_t>(i)], units[i].unicode());
    QCOMPARE(FromUtf16(text), units);
}

void QtTextTest::utf8IsDecodedAndMalformedBytesAreReplaced()
{
    QCOMPARE(FromUtf8("出错"), QStringLiteral("出错"));
    QCOMPARE(FromUtf8(std::string_view("a\0b", 3)).size(), 3);
    QCOMPARE(FromUtf8("1\xFF"), QStringLiteral("1\uFFFD"));
}

QTEST_APPLESS_MAIN(QtTextTest)
#include "qt_text_test.moc"
