// The desktop program: the main window over the shared core.
#include <QApplication>
#include <QIcon>

#include "app/main_window.h"

int main(int argc, char* argv[]) {
    QApplication application(argc, argv);
    // The name places the settings in the user's configuration folder: ~/.config/kav-skytraq.
    // Window titles and message box captions are set on their own and do not change with it.
    QApplication::setApplicationName(QStringLiteral("kav-skytraq"));
    // Ties the window to the installed menu entry and its icon; nothing changes when not installed.
    QGuiApplication::setDesktopFileName(QStringLiteral("kav-skytraq"));
    QApplication::setWindowIcon(QIcon::fromTheme(QStringLiteral("kav-skytraq")));
    kav::app::TKAVSkyTraqV6 window;
    window.show();
    return QApplication::exec();
}
