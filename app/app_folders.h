// Where the program keeps what it writes for itself: the recovery files of its sheets, and any
// settings (through QSettings).
//
// Installed, that is the local application data folder: %LOCALAPPDATA%\tolvane on Windows
// (never the roaming profile, which follows the user from machine to machine at every sign-in:
// a recovery file belongs to the machine whose window wrote it), ~/.local/share/tolvane on Linux.
// Portable, when the marker file kPortableMarker sits beside the program (the portable zip ships
// one), it is the folder kPortableDataFolder beside the program, and settings are an INI file
// there: the program then writes nothing outside its own folder, so it can run from a USB stick
// and leave the machine as it found it.
#pragma once

#include <QString>

namespace tolvane::app {

inline constexpr char kPortableMarker[] = "portable.txt";
inline constexpr char kPortableDataFolder[] = "data";

struct AppFolders {
    // The folder of the program's own files (made when first written).
    QString data;
    // The recovery files' folder, inside `data`.
    QString recovery;
    bool portable = false;
};

// The folders for a program that lives in `programFolder` (QCoreApplication::applicationDirPath()).
// Needs the application's name set (QCoreApplication::setApplicationName).
[[nodiscard]] AppFolders FindAppFolders(const QString& programFolder);

// Points QSettings at `folders`. The program opens its settings (the 引用与合计 switch) as
// QSettings(QSettings::IniFormat, QSettings::UserScope, "tolvane"), which in portable mode is
// tolvane.ini in the data folder (and nothing is read from the system's settings), and
// otherwise the user's settings folder of the system.
void UseAppFolders(const AppFolders& folders);

} // namespace tolvane::app
