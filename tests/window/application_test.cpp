// The top-level error report: a fault escaping an event handler reaches the user with its
// description, that event is dropped, and the next event is handled as usual. Also: Qt's own
// buttons speak Chinese.
#include "app/application.h"

#include <QMessageBox>
#include <QPushButton>
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

int main(int argc, char** argv)
{
    TolvaneApplication app(argc, argv);
    ApplicationTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "application_test.moc"
