// The reward window: a fixed dialog that shows one picture stretched over its client area.
#pragma once

#include <QDialog>
#include <QPixmap>

namespace tolvane::ui {

class TfrmGL : public QDialog {
    Q_OBJECT
public:
    static constexpr QSize kClientSize{266, 244};

    explicit TfrmGL(QWidget* owner);

    // The picture as shipped (232 x 230, RGBA); it is drawn stretched to the client area.
    [[nodiscard]] const QPixmap& Picture() const { return m_picture; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    QPixmap m_picture;
};

} // namespace tolvane::ui
