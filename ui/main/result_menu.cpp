#include "ui/main/result_menu.h"

#include "sheet/amount_text.h"
#include "sheet/line_logic.h"
#include "sheet/result_text.h"
#include "ui/common/qt_text.h"

#include <QAction>
#include <QClipboard>
#include <QGuiApplication>
#include <QKeySequence>
#include <QMenu>
#include <QWidget>

#include <optional>

namespace tolvane::ui {

namespace {

std::u16string CaretLine(const sheet::Sheet& sheet)
{
    return sheet.LineText(sheet.LineAt(sheet.CaretPos()));
}

} // namespace

ResultMenu::ResultMenu(QWidget& sheetWidget, sheet::Sheet& sheet)
    : QObject(&sheetWidget)
    , m_sheet(sheet)
{
    const auto makeEntry = [this](const char* name, const char16_t* text, Form form) {
        auto* action = new QAction(FromUtf16(text), this);
        action->setObjectName(QString::fromLatin1(name));
        connect(action, &QAction::triggered, this, [this, form] { Copy(form); });
        return action;
    };
    m_copyResult = makeEntry("copyResultAction", u"复制结果", Form::kAsShown);
    m_copyGrouped = makeEntry("copyGroupedAction", u"复制为千分位", Form::kGrouped);
    m_copyUppercase = makeEntry("copyUppercaseAction", u"复制为人民币大写", Form::kUppercase);
    // The menu shows the shortcut beside its entry, and it works there too; in the sheet a
    // shortcut of its own copies from the caret's line. Ctrl+Shift+C is no editing key of the
    // text control, so the action receives it before the control would see a key press.
    const QKeySequence keys(Qt::CTRL | Qt::SHIFT | Qt::Key_C);
    m_copyResult->setShortcut(keys);
    m_copyResult->setShortcutContext(Qt::WidgetShortcut);
    auto* shortcut = new QAction(this);
    shortcut->setObjectName(QStringLiteral("copyResultShortcut"));
    shortcut->setShortcut(keys);
    shortcut->setShortcutContext(Qt::WidgetShortcut);
    connect(shortcut, &QAction::triggered, this, [this] {
        const std::u16string text = TextToCopy(CaretLine(m_sheet), Form::kAsShown);
        if (!text.empty())
            QGuiApplication::clipboard()->setText(FromUtf16(text));
    });
    sheetWidget.addAction(shortcut);
}

std::u16string ResultMenu::TextToCopy(std::u16string_view line, Form form)
{
    const std::optional<std::u16string> number = sheet::NumericResult(line);
    if (!number)
        return {};
    switch (form) {
    case Form::kAsShown:
        return *number;
    case Form::kGrouped:
        return sheet::GroupThousands(*number);
    case Form::kUppercase:
        return sheet::ToUppercaseAmount(*number).text;
    }
    return {};
}

void ResultMenu::Copy(Form form)
{
    const std::u16string text = TextToCopy(m_menuLine, form);
    if (!text.empty())
        QGuiApplication::clipboard()->setText(FromUtf16(text));
}

void ResultMenu::AddTo(QMenu& menu, int lineIndex)
{
    const std::u16string line = m_sheet.LineText(lineIndex);
    if (!sheet::HasResultSeparator(line))
        return;
    const std::optional<std::u16string> number = sheet::NumericResult(line);
    const sheet::UppercaseAmount amount =
        number ? sheet::ToUppercaseAmount(*number)
               : sheet::UppercaseAmount{{}, sheet::AmountProblem::kNotANumber};
    const auto show = [](QAction* action, const std::u16string& text, std::u16string_view why) {
        action->setEnabled(!text.empty());
        action->setToolTip(FromUtf16(text.empty() ? why : text));
    };
    show(m_copyResult, number.value_or(u""), sheet::msg::kAmountNotANumber);
    show(m_copyGrouped, number ? sheet::GroupThousands(*number) : u"",
         sheet::msg::kAmountNotANumber);
    show(m_copyUppercase, amount.text,
         amount.problem == sheet::AmountProblem::kTooLarge ? sheet::msg::kAmountTooLarge
                                                           : sheet::msg::kAmountNotANumber);
    m_menuLine = line;

    menu.setToolTipsVisible(true);
    menu.addSeparator();
    menu.addAction(m_copyResult);
    menu.addAction(m_copyGrouped);
    menu.addAction(m_copyUppercase);
    connect(&menu, &QMenu::aboutToHide, this, &ResultMenu::ResetEntries);
}

void ResultMenu::ResetEntries()
{
    for (QAction* action : {m_copyResult, m_copyGrouped, m_copyUppercase}) {
        action->setEnabled(true);
        action->setToolTip(QString());
    }
}

} // namespace tolvane::ui
