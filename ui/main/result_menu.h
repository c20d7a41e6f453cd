// The entries of the sheet's context menu that copy the result of the caret's line: as it stands
// (复制结果, also Ctrl+Shift+C while the sheet has the focus), with its digits grouped by
// thousands (复制为千分位) and as the uppercase amount for bills (复制为人民币大写).
//
// The texts come from the Qt-free sheet layer (result_text.h, amount_text.h); this class only
// decides which entries a menu shows and puts the chosen text on the clipboard. Scripts and tests
// find the entries by objectName: "copyResultAction", "copyGroupedAction",
// "copyUppercaseAction".
#pragma once

#include "sheet/sheet.h"

#include <QObject>

#include <string>

class QAction;
class QMenu;
class QWidget;

namespace tolvane::ui {

class ResultMenu final : public QObject {
    Q_OBJECT

public:
    // The entries belong to `sheetWidget`, which shows `sheet`; the shortcut works while that
    // widget has the focus and types nothing there.
    ResultMenu(QWidget& sheetWidget, sheet::Sheet& sheet);

    // Appends the group to `menu` for the caret's line as it is now: nothing when the line
    // carries no result, the three entries disabled when its result is no number, and
    // 复制为人民币大写 disabled alone when the amount is beyond the uppercase units. A disabled
    // entry's tooltip says why, an enabled one's shows what it copies.
    void AddTo(QMenu& menu);

    [[nodiscard]] QAction* copyResultAction() const { return m_copyResult; }
    [[nodiscard]] QAction* copyGroupedAction() const { return m_copyGrouped; }
    [[nodiscard]] QAction* copyUppercaseAction() const { return m_copyUppercase; }

private:
    enum class Form { kAsShown, kGrouped, kUppercase };
    // The text an entry copies for the caret's line; empty when there is none.
    [[nodiscard]] std::u16string TextToCopy(Form form) const;
    void Copy(Form form);
    // Outside a menu every entry is enabled, so the shortcut always reaches Copy, which looks at
    // the caret's line when it is pressed.
    void ResetEntries();

    sheet::Sheet& m_sheet;
    QAction* m_copyResult = nullptr;
    QAction* m_copyGrouped = nullptr;
    QAction* m_copyUppercase = nullptr;
};

} // namespace tolvane::ui
