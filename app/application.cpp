#include "app/application.h"

#include "ui/main/window_caption.h"

#include <QLibraryInfo>
#include <QMessageBox>
#include <QTranslator>

#include <exception>

namespace tolvane::app {

void ShowErrorBox(const QString& description)
{
    QMessageBox box(QMessageBox::Critical, ui::WindowCaption(), description, QMessageBox::Ok,
                    QApplication::activeWindow());
    box.exec();
}

TolvaneApplication::TolvaneApplication(int& argc, char** argv)
    : QApplication(argc, argv)
    , m_report(ShowErrorBox)
{}

void TolvaneApplication::setErrorReport(ErrorReport report)
{
    m_report = report ? std::move(report) : ErrorReport(ShowErrorBox);
}

bool TolvaneApplication::notify(QObject* receiver, QEvent* event)
{
    // Every event handler runs below this call, so this is the one place where a fault that
    // escaped a handler can be caught, reported and left behind.
    try {
        return QApplication::notify(receiver, event);
    } catch (const std::exception& fault) {
        m_report(QString::fromUtf8(fault.what()));
    } catch (...) {
        m_report(QStringLiteral("未知错误"));
    }
    return false;
}

bool TolvaneApplication::LoadChineseTranslations()
{
    auto* translator = new QTranslator(this);
    // A program linked with a static Qt (tolvane.exe) has no Qt folder to look in: it carries
    // the file in its resources.
    if (!translator->load(QStringLiteral("qtbase_zh_CN"),
                          QLibraryInfo::path(QLibraryInfo::TranslationsPath)) &&
        !translator->load(QStringLiteral(":/i18n/qtbase_zh_CN.qm"))) {
        delete translator;
        return false;
    }
    return installTranslator(translator);
}

} // namespace tolvane::app
