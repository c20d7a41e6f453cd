// The calculator window as a person meets it: the help text at start, the caption controls, the
// menu, the palette docked at the right edge, every palette button's template going in at the
// caret, the clearings that Ctrl+Z takes back, the reward dialog, the resize band, and the
// 引用与合计 switch with 全部重算 (F9).
#include "tests/sheet/recording_notifier.h"
#include "ui/main/calculator_window.h"
#include "ui/main/caption_button.h"
#include "ui/main/reward_dialog.h"
#include "ui/main/sheet_edit.h"
#include "ui/palette/palette_entries.h"
#include "ui/palette/palette_window.h"

#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QPushButton>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBlock>
#include <QTextDocument>

using tolvane::ui::CalculatorWindow;
using tolvane::ui::CaptionButton;
using tolvane::ui::DialogRunner;
using tolvane::ui::Glyph;
using tolvane::ui::PaletteWindow;
using tolvane::ui::RewardDialog;
using tolvane::ui::SheetEdit;

Q_DECLARE_METATYPE(Glyph)

namespace {

class RecordingRunner final : public DialogRunner {
public:
    QList<QDialog*> shown;
    void RunModal(QDialog& dialog) override { shown << &dialog; }
};

QString Text(const SheetEdit& edit)
{
    return QString::fromStdU16String(const_cast<SheetEdit&>(edit).sheet().SheetText());
}

// Every character's colour, as the distinct set found in the document.
QSet<QRgb> CharacterColors(const QTextDocument& document)
{
    QSet<QRgb> colors;
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextFragment fragment = it.fragment();
            if (fragment.isValid() && fragment.length() > 0)
                colors.insert(fragment.charFormat().foreground().color().rgb());
        }
    }
    return colors;
}

// A shown window with its palette and a modal runner that never blocks.
struct Fixture {
    CalculatorWindow window;
    PaletteWindow* palette = new PaletteWindow(&window);
    RewardDialog* reward = new RewardDialog(&window);
    RecordingRunner runner;

    Fixture()
    {
        window.setPalette(palette);
        window.setRewardDialog(reward);
        window.setDialogRunner(&runner);
        window.show();
    }
    ~Fixture() { window.setDialogRunner(nullptr); }
    SheetEdit& edit() { return *window.sheetEdit(); }
    tolvane::sheet::Sheet& sheet() { return edit().sheet(); }
    template <typename T> T* child(const char* name)
    {
        return window.findChild<T*>(QString::fromLatin1(name));
    }
};

const QString kAsterisks(64, QLatin1Char('*'));

// Types text of any script, a key press per character, as an input method hands it over;
// QTest::keyClicks takes Latin-1 only.
void TypeText(QWidget* widget, const QString& text)
{
    for (const QChar ch : text)
        QTest::sendKeyEvent(QTest::Click, widget, Qt::Key_unknown, QString(ch), Qt::NoModifier);
}

} // namespace

class CalculatorWindowTest : public QObject {
    Q_OBJECT
private slots:
    void startsWithTheHelpText();
    void objectNamesFindEveryPart();
    void frameIsBorderlessAndSized();
    void captionControlsKeepTheirPlaces_data();
    void captionControlsKeepTheirPlaces();
    void glyphsShowTheirColours_data();
    void glyphsShowTheirColours();
    void menuHasItsItems();
    void menuOpensBelowTheStrip();
    void helpReplacesTheSheetAndUndoBringsItBack();
    void clearingsAreOneUndoStep_data();
    void clearingsAreOneUndoStep();
    void paletteFollowsTheCheckMark();
    void clickOnTheStripDocksThePalette();
    void paletteButtonInsertsAtTheCaret_data();
    void paletteButtonInsertsAtTheCaret();
    void paletteInsertsInTheMiddleOfALine();
    void paletteAfterClearingGoesToTheCaretLine();
    void rewardWindowShowsItsPicture();
    void bandShowsResizeCursors_data();
    void bandShowsResizeCursors();
    void dragOnBandResizesAndOnStripMoves_data();
    void dragOnBandResizesAndOnStripMoves();
    void referencesSwitchIsRemembered();
    void referencesSwitchChangesWhatEnterWrites();
    void f9RecalculatesEveryResultInOneUndoStep();
    void f9WithTheSwitchOffRecalculatesToo();
};

void CalculatorWindowTest::startsWithTheHelpText()
{
    Fixture f;
    // The text itself is written once, in CalculatorWindow::HelpLines(); the sheet shows it
    // line for line: a rule of asterisks, six lines of guidance, a rule, two closing lines.
    const auto& help = CalculatorWindow::HelpLines();
    for (int i = 0; i < CalculatorWindow::kHelpLineCount; ++i)
        QCOMPARE(QString::fromStdU16String(f.sheet().LineText(i)), help[i]);
    QCOMPARE(help[0], kAsterisks);
    QCOMPARE(help[7], kAsterisks);
    for (int i = 1; i < CalculatorWindow::kHelpLineCount; ++i) {
        QVERIFY2(!help[i].isEmpty(), qPrintable(QString::number(i)));
        QVERIFY2(i == 7 || help[i] != kAsterisks, qPrintable(QString::number(i)));
    }
    QCOMPARE(f.sheet().LineCount(), 11);
    QVERIFY(f.sheet().LineText(10).empty());
    QCOMPARE(f.sheet().CaretPos(), static_cast<int>(f.sheet().SheetText().size()));
    QCOMPARE(f.edit().state().currentLine, 10);
    QCOMPARE(CharacterColors(*f.edit().document()), QSet<QRgb>{qRgb(0, 255, 0)});
    // Nothing before the help text to go back to.
    QVERIFY(!f.edit().document()->isUndoAvailable());
    QVERIFY(!f.palette->isVisible());

    // Hidden and shown again (a restore), the window keeps what the user wrote.
    QTest::keyClicks(&f.edit(), "8-1");
    const QString typed = Text(f.edit());
    f.window.hide();
    f.window.show();
    QCOMPARE(Text(f.edit()), typed);
}

void CalculatorWindowTest::objectNamesFindEveryPart()
{
    Fixture f;
    f.palette->EnsureButtons();
    // Scripts find the parts by these names: each must name exactly one object, of the kind the
    // script expects.
    auto findOne = [](const QObject& root, const QString& name) -> QObject* {
        const QList<QObject*> found = root.findChildren<QObject*>(name);
        return found.size() == 1 ? found.front() : nullptr;
    };
    const struct {
        const char* name;
        const char* kind;
    } windowParts[] = {
        {"RichEdit1", "tolvane::ui::SheetEdit"},
        {"Panel2", "QWidget"},
        {"PopupMenu1", "QMenu"},
        {"N1", "QAction"},
        {"N2", "QAction"},
        {"N3", "QAction"},
        {"N4", "QAction"},
        {"actReferences", "QAction"},
        {"actRecalculate", "QAction"},
        {"actOpen", "QAction"},
        {"actSave", "QAction"},
        {"actSaveAs", "QAction"},
        {"actRecover", "QAction"},
        {"fileSeparator", "QAction"},
        {"WinClose", "QAction"},
        {"WinRestore", "QAction"},
        {"WinMinimize", "QAction"},
        {"WinIcon", "QAction"},
        {"actArm", "QAction"},
        {"IconButton", "tolvane::ui::CaptionButton"},
        {"TitleLabel", "QLabel"},
        {"CloseButton", "tolvane::ui::CaptionButton"},
        {"MinimizeButton", "tolvane::ui::CaptionButton"},
        {"MenuButton", "tolvane::ui::CaptionButton"},
        {"ClearButton", "tolvane::ui::CaptionButton"},
        {"frmCommonFun", "tolvane::ui::PaletteWindow"},
        {"frmGL", "tolvane::ui::RewardDialog"},
    };
    QCOMPARE(f.window.objectName(), QStringLiteral("frmCalcMain"));
    for (const auto& part : windowParts) {
        const QObject* object = findOne(f.window, QString::fromLatin1(part.name));
        QVERIFY2(object, part.name);
        QVERIFY2(object->inherits(part.kind), part.name);
    }
    QCOMPARE(findOne(f.window, QStringLiteral("RichEdit1")), &f.edit());
    QCOMPARE(findOne(f.window, QStringLiteral("PopupMenu1")), f.window.functionMenu());
    QCOMPARE(findOne(f.window, QStringLiteral("N4")), f.window.paletteItem());

    QVERIFY(findOne(*f.palette, QStringLiteral("Panel1")));
    namespace palette = tolvane::ui::palette;
    for (const palette::GroupEntry& group : palette::Groups()) {
        QObject* box = findOne(*f.palette, QString::fromUtf8(group.name));
        QVERIFY2(box && box->inherits("QGroupBox"), group.name.data());
        for (const palette::ButtonEntry& entry : group.buttons) {
            QObject* button = findOne(*box, QString::fromUtf8(entry.name));
            QVERIFY2(button && button->inherits("QPushButton"), entry.name.data());
        }
    }
}

void CalculatorWindowTest::frameIsBorderlessAndSized()
{
    Fixture f;
    QVERIFY(f.window.windowFlags() & Qt::FramelessWindowHint);
    QCOMPARE(f.window.windowTitle(), QStringLiteral("Tolvane计算器"));
    QCOMPARE(f.window.size(), QSize(700, 422));
    auto* strip = f.child<QWidget>("Panel2");
    QCOMPARE(strip->geometry(), QRect(0, 0, 700, 25));
    QCOMPARE(f.edit().geometry(), QRect(0, 25, 700, 397));
    QCOMPARE(f.edit().objectName(), QStringLiteral("RichEdit1"));
    // Centred on the screen.
    const QRect screen = f.window.screen()->availableGeometry();
    QVERIFY(qAbs(f.window.frameGeometry().center().x() - screen.center().x()) <= 1);
    QVERIFY(qAbs(f.window.frameGeometry().center().y() - screen.center().y()) <= 1);
}

void CalculatorWindowTest::captionControlsKeepTheirPlaces_data()
{
    QTest::addColumn<int>("width");
    QTest::newRow("at start") << 700;
    QTest::newRow("wider") << 913;
    QTest::newRow("narrower") << 420;
}

void CalculatorWindowTest::captionControlsKeepTheirPlaces()
{
    QFETCH(int, width);
    Fixture f;
    f.window.resize(width, 300);
    const struct {
        const char* name;
        int left;
        QString hint;
    } want[] = {
        {"IconButton", 5, {}},
        {"CloseButton", width - 26, {}},
        {"MinimizeButton", width - 66, {}},
        {"MenuButton", width - 96, QStringLiteral("功能菜单")},
        {"ClearButton", width - 120, QStringLiteral("清空")},
    };
    for (const auto& w : want) {
        const auto* button = f.child<CaptionButton>(w.name);
        QVERIFY2(button, w.name);
        QCOMPARE(button->geometry(), QRect(w.left, 5, 16, 15));
        QCOMPARE(button->toolTip(), w.hint);
        QVERIFY(button->isVisible());
    }
    const auto* title = f.child<QWidget>("TitleLabel");
    QCOMPARE(title->pos(), QPoint(25, 5));
    QCOMPARE(title->height(), 25);
}

void CalculatorWindowTest::glyphsShowTheirColours_data()
{
    QTest::addColumn<QString>("button");
    QTest::addColumn<Glyph>("glyph");
    QTest::newRow("close is red") << "CloseButton" << Glyph::Close;
    QTest::newRow("clear is white") << "ClearButton" << Glyph::Clear;
    QTest::newRow("minimise is orange") << "MinimizeButton" << Glyph::Minimize;
    QTest::newRow("icon is grey") << "IconButton" << Glyph::Icon;
    QTest::newRow("menu is green") << "MenuButton" << Glyph::Menu;
}

void CalculatorWindowTest::glyphsShowTheirColours()
{
    QFETCH(QString, button);
    QFETCH(Glyph, glyph);
    Fixture f;
    const QImage picture = f.window.findChild<CaptionButton*>(button)->grab().toImage();
    const QColor want = tolvane::ui::GlyphColor(glyph);
    int matching = 0;
    for (int y = 0; y < picture.height(); ++y) {
        for (int x = 0; x < picture.width(); ++x)
            matching += picture.pixelColor(x, y).rgb() == want.rgb();
    }
    // A glyph that is mostly its colour, not a stray anti-aliased pixel.
    QVERIFY2(matching >= 12, qPrintable(QString::number(matching)));
}

void CalculatorWindowTest::menuHasItsItems()
{
    Fixture f;
    QList<QAction*> items = f.window.functionMenu()->actions();
    QCOMPARE(items.size(), 11);
    QCOMPARE(items[0]->text(), QStringLiteral("常用函数"));
    QVERIFY(items[0]->isCheckable());
    QVERIFY(!items[0]->isChecked());
    // The way lines are read: a switch, off on first start, and recalculation with its key.
    QCOMPARE(items[1]->text(), QStringLiteral("引用与合计"));
    QVERIFY(items[1]->isCheckable());
    QVERIFY(!items[1]->isChecked());
    QCOMPARE(items[2]->text(), QStringLiteral("全部重算"));
    QCOMPARE(items[2]->shortcut(), QKeySequence(Qt::Key_F9));
    items.remove(1, 2);
    QVERIFY(items[1]->isSeparator());
    // The file entries, their shortcuts shown beside them, then a separator of their own.
    const struct {
        QString text;
        QKeySequence keys;
    } files[] = {{QStringLiteral("打开…"), QKeySequence(QStringLiteral("Ctrl+O"))},
                 {QStringLiteral("保存"), QKeySequence(QStringLiteral("Ctrl+S"))},
                 {QStringLiteral("另存为…"), QKeySequence(QStringLiteral("Ctrl+Shift+S"))},
                 {QStringLiteral("恢复上次的计算"), QKeySequence()}};
    for (int i = 0; i < 4; ++i) {
        QCOMPARE(items[2 + i]->text(), files[i].text);
        QCOMPARE(items[2 + i]->shortcut(), files[i].keys);
    }
    // Nothing to recover without a recovery folder.
    QVERIFY(!items[5]->isEnabled());
    QVERIFY(items[6]->isSeparator());
    QCOMPARE(items[7]->text(), QStringLiteral("帮助"));
    QCOMPARE(items[8]->text(), QStringLiteral("奖励作者"));
}

void CalculatorWindowTest::menuOpensBelowTheStrip()
{
    Fixture f;
    // Where the whole menu, shortcuts and all, fits on the small offscreen screen, which would
    // otherwise push it left.
    f.window.setGeometry(0, 0, 500, 300);
    QTest::mouseClick(f.child<CaptionButton>("MenuButton"), Qt::LeftButton);
    QMenu* menu = f.window.functionMenu();
    QVERIFY(menu->isVisible());
    QCOMPARE(menu->pos(), f.window.mapToGlobal(QPoint(500 - 96, 25)));
    menu->hide();
}

void CalculatorWindowTest::helpReplacesTheSheetAndUndoBringsItBack()
{
    Fixture f;
    QTest::keyClicks(&f.edit(), "12+3");
    const QString typed = Text(f.edit());
    f.window.findChild<QAction*>(QStringLiteral("N1"))->trigger();
    QCOMPARE(f.sheet().LineCount(), 11);
    QCOMPARE(f.edit().state().currentLine, 10);
    QVERIFY(!Text(f.edit()).contains(QStringLiteral("12+3")));
    f.edit().undo();
    QCOMPARE(Text(f.edit()), typed);
}

void CalculatorWindowTest::clearingsAreOneUndoStep_data()
{
    QTest::addColumn<QString>("how");
    QTest::addColumn<QPoint>("where");
    QTest::newRow("clear button") << "click" << QPoint();
    QTest::newRow("double-click on a free part of the strip") << "dblclick" << QPoint(300, 12);
    QTest::newRow("double-click over the title") << "dblclick" << QPoint(40, 10);
    QTest::newRow("double-click between two caption buttons") << "dblclick" << QPoint(600, 12);
}

void CalculatorWindowTest::clearingsAreOneUndoStep()
{
    QFETCH(QString, how);
    QFETCH(QPoint, where);
    Fixture f;
    QTest::keyClicks(&f.edit(), "7*6");
    const QString before = Text(f.edit());
    if (how == QLatin1String("click"))
        QTest::mouseClick(f.child<CaptionButton>("ClearButton"), Qt::LeftButton);
    else
        QTest::mouseDClick(&f.window, Qt::LeftButton, {}, where);
    QVERIFY(Text(f.edit()).isEmpty());
    f.edit().undo();
    QCOMPARE(Text(f.edit()), before);
}

void CalculatorWindowTest::paletteFollowsTheCheckMark()
{
    Fixture f;
    QAction* item = f.window.paletteItem();
    auto expectDocked = [&f] {
        const QRect frame = f.window.frameGeometry();
        const QRect docked = f.palette->frameGeometry();
        QCOMPARE(docked.topLeft(), QPoint(frame.left() + frame.width(), frame.top()));
        QCOMPARE(docked.height(), frame.height());
    };

    item->trigger();
    QVERIFY(item->isChecked());
    QVERIFY(f.palette->isVisible());
    expectDocked();

    // Moving the calculator brings the palette along, even after it was dragged away.
    f.palette->move(10, 10);
    f.window.move(f.window.pos() + QPoint(-37, 21));
    expectDocked();

    item->trigger();
    QVERIFY(!item->isChecked());
    QVERIFY(!f.palette->isVisible());

    // Closing the palette by its close box clears the mark; the item shows it again, docked.
    item->trigger();
    QVERIFY(f.palette->close());
    QVERIFY(!item->isChecked());
    QVERIFY(!f.palette->isVisible());
    f.window.move(f.window.pos() + QPoint(5, 5));
    QVERIFY(!f.palette->isVisible());
    item->trigger();
    QVERIFY(f.palette->isVisible());
    expectDocked();
}

// The end of a press on the caption strip docks the palette whether or not the window moved:
// a palette dragged away comes back after a plain click on the strip, and a hidden one stays
// hidden.
void CalculatorWindowTest::clickOnTheStripDocksThePalette()
{
    Fixture f;
    f.window.paletteItem()->trigger();
    f.palette->move(10, 10);
    const QPoint before = f.window.pos();
    QTest::mouseClick(&f.window, Qt::LeftButton, {}, QPoint(300, 12));
    QCOMPARE(f.window.pos(), before);
    const QRect frame = f.window.frameGeometry();
    QCOMPARE(f.palette->frameGeometry().topLeft(),
             QPoint(frame.left() + frame.width(), frame.top()));
    QVERIFY(f.palette->isVisible());

    f.window.paletteItem()->trigger();
    QTest::mouseClick(&f.window, Qt::LeftButton, {}, QPoint(300, 12));
    QVERIFY(!f.palette->isVisible());
}

void CalculatorWindowTest::paletteButtonInsertsAtTheCaret_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<int>("caretAfter");
    namespace palette = tolvane::ui::palette;
    for (const palette::GroupEntry& group : palette::Groups()) {
        for (const palette::ButtonEntry& entry : group.buttons) {
            const QString caption = QString::fromUtf8(entry.caption);
            // Empty brackets: the caret goes between them; anything else: after the template.
            const int caret = caption.trimmed().endsWith(QLatin1String("()"))
                                  ? static_cast<int>(caption.indexOf(QLatin1Char('('))) + 1
                                  : static_cast<int>(caption.size());
            QTest::newRow(entry.name.data()) << QString::fromUtf8(entry.name) << caption << caret;
        }
    }
}

void CalculatorWindowTest::paletteButtonInsertsAtTheCaret()
{
    QFETCH(QString, name);
    QFETCH(QString, caption);
    QFETCH(int, caretAfter);
    Fixture f;
    QTest::keyClicks(&f.edit(), "7*");
    const int line = f.edit().state().currentLine;
    const int start = f.sheet().LineStart(line);
    // A person clicks into the palette, which makes it the active window.
    f.window.paletteItem()->trigger();
    f.palette->activateWindow();
    QTRY_VERIFY(f.palette->isActiveWindow());
    QTest::mouseClick(f.palette->Button(name), Qt::LeftButton);
    QCOMPARE(QString::fromStdU16String(f.sheet().LineText(line)), QStringLiteral("7*") + caption);
    QCOMPARE(f.sheet().CaretPos(), start + 2 + caretAfter);
    // The next keys go to the sheet, not to the palette that was clicked.
    QTRY_COMPARE(QApplication::focusWidget(), static_cast<QWidget*>(&f.edit()));
}

void CalculatorWindowTest::paletteInsertsInTheMiddleOfALine()
{
    Fixture f;
    QTest::keyClicks(&f.edit(), "12");
    QTest::keyClick(&f.edit(), Qt::Key_Left);
    const int start = f.sheet().LineStart(10);
    QTest::mouseClick(f.palette->Button(QStringLiteral("cxButton16")), Qt::LeftButton);
    QCOMPARE(QString::fromStdU16String(f.sheet().LineText(10)), QStringLiteral("1sin()2"));
    QCOMPARE(f.sheet().CaretPos(), start + 5);
    // Inserted text is restyled like an evaluated line: brackets red, letters lime.
    QTextCursor cursor(f.edit().document()->findBlockByNumber(10));
    cursor.setPosition(cursor.block().position() + 5); // just after "("
    QCOMPARE(cursor.charFormat().foreground().color(), QColor(255, 0, 0));
    cursor.setPosition(cursor.block().position() + 2); // just after "s"
    QCOMPARE(cursor.charFormat().foreground().color(), QColor(0, 255, 0));
}

void CalculatorWindowTest::paletteAfterClearingGoesToTheCaretLine()
{
    Fixture f;
    QCOMPARE(f.edit().state().currentLine, 10);
    QTest::mouseClick(f.child<CaptionButton>("ClearButton"), Qt::LeftButton);
    // Line 10 no longer exists; the template must still reach the sheet.
    QTest::mouseClick(f.palette->Button(QStringLiteral("cxButton1")), Qt::LeftButton);
    QCOMPARE(Text(f.edit()), QStringLiteral("max()"));
    QCOMPARE(f.sheet().CaretPos(), 4);
}

void CalculatorWindowTest::rewardWindowShowsItsPicture()
{
    Fixture f;
    f.window.findChild<QAction*>(QStringLiteral("N2"))->trigger();
    QCOMPARE(f.runner.shown, QList<QDialog*>{f.reward});
    QCOMPARE(f.reward->windowTitle(), QStringLiteral("奖励作者"));
    QCOMPARE(f.reward->size(), QSize(266, 244));
    QCOMPARE(f.reward->minimumSize(), f.reward->maximumSize());
    QVERIFY(f.reward->isModal());
    QVERIFY(!(f.reward->windowFlags() & Qt::WindowMaximizeButtonHint));
    QVERIFY(!(f.reward->windowFlags() & Qt::WindowMinimizeButtonHint));

    const QImage picture = f.reward->Picture().toImage();
    QCOMPARE(picture.size(), QSize(232, 230));
    QVERIFY(picture.hasAlphaChannel());
    // Drawn stretched: a point of the picture lands at the same fraction of the client area.
    const QImage shown = f.reward->grab().toImage();
    const QSize shownSize = shown.size() / shown.devicePixelRatio();
    QCOMPARE(shownSize, QSize(266, 244));
    for (const QPointF at : {QPointF(0.5, 0.40), QPointF(0.03, 0.5), QPointF(0.5, 0.68)}) {
        const QColor source = picture.pixelColor(int(at.x() * 232), int(at.y() * 230));
        const QColor target = shown.pixelColor(int(at.x() * 266), int(at.y() * 244));
        QVERIFY2(qAbs(source.red() - target.red()) < 40 &&
                     qAbs(source.green() - target.green()) < 40,
                 qPrintable(source.name() + QLatin1Char(' ') + target.name()));
    }
}

void CalculatorWindowTest::bandShowsResizeCursors_data()
{
    QTest::addColumn<QString>("over");
    QTest::addColumn<QPoint>("at");
    QTest::addColumn<int>("cursor");
    QTest::newRow("strip's top edge") << "window" << QPoint(300, 1) << int(Qt::SizeVerCursor);
    QTest::newRow("strip's top-left corner")
        << "window" << QPoint(1, 3) << int(Qt::SizeFDiagCursor);
    QTest::newRow("strip's top-right corner")
        << "window" << QPoint(699, 3) << int(Qt::SizeBDiagCursor);
    QTest::newRow("free strip") << "window" << QPoint(300, 12) << -1;
    QTest::newRow("sheet's right edge") << "sheet" << QPoint(699, 200) << int(Qt::SizeHorCursor);
    QTest::newRow("sheet's bottom edge") << "sheet" << QPoint(300, 421) << int(Qt::SizeVerCursor);
    QTest::newRow("sheet's bottom-right corner")
        << "sheet" << QPoint(699, 421) << int(Qt::SizeFDiagCursor);
    QTest::newRow("sheet's left edge") << "sheet" << QPoint(2, 200) << int(Qt::SizeHorCursor);
    // Where a line wider than the sheet brings up the horizontal scroll bar.
    QTest::newRow("bottom edge below a long line")
        << "long line" << QPoint(300, 421) << int(Qt::SizeVerCursor);
    QTest::newRow("inside the sheet") << "sheet" << QPoint(300, 200) << -1;
}

void CalculatorWindowTest::bandShowsResizeCursors()
{
    QFETCH(QString, over);
    QFETCH(QPoint, at);
    QFETCH(int, cursor);
    Fixture f;
    if (over == QLatin1String("long line"))
        f.edit().setPlainText(QString(400, u'7'));
    QWidget* target = over == QLatin1String("window") ? &f.window : f.edit().viewport();
    QTest::mouseMove(target, target->mapFrom(&f.window, at));
    const QCursor* shown = QGuiApplication::overrideCursor();
    if (cursor < 0)
        QVERIFY(!shown);
    else
        QCOMPARE(shown ? int(shown->shape()) : -1, cursor);
}

void CalculatorWindowTest::dragOnBandResizesAndOnStripMoves_data()
{
    QTest::addColumn<QString>("over");
    QTest::addColumn<QPoint>("from");
    QTest::addColumn<QPoint>("by");
    QTest::addColumn<QRect>("change"); // added to left, top, right, bottom
    QTest::newRow("strip moves") << "window" << QPoint(300, 12) << QPoint(40, 20)
                                 << QRect(QPoint(40, 20), QPoint(40, 20));
    QTest::newRow("right edge over the sheet widens")
        << "sheet" << QPoint(699, 200) << QPoint(50, 9) << QRect(QPoint(0, 0), QPoint(50, 0));
    QTest::newRow("bottom edge over the sheet heightens")
        << "sheet" << QPoint(300, 421) << QPoint(7, 30) << QRect(QPoint(0, 0), QPoint(0, 30));
    QTest::newRow("top-left corner of the strip")
        << "window" << QPoint(1, 1) << QPoint(-20, -10) << QRect(QPoint(-20, -10), QPoint(0, 0));
    QTest::newRow("left edge cannot shrink past the minimum")
        << "sheet" << QPoint(1, 200) << QPoint(650, 0) << QRect(QPoint(500, 0), QPoint(0, 0));
}

void CalculatorWindowTest::dragOnBandResizesAndOnStripMoves()
{
    QFETCH(QString, over);
    QFETCH(QPoint, from);
    QFETCH(QPoint, by);
    QFETCH(QRect, change);
    Fixture f;
    QWidget* target = over == QLatin1String("sheet") ? f.edit().viewport() : &f.window;
    const QRect before = f.window.geometry();
    // The pointer moves over the screen; the window moving under it must not carry it along,
    // so every step is given in screen coordinates and mapped as the window stands then.
    const QPoint start = f.window.mapToGlobal(from);
    QTest::mousePress(target, Qt::LeftButton, {}, target->mapFromGlobal(start));
    QTest::mouseMove(target, target->mapFromGlobal(start + by / 2));
    QTest::mouseMove(target, target->mapFromGlobal(start + by));
    QTest::mouseRelease(target, Qt::LeftButton, {}, target->mapFromGlobal(start + by));
    const QRect after = f.window.geometry();
    QCOMPARE(QRect(after.topLeft() - before.topLeft(), after.bottomRight() - before.bottomRight()),
             change);
}

void CalculatorWindowTest::referencesSwitchIsRemembered()
{
    QTemporaryDir folder;
    QVERIFY(folder.isValid());
    const QString file = folder.filePath(QStringLiteral("tolvane.ini"));
    {
        QSettings settings(file, QSettings::IniFormat);
        Fixture f;
        f.window.setSettings(&settings);
        QVERIFY(!f.window.referencesItem()->isChecked());
        QVERIFY(!f.edit().state().references);
        f.window.referencesItem()->trigger();
        QVERIFY(f.edit().state().references);
    }
    // Written when it changed, not only when the settings object goes: the next run finds it.
    QCOMPARE(QSettings(file, QSettings::IniFormat).value("sheet/references").toBool(), true);
    {
        QSettings settings(file, QSettings::IniFormat);
        Fixture f;
        f.window.setSettings(&settings);
        QVERIFY(f.window.referencesItem()->isChecked());
        QVERIFY(f.edit().state().references);
        f.window.referencesItem()->trigger();
    }
    QCOMPARE(QSettings(file, QSettings::IniFormat).value("sheet/references").toBool(), false);
}

void CalculatorWindowTest::referencesSwitchChangesWhatEnterWrites()
{
    Fixture f;
    tolvane::sheet::RecordingNotifier boxes;
    f.edit().setNotifier(&boxes);
    f.edit().ClearSheet();
    f.window.referencesItem()->trigger();
    TypeText(&f.edit(), QStringLiteral("午饭：25+13"));
    QTest::keyClick(&f.edit(), Qt::Key_Return);
    TypeText(&f.edit(), QStringLiteral("晚饭 40 // 加班"));
    QTest::keyClick(&f.edit(), Qt::Key_Return);
    TypeText(&f.edit(), QStringLiteral("合计"));
    QTest::keyClick(&f.edit(), Qt::Key_Return);
    QCOMPARE(f.sheet().LineText(0), u"午饭：25+13=38");
    QCOMPARE(f.sheet().LineText(1), u"晚饭 40 // 加班=40");
    QCOMPARE(f.sheet().LineText(2), u"合计=78");

    // Off again: the line is read as it always was.
    f.window.referencesItem()->trigger();
    TypeText(&f.edit(), QStringLiteral("合计"));
    QTest::keyClick(&f.edit(), Qt::Key_Return);
    QVERIFY(f.sheet().LineText(3) != u"合计=78");
    QVERIFY(boxes.faults.empty());
    f.edit().setNotifier(nullptr);
}

void CalculatorWindowTest::f9RecalculatesEveryResultInOneUndoStep()
{
    Fixture f;
    tolvane::sheet::RecordingNotifier boxes;
    f.edit().setNotifier(&boxes);
    f.edit().ClearSheet();
    f.window.referencesItem()->trigger();
    for (const char* line : {"房租：2000", "水电：300", "合计"}) {
        TypeText(&f.edit(), QString::fromUtf8(line));
        QTest::keyClick(&f.edit(), Qt::Key_Return);
    }
    QCOMPARE(f.sheet().LineText(2), u"合计=2300");
    // The rent changes; its old result and the total are now out of date.
    f.sheet().ReplaceLine(0, u"房租：2500=2000");
    f.sheet().MoveCaret(1 << 20);
    TypeText(&f.edit(), QStringLiteral("1/0"));
    const int caret = f.sheet().CaretPos();
    const QString before = Text(f.edit());

    // F9 is the window's shortcut: it reaches the action while the window is active.
    f.window.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&f.window));
    QTest::keyClick(&f.edit(), Qt::Key_F9);
    QCOMPARE(f.sheet().LineText(0), u"房租：2500=2500");
    QCOMPARE(f.sheet().LineText(1), u"水电：300=300");
    QCOMPARE(f.sheet().LineText(2), u"合计=2800");
    // A line without a result is not evaluated, and the caret stays where the typing was.
    QCOMPARE(f.sheet().LineText(3), u"1/0");
    QCOMPARE(f.sheet().CaretPos(), caret);
    QVERIFY(boxes.messages.empty());
    QVERIFY(boxes.faults.empty());

    f.edit().undo();
    QCOMPARE(Text(f.edit()), before);
    f.edit().setNotifier(nullptr);
}

void CalculatorWindowTest::f9WithTheSwitchOffRecalculatesToo()
{
    Fixture f;
    tolvane::sheet::RecordingNotifier boxes;
    f.edit().setNotifier(&boxes);
    f.edit().ClearSheet();
    QVERIFY(!f.edit().state().references);
    f.sheet().ReplaceLine(0, u"1+2=5");
    f.sheet().AppendLine(u"2*(3=");
    f.sheet().MoveCaret(0);
    // Through the menu entry this time; the line that would show the box is written as Enter
    // writes it, without the box.
    f.window.recalculateItem()->trigger();
    QCOMPARE(f.sheet().LineText(0), u"1+2=3");
    QVERIFY(boxes.messages.empty());
    QCOMPARE(f.sheet().CaretPos(), 0);
    f.edit().setNotifier(nullptr);
}

QTEST_MAIN(CalculatorWindowTest)
#include "calculator_window_test.moc"
