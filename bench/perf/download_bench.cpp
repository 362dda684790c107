// Whole downloads of a full memory from the emulator paced at its line rate, through the real
// serial stack and the download session, at each transfer speed: the time from Connect to the
// end of the download against the wire time of every byte exchanged at the rate it went at.
//   perf_download [sectors]   (default 512, the logger's whole memory)

#include <cstdio>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>

#include "link/serial_transport.h"
#include "session/download_session.h"
#include "sim/emulator.h"

namespace {

using kav::session::DownloadSession;
using kav::session::TransferSpeed;

struct Figures {
    bool complete = false;
    int sectors = 0;
    double seconds = 0;
    double wireSeconds = 0;
};

// The sample day repeated until the image has sectors sectors; no two neighbours alike.
QByteArray image(int sectors) {
    const QByteArray day = kav::sim::sampleImage();
    QByteArray out;
    while (out.size() < qsizetype(sectors) * 4096) out += day;
    return out.left(qsizetype(sectors) * 4096);
}

Figures download(const QByteArray& memory, TransferSpeed speed) {
    kav::sim::EmulatorOptions options;
    options.image = memory;
    options.announce = false;
    kav::sim::Emulator emulator(options);
    kav::link::SerialTransport transport;
    DownloadSession session(transport);
    session.setTransferSpeed(speed);
    Figures f;
    QString error;
    if (!emulator.start(&error)) {
        std::fprintf(stderr, "emulator: %s\n", qPrintable(error));
        return f;
    }
    transport.setTrace([&](bool, QByteArrayView bytes) {
        f.wireSeconds += 10.0 * double(bytes.size()) / transport.baudRate();
    });
    QEventLoop loop;
    QObject::connect(&session, &DownloadSession::downloadEnded, &loop,
                     [&](const kav::session::Outcome& outcome) {
                         f.complete = outcome.complete();
                         f.sectors = outcome.sectorsRead;
                         loop.quit();
                     });
    QObject::connect(&session, &DownloadSession::failed, &loop, &QEventLoop::quit);
    QTimer::singleShot(600000, &loop, &QEventLoop::quit);
    QElapsedTimer clock;
    clock.start();
    session.start(emulator.ptyPath(), DownloadSession::Goal::ReadMemory);
    loop.exec();
    f.seconds = double(clock.nsecsElapsed()) / 1e9;
    session.disconnect();
    return f;
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const int sectors = argc > 1 ? QString::fromLocal8Bit(argv[1]).toInt() : 512;
    const QByteArray memory = image(sectors);
    std::printf("download of a %d-sector memory, emulator paced at its line rate\n", sectors);
    std::printf("%-9s %9s %9s %7s %11s\n", "speed", "time s", "wire s", "ratio", "x standard");
    double standard = 0;
    int status = 0;
    for (TransferSpeed speed : {TransferSpeed::Standard, TransferSpeed::Fast,
                                TransferSpeed::Fastest}) {
        const Figures f = download(memory, speed);
        if (!f.complete) {
            std::printf("%s: the download did not finish (%d sectors)\n",
                        qPrintable(kav::session::transferSpeedName(speed)), f.sectors);
            status = 1;
            continue;
        }
        if (speed == TransferSpeed::Standard) standard = f.seconds;
        std::printf("%-9s %9.2f %9.2f %7.4f %11.3f\n",
                    qPrintable(kav::session::transferSpeedName(speed)), f.seconds, f.wireSeconds,
                    f.seconds / f.wireSeconds, standard > 0 ? f.seconds / standard : 0.0);
    }
    return status;
}
