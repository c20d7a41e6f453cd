// The entries of the sheet's context menu that copy the result of the line the menu was opened
// for: as it stands (复制结果), with its digits grouped by thousands (复制为千分位) and as the
// uppercase amount for bills (复制为人民币大写). Ctrl+Shift+C, while the sheet has the focus,
// copies the result of the caret's line as it stands.
//
// The texts come from the Qt-free sheet layer (result_text.h, amount_text.h); this class only
// decides which entries a menu shows and puts the chosen text on the clipboard. Scripts and tests
// find the entries by objectName: "copyResultAction", "copyGroupedAction",
// "copyUppercaseAction".
#pragma once

#include "sheet/sheet.h"

#include <QObject>

#include <string>
#include <string_view>

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

    // Appends the group to `menu` for sheet line `line` (the one under a right click, or the
    // caret's for the Menu key), whatever is selected: nothing when the line carries no result,
    // the three entries disabled when its result is no number, and 复制为人民币大写 disabled
    // alone when the amount is beyond the uppercase units. A disabled entry's tooltip says why,
    // an enabled one's shows what it copies. The entries chosen in that menu copy from that line.
    void AddTo(QMenu& menu, int line);

    [[nodiscard]] QAction* copyResultAction() const { return m_copyResult; }
    [[nodiscard]] QAction* copyGroupedAction() const { return m_copyGrouped; }
    [[nodiscard]] QAction* copyUppercaseAction() const { return m_copyUppercase; }

private:
    enum class Form { kAsShown, kGrouped, kUppercase };
    // The text an entry copies from `line`; empty when there is none.
    [[nodiscard]] static std::u16string TextToCopy(std::u16string_view line, Form form);
    // An entry of the menu: copies from the line the menu was opened for.
    void Copy(Form form);
    // A closed menu leaves its entries enabled and without tooltips.
    void ResetEntries();

    sheet::Sheet& m_sheet;
    // The line of the last menu the entries were added to.
    std::u16string m_menuLine;
    QAction* m_copyResult = nullptr;
    QAction* m_copyGrouped = nullptr;
    QAction* m_copyUppercase = nullptr;
};

} // namespace tolvane::ui
