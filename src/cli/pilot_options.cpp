#include "cli/pilot_options.h"

namespace kav::cli {

void addPilotOptions(CommandLine& cl, const QString& what) {
    cl.add({QStringLiteral("pilots"),
            QStringLiteral("CSV file of \"serial number, competition id, name\" lines: ") + what +
                QStringLiteral(" are named after the pilot (see --name-style)."),
            QStringLiteral("FILE")});
    cl.add({QStringLiteral("name-style"),
            QStringLiteral("How a pilot's folder and files are named: name.id (<name>.<id>, the "
                           "default), id (<id>), or name_id (<first>_<last>_<id>: ASCII letters "
                           "only, accents dropped, hyphens and apostrophes left out, the first "
                           "word of the name the first name and the other words joined the "
                           "last, e.g. \"Zoë Çelik-Ünal\", 17 gives Zoe_CelikUnal_17)."),
            QStringLiteral("S"), QStringLiteral("name.id")});
}

std::optional<PilotNaming> pilotOptions(CommandLine& cl) {
    PilotNaming naming;
    const QCommandLineParser& p = cl.parser();
    const auto style = nameStyleFrom(p.value(QStringLiteral("name-style")));
    if (!style) {
        cl.usageError(QStringLiteral("unknown name style '%1' (name.id, id or name_id)")
                          .arg(p.value(QStringLiteral("name-style"))));
        return std::nullopt;
    }
    naming.style = *style;
    if (!p.isSet(QStringLiteral("pilots"))) return naming;
    QString error;
    naming.pilots = PilotList::read(p.value(QStringLiteral("pilots")), &error);
    if (!naming.pilots) {
        cl.usageError(error);
        return std::nullopt;
    }
    return naming;
}

}  // namespace kav::cli
