// The caption strip's buttons: 16 x 15, glyph only, each bound to one action whose glyph and
// click it takes over. The glyphs are drawn here rather than shipped, so they stay sharp at any
// device pixel ratio.
#pragma once

#include <QAbstractButton>
#include <QIcon>

class QAction;

namespace tolvane::ui {

// The glyph colours are part of the window's language: the help text calls the menu button green
// and the clear button white.
enum class Glyph { Clear, Close, Minimize, Icon, Menu };

[[nodiscard]] QIcon MakeGlyph(Glyph glyph);
// The colour a glyph is drawn in, for tests that check the picture.
[[nodiscard]] QColor GlyphColor(Glyph glyph);

class CaptionButton : public QAbstractButton {
    Q_OBJECT
public:
    static constexpr QSize kSize{16, 15};

    CaptionButton(QAction* action, QWidget* parent);

    [[nodiscard]] QSize sizeHint() const override { return kSize; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QAction* m_action;
};

} // namespace tolvane::ui
