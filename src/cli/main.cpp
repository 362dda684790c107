// kav-skytraq-cli: the command-line front end over the same link, log and export code.

#include <QCoreApplication>

#include "cli/cli_app.h"
#include "kav/version.h"

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("kav-skytraq-cli"));
    QCoreApplication::setApplicationVersion(QStringLiteral(KAV_VERSION));
    return kav::cli::runCli(QCoreApplication::arguments().mid(1));
}
