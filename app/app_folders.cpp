#include "app/app_folders.h"

#include <QDir>
#include <QFileInfo>
#include <QSettings>
#include <QStandardPaths>

namespace tolvane::app {

AppFolders FindAppFolders(const QString& programFolder)
{
    AppFolders folders;
    const QDir program(programFolder);
    folders.portable = QFileInfo(program.filePath(QString::fromUtf8(kPortableMarker))).isFile();
    folders.data =
        folders.portable
            ? QDir::cleanPath(program.absoluteFilePath(QString::fromUtf8(kPortableDataFolder)))
            : QStandardPaths::writableLocation(QStandardPaths::AppLocalDataLocation);
    folders.recovery = folders.data + QStringLiteral("/recovery");
    return folders;
}

void UseAppFolders(const AppFolders& folders)
{
    if (!folders.portable)
        return;
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, folders.data);
    QSettings::setPath(QSettings::IniFormat, QSettings::SystemScope, folders.data);
}

} // namespace tolvane::app
