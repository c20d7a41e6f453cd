// The palette as a person sees it: the caption, the six groups in order, every button where it
// belongs with its exact text and hint, the keyboard order, and what a click hands on.
#include "ui/palette/palette_entries.h"
#include "ui/palette/palette_window.h"

#include <QGroupBox>
#include <QPushButton>
#include <QSignalSpy>
#include <QStyle>
#include <QStyleOptionButton>
#include <QTest>

using tolvane::ui::PaletteWindow;
namespace palette = tolvane::ui::palette;

class PaletteTest : public QObject {
    Q_OBJECT
private slots:
    void captionIsExact();
    void groupsStackInOrder();
    void buttonsWithTrickyTexts_data();
    void buttonsWithTrickyTexts();
    void everyButtonMatchesItsEntry();
    void tabOrderFollowsStoredPositions_data();
    void tabOrderFollowsStoredPositions();
    void clickHandsOnTheCaptionUnchanged_data();
    void clickHandsOnTheCaptionUnchanged();
    void closingHidesAndSaysSo();
    void dockingSetsTopLeftAndHeight();
};

void PaletteTest::captionIsExact()
{
    PaletteWindow window(nullptr);
    // Full-width brackets, ASCII quotation marks, two blanks before 隔开.
    QCOMPARE(window.windowTitle().toUtf8(),
             QByteArray("\xE5\xB8\xB8\xE7\x94\xA8\xE5\x87\xBD\xE6\x95\xB0\xEF\xBC\x88"
                        "\xE5\xA4\x9A\xE4\xB8\xAA\xE5\x8F\x82\xE6\x95\xB0\xE7\x94\xA8"
                        "\xE8\x8B\xB1\xE6\x96\x87\xE5\xAD\x97\xE7\xAC\xA6 \" , \"  "
                        "\xE9\x9A\x94\xE5\xBC\x80\xEF\xBC\x89"));
    QCOMPARE(window.size(), QSize(342, 393));
    QVERIFY(!window.isVisible());
}

void PaletteTest::groupsStackInOrder()
{
    PaletteWindow window(nullptr);
    QVERIFY(window.findChildren<QPushButton*>().isEmpty()); // built on first show
    window.show();
    const struct {
        const char* name;
        QString caption;
        int top, height;
    } want[] = {
        {"GroupBox1", QStringLiteral("统计函数"), 0, 49},
        {"GroupBox3", QStringLiteral("三角函数(三角函数输入数据为弧度)"), 49, 77},
        {"GroupBox2", QStringLiteral("指数对数函数"), 126, 77},
        {"GroupBox4", QStringLiteral("数据处理函数"), 203, 49},
        {"GroupBox5", QStringLiteral("几何面积函数"), 252, 77},
        {"GroupBox6", QStringLiteral("数列求和"), 329, 47},
    };
    for (const auto& w : want) {
        const auto* box = window.findChild<QGroupBox*>(QString::fromLatin1(w.name));
        QVERIFY2(box, w.name);
        QCOMPARE(box->title(), w.caption);
        QCOMPARE(box->geometry(), QRect(0, w.top, 342, w.height));
    }
    const QList<QPushButton*> buttons = window.findChildren<QPushButton*>();
    QCOMPARE(buttons.size(), 38);
    for (const QPushButton* button : buttons)
        QVERIFY2(button->isVisible(), qPrintable(button->objectName()));
}

void PaletteTest::buttonsWithTrickyTexts_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QString>("hint");
    QTest::addColumn<QRect>("geometry");
    QTest::newRow("trailing blank kept") << "cxButton22"
                                         << "frac() "
                                         << "取小数部分" << QRect(67, 17, 49, 25);
    QTest::newRow("second trailing blank")
        << "cxButton31"
        << "s_poly() "
        << "求正多边形面积 eg.s_poly(a,n" << QRect(253, 16, 75, 25);
    QTest::newRow("template with arguments, no hint") << "cxButton13"
                                                      << "logN(a,N)"
                                                      << "" << QRect(149, 46, 75, 25);
    QTest::newRow("ellipse hint") << "cxButton29"
                                  << "s_ellip()"
                                  << "求椭圆面积 eg.s_ellip(a,b)" << QRect(128, 17, 55, 25);
    QTest::newRow("unbalanced hint kept") << "cxButton30"
                                          << "s_rect()"
                                          << "求矩形面积 eg.s_rect(a,b" << QRect(188, 17, 60, 25);
    QTest::newRow("blank after eg.") << "cxButton9"
                                     << "degrad()"
                                     << "角度转弧度 eg. degrad(60)" << QRect(8, 46, 75, 25);
    QTest::newRow("missing comma in hint")
        << "cxButton40"
        << "p_planes()"
        << "求空间点到面距离 eg.p_planes(x0,y0,z0 A, B, C, D)" << QRect(253, 45, 75, 25);
    QTest::newRow("first button") << "cxButton1"
                                  << "max()"
                                  << "求最大值" << QRect(8, 18, 49, 25);
    QTest::newRow("last button") << "cxButton33"
                                 << "sqn()"
                                 << "求等比数列前n项和 eg.sqn(a1, q, n)" << QRect(63, 16, 49, 25);
}

void PaletteTest::buttonsWithTrickyTexts()
{
    QFETCH(QString, name);
    QFETCH(QString, caption);
    QFETCH(QString, hint);
    QFETCH(QRect, geometry);
    PaletteWindow window(nullptr);
    const QPushButton* button = window.Button(name);
    QVERIFY(button);
    QCOMPARE(button->text(), caption);
    QCOMPARE(button->toolTip(), hint);
    QCOMPARE(button->geometry(), geometry);
}

void PaletteTest::everyButtonMatchesItsEntry()
{
    PaletteWindow window(nullptr);
    window.EnsureButtons();
    QSet<QString> captions;
    for (const palette::GroupEntry& group : palette::Groups()) {
        const auto* box = window.findChild<QGroupBox*>(QString::fromUtf8(group.name));
        for (const palette::ButtonEntry& entry : group.buttons) {
            const QString name = QString::fromUtf8(entry.name);
            const QPushButton* button = window.Button(name);
            QVERIFY2(button, qPrintable(name));
            QCOMPARE(button->parentWidget(), box);
            QCOMPARE(button->geometry(), QRect(entry.left, entry.top, entry.width, 25));
            // 15 pixels, or a little smaller where the font and style leave the caption too
            // little room.
            QVERIFY2(button->font().pixelSize() <= 15 && button->font().pixelSize() >= 11,
                     qPrintable(name));
            // The caption's ink must lie where the style draws it (centred in the contents
            // rectangle, cut off outside), or the template a person reads is cut off.
            QStyleOptionButton option;
            option.initFrom(button);
            option.text = button->text();
            const int room = button->style()
                                 ->subElementRect(QStyle::SE_PushButtonContents, &option, button)
                                 .width();
            const QFontMetrics metrics = button->fontMetrics();
            const int start = (room - metrics.horizontalAdvance(button->text())) / 2;
            const QRect ink = metrics.boundingRect(button->text());
            QVERIFY2(start + ink.left() >= 0 && start + ink.right() < room,
                     qPrintable(QStringLiteral("%1: ink %2..%3 in %4")
                                    .arg(name)
                                    .arg(start + ink.left())
                                    .arg(start + ink.right())
                                    .arg(room)));
            // Every button must fit inside its group, or part of it is cut off.
            QVERIFY2(box->rect().contains(button->geometry()), qPrintable(name));
            captions.insert(button->text());
        }
    }
    QCOMPARE(captions.size(), 38);
    // The functions without a button.
    for (const char* absent : {"trunc()", "intax()", "arcintax()", "morrep()"})
        QVERIFY(!captions.contains(QString::fromLatin1(absent)));
}

void PaletteTest::tabOrderFollowsStoredPositions_data()
{
    QTest::addColumn<QStringList>("chain");
    QTest::newRow("trigonometry: arctan between arccos and degrad")
        << QStringList{"cxButton16", "cxButton17", "cxButton18", "cxButton19", "cxButton20",
                       "cxButton21", "cxButton9",  "cxButton42", "cxButton43"};
    QTest::newRow("exponential: ln last")
        << QStringList{"cxButton6",  "cxButton7",  "cxButton8",  "cxButton10",
                       "cxButton11", "cxButton12", "cxButton13", "cxButton14"};
    QTest::newRow("data handling: mod last")
        << QStringList{"cxButton15", "cxButton22", "cxButton23", "cxButton24", "cxButton25"};
    QTest::newRow("group to group") << QStringList{"cxButton5", "cxButton16"};
}

void PaletteTest::tabOrderFollowsStoredPositions()
{
    QFETCH(QStringList, chain);
    PaletteWindow window(nullptr);
    for (qsizetype i = 0; i + 1 < chain.size(); ++i) {
        QWidget* next = window.Button(chain[i])->nextInFocusChain();
        while (next && !qobject_cast<QPushButton*>(next))
            next = next->nextInFocusChain();
        QVERIFY(next);
        QCOMPARE(next->objectName(), chain[i + 1]);
    }
}

void PaletteTest::clickHandsOnTheCaptionUnchanged_data()
{
    QTest::addColumn<QString>("name");
    for (const palette::GroupEntry& group : palette::Groups()) {
        for (const palette::ButtonEntry& entry : group.buttons)
            QTest::newRow(entry.name.data()) << QString::fromUtf8(entry.name);
    }
}

void PaletteTest::clickHandsOnTheCaptionUnchanged()
{
    QFETCH(QString, name);
    PaletteWindow window(nullptr);
    QSignalSpy chosen(&window, &PaletteWindow::templateChosen);
    QPushButton* button = window.Button(name);
    QTest::mouseClick(button, Qt::LeftButton);
    QCOMPARE(chosen.size(), 1);
    QCOMPARE(chosen.at(0).at(0).toString(), button->text());
}

void PaletteTest::closingHidesAndSaysSo()
{
    PaletteWindow window(nullptr);
    QSignalSpy closed(&window, &PaletteWindow::closed);
    window.show();
    QVERIFY(window.close());
    QVERIFY(!window.isVisible());
    QCOMPARE(closed.size(), 1);
}

void PaletteTest::dockingSetsTopLeftAndHeight()
{
    PaletteWindow window(nullptr);
    window.Dock(QPoint(-600, 40), 300);
    window.show();
    QCOMPARE(window.frameGeometry().topLeft(), QPoint(-600, 40));
    QCOMPARE(window.frameGeometry().height(), 300);
    QCOMPARE(window.width(), 342);
}

QTEST_MAIN(PaletteTest)
#include "palette_test.moc"
