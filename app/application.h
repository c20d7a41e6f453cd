// The application object: Qt's, plus the program's top-level error report. An exception that
// escapes an event handler is shown in a modal box with its description, that one event is
// dropped, and the program goes on.
#pragma once

#include <QApplication>

#include <functional>

namespace tolvane::app {

class TolvaneApplication : public QApplication {
    Q_OBJECT
public:
    // Shows one error description to the user; modal, returns when it is dismissed.
    using ErrorReport = std::function<void(const QString& description)>;

    TolvaneApplication(int& argc, char** argv);

    bool notify(QObject* receiver, QEvent* event) override;

    // Replaces the message box, so tests can see the report without a modal loop.
    void setErrorReport(ErrorReport report);

    // Loads Qt's own Chinese texts, so standard buttons read "确定". False when the
    // translations are not installed (the buttons then stay in English).
    bool LoadChineseTranslations();

private:
    ErrorReport m_report;
};

// The box the user sees: the window's caption, the description, an OK button.
void ShowErrorBox(const QString& description);

} // namespace tolvane::app
