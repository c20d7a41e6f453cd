// The yardstick of the start-up benchmark: the least a Qt 6 program with a text control does
// before its window is mapped. Built in the same tree with the same flags as tolvane.
#include <QApplication>
#include <QPlainTextEdit>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QPlainTextEdit edit;
    edit.setWindowTitle(QStringLiteral("bare"));
    edit.setPlainText(QStringLiteral("1+2=3"));
    edit.resize(700, 422);
    edit.show();
    return app.exec();
}
