// The top-level error report: a fault escaping an event handler reaches the user with its
// description, that event is dropped, and the next event is handled as usual. Also: Qt's own
// buttons speak Chinese, and the program's files go where an installed or a portable program
// keeps them.
#include "app/app_folders.h"
#include "app/application.h"

#include <QDir>
#include <QFile>
#include <QMessageBox>
#include <QPushButton>
#include <QSettings>
#include <QStandardPaths>
#include <QSysInfo>
#include <QTemporaryDir>
#include <QTest>

#include <stdexcept>

using tolvane::app::TolvaneApplication;

namespace {

// Throws from its event handler when told to, otherwise counts what it handled.
class Faulty : public QObject {
public:
    int handled = 0;
    bool throwStd = false;
    bool throwOther = false;

protected:
    bool event(QEvent* e) override
    {
        if (e->type() != QEvent::User)
            return QObject::event(e);
        if (throwStd)
            throw std::runtime_error("除数为零");
        if (throwOther)
            throw 42;
        ++handled;
        return true;
    }
};

} // namespace

class ApplicationTest : public QObject {
    Q_OBJECT
private slots:
    void faultIsReportedAndProgramGoesOn_data();
    void faultIsReportedAndProgramGoesOn();
    void standardButtonsReadChinese();
    void installedKeepsFilesInLocalAppData_data();
    void installedKeepsFilesInLocalAppData();
    void portableKeepsFilesBesideProgram();
};

void ApplicationTest::faultIsReportedAndProgramGoesOn_data()
{
    QTest::addColumn<bool>("standardFault");
    QTest::addColumn<QString>("wantReport");
    QTest::newRow("std::exception: its description, UTF-8") << true << QStringLiteral("除数为零");
    QTest::newRow("anything else: a generic description") << false << QStringLiteral("未知错误");
}

void ApplicationTest::faultIsReportedAndProgramGoesOn()
{
    QFETCH(bool, standardFault);
    QFETCH(QString, wantReport);
    auto* app = qobject_cast<TolvaneApplication*>(QCoreApplication::instance());
    QVERIFY(app);
    QStringList reports;
    app->setErrorReport([&reports](const QString& text) { reports << text; });

    Faulty target;
    target.throwStd = standardFault;
    target.throwOther = !standardFault;
    QCoreApplication::postEvent(&target, new QEvent(QEvent::User));
    QCoreApplication::sendPostedEvents(&target);
    QCOMPARE(reports, QStringList{wantReport});
    QCOMPARE(target.handled, 0);

    // The loop keeps running and the next event goes through.
    target.throwStd = target.throwOther = false;
    QCoreApplication::postEvent(&target, new QEvent(QEvent::User));
    QCoreApplication::sendPostedEvents(&target);
    QCOMPARE(target.handled, 1);
    QCOMPARE(reports.size(), 1);
    app->setErrorReport({});
}

void ApplicationTest::standardButtonsReadChinese()
{
    auto* app = qobject_cast<TolvaneApplication*>(QCoreApplication::instance());
    QVERIFY2(app->LoadChineseTranslations(), "qtbase_zh_CN.qm not found");
    QMessageBox box;
    QCOMPARE(box.addButton(QMessageBox::Ok)->text(), QStringLiteral("确定"));
}

void ApplicationTest::installedKeepsFilesInLocalAppData_data()
{
    QTest::addColumn<bool>("markerIsFolder");
    QTest::newRow("no marker") << false;
    QTest::newRow("a folder named like the marker") << true;
}

void ApplicationTest::installedKeepsFilesInLocalAppData()
{
    QFETCH(bool, markerIsFolder);
    QTemporaryDir program;
    if (markerIsFolder)
        QVERIFY(QDir(program.path()).mkdir(QString::fromUtf8(tolvane::app::kPortableMarker)));
    const auto folders = tolvane::app::FindAppFolders(program.path());
    QVERIFY(!folders.portable);
    // On Windows the local folder, never the roaming profile; elsewhere Qt's two are the same
    // folder, where the recovery files always were.
    QCOMPARE(folders.data, QStandardPaths::writableLocation(QStandardPaths::AppLocalDataLocation));
    QVERIFY2(!folders.data.contains(QStringLiteral("Roaming")), qPrintable(folders.data));
    if (QSysInfo::productType() != QStringLiteral("windows"))
        QCOMPARE(folders.data, QStandardPaths::writableLocation(QStandardPaths::AppDataLocation));
    QVERIFY(folders.data.endsWith(QStringLiteral("/tolvane")));
    QCOMPARE(folders.recovery, folders.data + QStringLiteral("/recovery"));
}

void ApplicationTest::portableKeepsFilesBesideProgram()
{
    QTemporaryDir program;
    QFile marker(QDir(program.path()).filePath(QString::fromUtf8(tolvane::app::kPortableMarker)));
    QVERIFY(marker.open(QIODevice::WriteOnly));
    marker.close();
    const auto folders = tolvane::app::FindAppFolders(program.path());
    QVERIFY(folders.portable);
    QCOMPARE(folders.data, QDir(program.path()).filePath(QStringLiteral("data")));
    QCOMPARE(folders.recovery, folders.data + QStringLiteral("/recovery"));

    // Settings follow: an INI file in the data folder, not the registry or ~/.config.
    tolvane::app::UseAppFolders(folders);
    {
        QSettings settings(QSettings::IniFormat, QSettings::UserScope, QStringLiteral("tolvane"));
        settings.setValue(QStringLiteral("probe"), 1);
        settings.sync();
        QCOMPARE(settings.status(), QSettings::NoError);
        QVERIFY2(settings.fileName().startsWith(folders.data), qPrintable(settings.fileName()));
        QVERIFY(QFile::exists(settings.fileName()));
    }
}

int main(int argc, char** argv)
{
    TolvaneApplication app(argc, argv);
    TolvaneApplication::setApplicationName(QStringLiteral("tolvane"));
    QStandardPaths::setTestModeEnabled(true);
    ApplicationTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "application_test.moc"
