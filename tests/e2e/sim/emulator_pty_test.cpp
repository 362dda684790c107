// The emulator through a real serial stack: QSerialPort on its pseudo-terminal.

#include <QElapsedTimer>
#include <QFileInfo>
#include <QProcess>
#include <QSerialPort>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

#include <csignal>

#include "link/emulator_ports.h"
#include "link/frame.h"
#include "sim/emulator.h"

using kav::sim::Emulator;
using kav::sim::EmulatorOptions;

namespace {

QByteArray versionAnswer() {
    return kav::link::buildFrame(0x83, QByteArray(1, '\x02')) +
           kav::link::buildFrame(0x80, QByteArray::fromHex("01000100 0c000104 14001103 1d"));
}

// The acknowledgement and raw block of a read of one or more sectors, with the usual tail.
QByteArray sectorAnswer(const QByteArray& sectors) {
    uint8_t sum = 0;
    for (char c : sectors) sum ^= uint8_t(c);
    return kav::link::buildFrame(0x83, QByteArray(1, '\x1D')) + sectors + QByteArray("END", 3) +
           '\0' + "CHECKSUM=" + char(sum) + QByteArray("\x00\x55\xAA", 3) + "\r\n";
}

bool openPort(QSerialPort& port, const QString& path) {
    port.setPortName(path);
    port.setBaudRate(115200);
    return port.open(QIODevice::ReadWrite);
}

// Reads until count bytes have come or the time is up, running the event loop meanwhile
// (the in-process emulator answers from the same loop).
QByteArray readBytes(QSerialPort& port, qsizetype count, int timeoutMs = 10000) {
    QByteArray got;
    QElapsedTimer clock;
    clock.start();
    while (got.size() < count && clock.elapsed() < timeoutMs) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        got += port.read(count - got.size());
    }
    return got;
}

// Asks the logger for another rate (0x05); its acknowledgement still comes at the old one.
bool askForRate(QSerialPort& port, int rateIndex) {
    port.write(kav::link::buildFrame(0x05, QByteArray::fromHex("00") + char(rateIndex) + '\0'));
    return readBytes(port, 9) == kav::link::buildFrame(0x83, QByteArray(1, '\x05'));
}

}  // namespace

class EmulatorPtyTest : public QObject {
    Q_OBJECT
  private slots:
    void initTestCase() {
        QVERIFY(runtime_.isValid());
        qputenv("XDG_RUNTIME_DIR", runtime_.path().toLocal8Bit());
    }

    void versionAndSectorByteForByte_data() {
        QTest::addColumn<bool>("fast");
        QTest::addColumn<int>("rateIndex");  // of the port configuration, 5 = 115200
        QTest::addColumn<int>("rate");
        QTest::newRow("paced") << false << 5 << 115200;
        QTest::newRow("fast") << true << 5 << 115200;
        QTest::newRow("paced at 230400") << false << 6 << 230400;
        QTest::newRow("paced at 921600") << false << 8 << 921600;
    }
    void versionAndSectorByteForByte() {
        QFETCH(bool, fast);
        QFETCH(int, rateIndex);
        QFETCH(int, rate);
        EmulatorOptions options;
        options.image = kav::sim::sampleImage();
        options.fast = fast;
        options.announce = false;
        Emulator emulator(options);
        QString error;
        QVERIFY2(emulator.start(&error), qPrintable(error));
        QSerialPort port;
        QVERIFY(openPort(port, emulator.ptyPath()));

        port.write(kav::link::buildFrame(0x02, QByteArray(1, '\0')));
        QCOMPARE(readBytes(port, versionAnswer().size()), versionAnswer());
        QVERIFY(askForRate(port, rateIndex) && port.setBaudRate(rate));

        // Sector 0 holds A0 A1 and CR LF: they must cross the terminal unchanged.
        const QByteArray expected = sectorAnswer(options.image.left(4096));
        QElapsedTimer clock;
        clock.start();
        port.write(kav::link::buildFrame(0x1D, QByteArray::fromHex("00000001")));
        QCOMPARE(readBytes(port, expected.size()), expected);
        const double seconds = clock.nsecsElapsed() / 1e9;
        qInfo("%s at %d baud: sector answer of %lld bytes in %.3f s, wire time %.3f s",
              fast ? "fast" : "paced", rate, qlonglong(expected.size()), seconds,
              expected.size() * 10.0 / rate);
        QVERIFY(emulator.trace().contains(QStringLiteral("TX RAW sector 0")));
        QCOMPARE(emulator.trace().first(), QStringLiteral("RX A0 A1 00 02 02 00 02 0D 0A"));
        QVERIFY(emulator.trace().value(1).startsWith(QStringLiteral("TX A0 A1 00 02 83 02")));
    }

    void survivesTheHostReopening() {
        EmulatorOptions options;
        options.fast = true;
        options.announce = false;
        Emulator emulator(options);
        QVERIFY(emulator.start());
        for (int round = 0; round < 2; ++round) {
            QSerialPort port;
            QVERIFY(openPort(port, emulator.ptyPath()));
            port.write(kav::link::buildFrame(0x02, QByteArray(1, '\0')));
            QCOMPARE(readBytes(port, versionAnswer().size()), versionAnswer());
        }
    }

    void textOutputStopsOnCommand() {
        EmulatorOptions options;
        options.fast = true;
        options.announce = false;
        options.continuousOutput = true;
        Emulator emulator(options);
        QVERIFY(emulator.start());
        QSerialPort port;
        QVERIFY(openPort(port, emulator.ptyPath()));
        QVERIFY(readBytes(port, 7, 3000).startsWith("$GPGGA,"));
        port.write(kav::link::buildFrame(0x09, QByteArray(1, '\0')));
        const QByteArray ack = kav::link::buildFrame(0x83, QByteArray(1, '\x09'));
        QByteArray seen = readBytes(port, 4096, 500);
        QTRY_VERIFY_WITH_TIMEOUT((seen += port.readAll()).endsWith(ack), 3000);
        QCOMPARE(readBytes(port, 1, 1500), QByteArray());  // nothing after the stop
    }

    // The logger switches after its acknowledgement; until the host follows, neither side
    // understands the other. A power cycle brings the logger back to 115200.
    void lineRateFollowsConfigurationAndHost() {
        EmulatorOptions options;  // paced, erased memory
        options.announce = false;
        Emulator emulator(options);
        QVERIFY(emulator.start());
        QSerialPort port;
        QVERIFY(openPort(port, emulator.ptyPath()));
        QVERIFY(askForRate(port, 6));
        QCOMPARE(emulator.lineRate(), 230400);
        const QByteArray query = kav::link::buildFrame(0x02, QByteArray(1, '\0'));
        port.write(query);
        QCOMPARE(readBytes(port, 1, 500), QByteArray());

        QVERIFY(port.setBaudRate(230400));
        const QByteArray expected = sectorAnswer(QByteArray(4096, char(0xFF)));
        port.write(kav::link::buildFrame(0x1D, QByteArray::fromHex("00000001")));
        QByteArray got = readBytes(port, 9 + 512);
        QCOMPARE(got, expected.left(9 + 512));
        QVERIFY(port.setBaudRate(115200));  // the rest of the block arrives garbled
        got += readBytes(port, expected.size() - got.size());
        QCOMPARE(got.size(), expected.size());  // one byte for each byte sent
        QVERIFY(!got.contains("CHECKSUM=") && !got.right(21).contains('\xA0'));

        QVERIFY(port.setBaudRate(230400));
        port.write(query);
        QCOMPARE(readBytes(port, versionAnswer().size()), versionAnswer());

        emulator.powerCycle();
        QCOMPARE(emulator.lineRate(), 115200);
        QVERIFY(port.setBaudRate(115200));
        port.write(query);
        QCOMPARE(readBytes(port, versionAnswer().size()), versionAnswer());
    }

    void announcesAndVanishes() {
        EmulatorOptions options;
        options.fast = true;
        options.faults = QStringList{QStringLiteral("vanish-after=1")};
        Emulator emulator(options);
        QSignalSpy vanished(&emulator, &Emulator::vanished);
        QVERIFY(emulator.start());
        const QString name = emulator.announcedName();
        QVERIFY(!name.isEmpty());
        QVERIFY(kav::link::announcedEmulatorPorts().contains(name));

        QSerialPort port;
        QVERIFY(openPort(port, emulator.ptyPath()));
        port.write(kav::link::buildFrame(0x1D, QByteArray::fromHex("00000001")));
        QCOMPARE(readBytes(port, 9 + 4096 + 19).size(), 9 + 4096 + 19);
        QSignalSpy portError(&port, &QSerialPort::errorOccurred);
        port.write(kav::link::buildFrame(0x1D, QByteArray::fromHex("00010001")));
        QVERIFY(vanished.wait(5000));
        QVERIFY(!kav::link::announcedEmulatorPorts().contains(name));
        QTRY_VERIFY_WITH_TIMEOUT(!portError.isEmpty(), 5000);
    }

    void programPrintsItsTerminalAndAnswers() {
        QTemporaryDir dir;
        const QString link = dir.filePath(QStringLiteral("logger"));
        QProcess sim;
        sim.start(QStringLiteral(GT730_SIM_PATH),
                  {QStringLiteral("--sample"), QStringLiteral("--fast"),
                   QStringLiteral("--no-announce"), QStringLiteral("--link"), link});
        QVERIFY(sim.waitForStarted());
        QTRY_VERIFY_WITH_TIMEOUT(sim.canReadLine(), 5000);
        const QString pty = QString::fromLocal8Bit(sim.readLine()).trimmed();
        QVERIFY(pty.startsWith(QStringLiteral("/dev/")));
        QCOMPARE(QFileInfo(link).symLinkTarget(), pty);

        QSerialPort port;
        QVERIFY(openPort(port, link));
        port.write(kav::link::buildFrame(0x02, QByteArray(1, '\0')));
        QCOMPARE(readBytes(port, versionAnswer().size()), versionAnswer());
        port.close();

        ::kill(pid_t(sim.processId()), SIGUSR1);
        QByteArray said;
        QTRY_VERIFY_WITH_TIMEOUT((said += sim.readAllStandardError()).contains("power cycle"),
                                 5000);
        sim.terminate();  // SIGTERM: clean exit, link withdrawn
        QVERIFY(sim.waitForFinished(5000));
        QCOMPARE(sim.exitStatus(), QProcess::NormalExit);
        QCOMPARE(sim.exitCode(), 0);
        QVERIFY(!QFileInfo(link).isSymLink());
    }

    void programListsFaultsInHelp() {
        QProcess sim;
        sim.start(QStringLiteral(GT730_SIM_PATH), {QStringLiteral("--help")});
        QVERIFY(sim.waitForFinished(5000));
        const QString help = QString::fromLocal8Bit(sim.readAllStandardOutput());
        for (const char* name : {"block-checksum-once", "vanish-after", "refuse-criteria",
                                 "duplicate-once", "ignore-line-rate", "bare-trailer", "SIGUSR1"})
            QVERIFY2(help.contains(QLatin1String(name)), name);
    }

  private:
    QTemporaryDir runtime_;
};

QTEST_GUILESS_MAIN(EmulatorPtyTest)
#include "emulator_pty_test.moc"
