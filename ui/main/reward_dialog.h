// The reward dialog: a fixed dialog that shows one picture stretched over its client area. Its
// objectName is "frmGL".
#pragma once

#include <QDialog>
#include <QPixmap>

namespace tolvane::ui {

class RewardDialog : public QDialog {
    Q_OBJECT
public:
    static constexpr QSize kClientSize{266, 244};

    explicit RewardDialog(QWidget* owner);

    // The picture as shipped (232 x 230, RGBA); it is drawn stretched to the client area.
    // Decoded on first use, so start-up does not pay for a picture that may never be shown.
    [[nodiscard]] const QPixmap& Picture();

protected:
    void paintEvent(QPaintEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    QPixmap m_picture;
};

} // namespace tolvane::ui
