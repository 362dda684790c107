// gt730-sim: a GT730 logger on a pseudo-terminal, for tests and demonstrations.

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QFile>
#include <QRegularExpression>
#include <cstdio>

#include "emulator.h"
#include "faults.h"
#include "kav/version.h"
#include "signal_pipe.h"

namespace {

using kav::sim::EmulatorOptions;

void addOptions(QCommandLineParser& parser) {
    parser.setApplicationDescription(
        QStringLiteral("Emulates a GT730 logger on a pseudo-terminal.\n"
                       "SIGUSR1 power-cycles it: back at 115200 baud, the pty stays open.\n\n"
                       "Faults (--fault):\n") +
        kav::sim::FaultSet::helpText());
    parser.addHelpOption();
    parser.addVersionOption();
    parser.addOptions({
        {QStringLiteral("image"), QStringLiteral("Memory image (4096-byte sectors)."),
         QStringLiteral("FILE")},
        {QStringLiteral("sample"), QStringLiteral("Serve the built-in sample day (the default).")},
        {QStringLiteral("link"), QStringLiteral("Also make a symbolic link to the pty."),
         QStringLiteral("PATH")},
        {QStringLiteral("fast"), QStringLiteral("Send at full speed instead of the line rate.")},
        {QStringLiteral("rate"),
         QStringLiteral("Start at this line rate (4800 ... 921600), as a logger left there by "
                        "a program that did not put it back (default 115200)."),
         QStringLiteral("BAUD")},
        {QStringLiteral("ignore-line-rate"),
         QStringLiteral("Stay at 115200 baud whatever the host or 0x05 asks.")},
        {QStringLiteral("bare-trailer"),
         QStringLiteral("End raw blocks at the checksum byte (no tail bytes before CR LF).")},
        {QStringLiteral("full"),
         QStringLiteral("The memory is full: the image's sectors, none left.")},
        {QStringLiteral("fault"), QStringLiteral("Switch a fault on (repeatable)."),
         QStringLiteral("NAME[=ARG]")},
        {QStringLiteral("trace"), QStringLiteral("Write every frame to FILE."),
         QStringLiteral("FILE")},
        {QStringLiteral("continuous-output"), QStringLiteral("Stream NMEA text until stopped.")},
        {QStringLiteral("no-announce"), QStringLiteral("Do not announce the port as ttySIM<n>.")},
        {QStringLiteral("serial"),
         QStringLiteral("The serial number in the user-data area (letters, digits, '-', '_' and "
                        "spaces; a host reads the first 14)."),
         QStringLiteral("NUMBER")},
    });
}

// A serial number a host can read back as it was given: the characters it keeps.
bool validSerialNumber(const QString& text) {
    static const QRegularExpression allowed(QStringLiteral("^[A-Za-z0-9 _-]{1,64}$"));
    return allowed.match(text).hasMatch();
}

// Options from the command line; false with a message when they do not hold together.
bool readOptions(const QCommandLineParser& parser, EmulatorOptions& options, QString& error) {
    if (parser.isSet(QStringLiteral("image")) && parser.isSet(QStringLiteral("sample"))) {
        error = QStringLiteral("--image and --sample exclude each other");
        return false;
    }
    if (parser.isSet(QStringLiteral("image"))) {
        QFile file(parser.value(QStringLiteral("image")));
        if (!file.open(QIODevice::ReadOnly)) {
            error = QStringLiteral("cannot read %1: %2").arg(file.fileName(), file.errorString());
            return false;
        }
        options.image = file.readAll();
    } else {
        options.image = kav::sim::sampleImage();
    }
    options.linkPath = parser.value(QStringLiteral("link"));
    options.fast = parser.isSet(QStringLiteral("fast"));
    options.honourLineRate = !parser.isSet(QStringLiteral("ignore-line-rate"));
    if (parser.isSet(QStringLiteral("rate"))) {
        bool number = false;
        options.startRate = parser.value(QStringLiteral("rate")).toInt(&number);
        if (!number) options.startRate = 0;  // refused by the emulator's start
    }
    options.bareTrailer = parser.isSet(QStringLiteral("bare-trailer"));
    options.fullMemory = parser.isSet(QStringLiteral("full"));
    options.faults = parser.values(QStringLiteral("fault"));
    options.traceFile = parser.value(QStringLiteral("trace"));
    options.continuousOutput = parser.isSet(QStringLiteral("continuous-output"));
    options.announce = !parser.isSet(QStringLiteral("no-announce"));
    if (parser.isSet(QStringLiteral("serial"))) {
        options.serialNumber = parser.value(QStringLiteral("serial"));
        if (!validSerialNumber(options.serialNumber)) {
            error = QStringLiteral(
                "--serial takes letters, digits, '-', '_' and spaces, "
                "1 to 64 of them");
            return false;
        }
    }
    return true;
}

}  // namespace

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("gt730-sim"));
    QCoreApplication::setApplicationVersion(QStringLiteral(KAV_VERSION));
    QCommandLineParser parser;
    addOptions(parser);
    parser.process(app);

    EmulatorOptions options;
    QString error;
    if (!readOptions(parser, options, error)) {
        std::fprintf(stderr, "gt730-sim: %s\n", qPrintable(error));
        return 2;
    }
    kav::sim::Emulator emulator(options);
    if (!emulator.start(&error)) {
        std::fprintf(stderr, "gt730-sim: %s\n", qPrintable(error));
        return 1;
    }
    std::printf("%s\n", qPrintable(emulator.ptyPath()));
    std::fflush(stdout);
    if (options.announce && emulator.announcedName().isEmpty())
        std::fprintf(stderr, "gt730-sim: the port could not be announced\n");

    kav::sim::SignalPipe signalPipe;
    signalPipe.install();
    QObject::connect(&signalPipe, &kav::sim::SignalPipe::terminationRequested, &app,
                     &QCoreApplication::quit);
    QObject::connect(
        &signalPipe, &kav::sim::SignalPipe::powerCycleRequested, &emulator, [&emulator] {
            emulator.powerCycle();
            std::fprintf(stderr, "gt730-sim: power cycle, now at %d baud\n", emulator.lineRate());
        });
    QObject::connect(&emulator, &kav::sim::Emulator::vanished, &app, [] {
        std::fprintf(stderr, "gt730-sim: the device vanished\n");
        QCoreApplication::quit();
    });
    return app.exec();  // the emulator's destructor withdraws the announcement and the link
}
