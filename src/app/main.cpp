// The desktop program: the main window over the shared core.
#include <QApplication>

#include "app/main_window.h"

int main(int argc, char* argv[]) {
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("KAV-SkyTraq-V6"));
    kav::app::TKAVSkyTraqV6 window;
    window.show();
    return QApplication::exec();
}
