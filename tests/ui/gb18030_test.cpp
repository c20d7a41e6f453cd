// The Qt-free GB18030 decoder against Qt's own codec (ICU), code by code: every two-byte code and
// every four-byte code below U+10000, and the ends of the four-byte codes beyond. The two may
// differ only where editions of the standard swapped a character with a private-use code point
// (scripts/gb18030_tables.py): an older ICU still gives the private-use one.
#include "sheet/gb18030.h"

#include <QStringDecoder>
#include <QTest>

#include <initializer_list>
#include <set>
#include <string_view>
#include <utility>

namespace {

// {the character we read, the private-use code point an edition of ICU may read instead}.
const std::set<std::pair<char16_t, char16_t>> kSwapped = {
    {0xFE10, 0xE78D}, {0xFE12, 0xE78E}, {0xFE11, 0xE78F}, {0xFE13, 0xE790}, {0xFE14, 0xE791},
    {0xFE15, 0xE792}, {0xFE16, 0xE793}, {0xFE17, 0xE794}, {0xFE18, 0xE795}, {0xFE19, 0xE796},
    {0x9FB4, 0xE81E}, {0x9FB5, 0xE826}, {0x9FB6, 0xE82B}, {0x9FB7, 0xE82C}, {0x9FB8, 0xE832},
    {0x9FB9, 0xE843}, {0x9FBA, 0xE854}, {0x9FBB, 0xE864}, {0x3000, 0xE5E5},
};

QByteArray Bytes(std::initializer_list<int> bytes)
{
    QByteArray code;
    for (const int byte : bytes)
        code.append(char(byte));
    return code;
}

QString Hex(const QByteArray& bytes)
{
    return QString::fromLatin1(bytes.toHex(' '));
}

} // namespace

class Gb18030Test : public QObject {
    Q_OBJECT
private slots:
    void everyCodeReadsAsQtsCodecReadsIt();
};

void Gb18030Test::everyCodeReadsAsQtsCodecReadsIt()
{
    QStringDecoder icu("GB18030", QStringConverter::Flag::ConvertInitialBom);
    if (!icu.isValid())
        QSKIP("this Qt has no GB18030 codec to compare with");
    QList<QByteArray> codes;
    for (int lead = 0x81; lead <= 0xFE; ++lead) {
        for (int trail = 0x40; trail <= 0xFE; ++trail) {
            if (trail != 0x7F)
                codes << Bytes({lead, trail});
        }
    }
    const auto fourByte = [](int number) {
        return Bytes({0x81 + number / 12600, 0x30 + number / 1260 % 10, 0x81 + number / 10 % 126,
                      0x30 + number % 10});
    };
    for (int number = 0; number < 39420; ++number)
        codes << fourByte(number);
    for (int number : {189000, 189001, 189000 + 0xFFFF, 189000 + 0x10000, 189000 + 0xFFFFF})
        codes << fourByte(number);

    int differences = 0;
    for (const QByteArray& code : codes) {
        const std::u16string ours =
            tolvane::sheet::Gb18030ToUtf16(std::string_view(code.constData(), code.size()));
        const QString theirs = icu.decode(code);
        QVERIFY2(!icu.hasError(), qPrintable(Hex(code)));
        // Compared unit by unit: QString::fromStdU16String would drop a U+FEFF as a mark.
        if (std::u16string_view(reinterpret_cast<const char16_t*>(theirs.utf16()),
                                std::size_t(theirs.size())) == ours)
            continue;
        QVERIFY2(ours.size() == 1 && theirs.size() == 1 &&
                     kSwapped.count({ours[0], theirs[0].unicode()}) == 1,
                 qPrintable(QStringLiteral("%1: ours U+%2, Qt's U+%3")
                                .arg(Hex(code))
                                .arg(ours.empty() ? 0 : int(ours[0]), 4, 16, QLatin1Char('0'))
                                .arg(theirs.isEmpty() ? 0 : int(theirs[0].unicode()), 4, 16,
                                     QLatin1Char('0'))));
        ++differences;
    }
    QVERIFY(differences <= int(kSwapped.size()) * 2);
}

QTEST_GUILESS_MAIN(Gb18030Test)
#include "gb18030_test.moc"
