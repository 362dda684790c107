// Download of the sample day from the emulator paced at 115200 baud, through the real serial
// stack: time per sector against the wire time of the bytes exchanged for it.

#include <cstdio>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>

#include "link/logger_link.h"
#include "link/serial_transport.h"
#include "sim/emulator.h"

namespace {

struct Figures {
    int sectors = 0;
    double msPerSector = 0;
    double wireMsPerSector = 0;
    bool finished = false;
};

// Times sectors 1..last (sector 0 carries the handshake) and counts every byte both ways.
Figures download() {
    kav::sim::EmulatorOptions options;
    options.image = kav::sim::sampleImage();
    kav::sim::Emulator emulator(options);
    kav::link::SerialTransport transport;
    kav::link::LoggerLink link(transport);
    Figures f;
    QString error;
    if (!emulator.start(&error)) {
        std::fprintf(stderr, "emulator: %s\n", qPrintable(error));
        return f;
    }
    QElapsedTimer clock;
    qint64 firstAt = 0, lastAt = 0, bytesAfterFirst = 0;
    bool counting = false;
    transport.setTrace([&](bool, QByteArrayView bytes) {
        if (counting) bytesAfterFirst += bytes.size();
    });
    QEventLoop loop;
    QObject::connect(&link, &kav::link::LoggerLink::sectorReceived, [&](int n) {
        lastAt = clock.nsecsElapsed();
        if (n == 0) firstAt = lastAt, counting = true;
        f.sectors = n;
    });
    QObject::connect(&link, &kav::link::LoggerLink::downloadFinished, [&] {
        f.finished = true;
        loop.quit();
    });
    QObject::connect(&link, &kav::link::LoggerLink::failed, &loop, &QEventLoop::quit);
    QTimer::singleShot(120000, &loop, &QEventLoop::quit);
    clock.start();
    link.connectLogger(emulator.announcedName());
    loop.exec();
    if (f.sectors > 0) {
        f.msPerSector = double(lastAt - firstAt) / 1e6 / f.sectors;
        f.wireMsPerSector = 1000.0 * 10 * double(bytesAfterFirst) / 115200 / f.sectors;
    }
    return f;
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const Figures f = download();
    if (!f.finished) {
        std::printf("download did not finish\n");
        return 1;
    }
    std::printf("paced download of the sample day: %d sectors timed\n", f.sectors);
    std::printf("per sector: %.2f ms, wire time of its bytes %.2f ms, ratio %.4f (aim <= 1.02)\n",
                f.msPerSector, f.wireMsPerSector, f.msPerSector / f.wireMsPerSector);
    return 0;
}
