// Start-up and shutdown of the program: the application, then the three windows in their order
// (calculator, palette, reward dialog), and the message loop. The engine keeps no tables to set
// up or release: each evaluation is handed the named values it reads.
#include "app/app_folders.h"
#include "app/application.h"
#include "ui/main/calculator_window.h"
#include "ui/main/reward_dialog.h"
#include "ui/palette/palette_window.h"

#include <QGuiApplication>
#include <QSettings>

int main(int argc, char** argv)
{
    int status = 0;
    {
        tolvane::app::TolvaneApplication app(argc, argv);
        // Names the folder of the recovery files, whatever the program file is called.
        tolvane::app::TolvaneApplication::setApplicationName(QStringLiteral("tolvane"));
        const tolvane::app::AppFolders folders =
            tolvane::app::FindAppFolders(QCoreApplication::applicationDirPath());
        tolvane::app::UseAppFolders(folders);
        app.LoadChineseTranslations();
        // Wayland desktops match a window to its menu entry by this name, not by the window class.
        QGuiApplication::setDesktopFileName(QStringLiteral("io.github.tolvane.Tolvane"));

        // The calculator window owns the taskbar entry; the other two are owned by it, stay
        // above it and never get one of their own.
        tolvane::ui::CalculatorWindow window;
        // What the user switched on in the function menu (引用与合计) stays on in the next run.
        QSettings settings(QSettings::IniFormat, QSettings::UserScope, QStringLiteral("tolvane"));
        window.setSettings(&settings);
        auto* palette = new tolvane::ui::PaletteWindow(&window);
        auto* reward = new tolvane::ui::RewardDialog(&window);
        window.setPalette(palette);
        window.setRewardDialog(reward);
        // The sheet is kept in a recovery file from the end of the help text on, so a crash
        // loses at most the last two seconds; "恢复上次的计算" brings it back in the next run.
        window.EnableRecovery(folders.recovery);

        window.show();
        status = app.exec();
    }
    return status;
}
