// The link against the logger emulator on a pseudo-terminal, through the real QSerialPort stack.

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTest>
#include <QTimer>

#include <cerrno>
#include <cstdio>

#include "link/logger_link.h"
#include "link/serial_transport.h"
#include "sim/emulator.h"

namespace kav::link {
namespace {

void ensureApplication() {
    static int argc = 1;
    static char name[] = "link_e2e_tests";
    static char* argv[] = {name, nullptr};
    if (!QCoreApplication::instance()) new QCoreApplication(argc, argv);
}

LinkTimings fastTimings() {
    LinkTimings t;
    t.replyTimeoutMs = 400;
    t.rawBlockTimeoutMs = 600;
    t.settleMs = 600;
    return t;
}

QByteArray sectorOf(const QByteArray& image, int n) {
    const QByteArray s = image.mid(qsizetype(n) * qsizetype(kSectorSize), qsizetype(kSectorSize));
    return s.size() == qsizetype(kSectorSize) ? s : QByteArray(qsizetype(kSectorSize), char(0xFF));
}

// One emulator, one SerialTransport, one LoggerLink, and what the link reported.
struct Session {
    explicit Session(sim::EmulatorOptions options, LinkTimings timings = fastTimings())
        : image(options.image), emulator(std::move(options)), link(transport, timings) {
        QObject::connect(&link, &LoggerLink::sectorReceived, [this](int n, const QByteArray& d) {
            sectors << n;
            data << d;
        });
        QObject::connect(&link, &LoggerLink::serialNumberReceived,
                         [this](const QString& s) { serial = s; });
        QObject::connect(&link, &LoggerLink::downloadFinished, [this] { finished = true; });
        QObject::connect(&link, &LoggerLink::failed,
                         [this](const LinkFailure& f) { failures << failureText(f); });
        QObject::connect(&link, &LoggerLink::portLost, [this](const QString& t) { lost << t; });
        QObject::connect(&link, &LoggerLink::message, [this](const QString& t) { messages << t; });
    }

    // Connects by the announced name, as the port chooser would, and waits for the outcome.
    void download(int limitMs = 60000) {
        QString error;
        ASSERT_TRUE(emulator.start(&error)) << error.toStdString();
        ASSERT_FALSE(emulator.announcedName().isEmpty());
        ASSERT_EQ(link.connectLogger(emulator.announcedName()), OpenResult::Ok)
            << transport.errorString().toStdString();
        // A plain event loop: QTest's waits sleep between turns, which would add latency.
        QEventLoop loop;
        QTimer::singleShot(limitMs, &loop, &QEventLoop::quit);
        QObject::connect(&link, &LoggerLink::downloadFinished, &loop, &QEventLoop::quit);
        QObject::connect(&link, &LoggerLink::failed, &loop, &QEventLoop::quit);
        QObject::connect(&link, &LoggerLink::portLost, &loop, &QEventLoop::quit);
        loop.exec();
    }

    void expectSectorsMatchImage() const {
        for (int i = 0; i < sectors.size(); ++i) {
            EXPECT_EQ(sectors[i], i);
            EXPECT_TRUE(data[i] == sectorOf(image, sectors[i])) << "sector " << sectors[i];
        }
    }

    QByteArray image;
    sim::Emulator emulator;
    SerialTransport transport;
    LoggerLink link;
    QList<int> sectors;
    QList<QByteArray> data;
    QString serial;
    bool finished = false;
    QStringList failures, lost, messages;
};

sim::EmulatorOptions options(QStringList faults = {}, bool fast = true) {
    sim::EmulatorOptions o;
    o.image = sim::sampleImage();
    o.fast = fast;
    o.faults = std::move(faults);
    return o;
}

int usedSectors(const QByteArray& image) {
    return int(image.size() / qsizetype(kSectorSize));
}

class EndToEnd : public ::testing::Test {
  protected:
    void SetUp() override { ensureApplication(); }
};

TEST_F(EndToEnd, WholeDownloadIsByteForByteTheImage) {
    Session s(options({}, true));
    s.download();
    EXPECT_TRUE(s.finished);
    EXPECT_TRUE(s.failures.isEmpty());
    EXPECT_EQ(s.serial, QStringLiteral("GT730-01234567"));
    EXPECT_GE(s.sectors.size(), usedSectors(s.image));
    s.expectSectorsMatchImage();
    EXPECT_TRUE(s.messages.isEmpty()) << s.messages.join(" | ").toStdString();
}

TEST_F(EndToEnd, ContinuousOutputBeforeTheStopIsPassedOver) {
    sim::EmulatorOptions o = options();
    o.continuousOutput = true;
    Session s(std::move(o));
    s.download();
    EXPECT_TRUE(s.finished);
    s.expectSectorsMatchImage();
}

struct FaultCase {
    const char* name;
    QStringList faults;
    bool fails;
    const char* failureHas;
};

class EmulatorFaults : public EndToEnd, public ::testing::WithParamInterface<FaultCase> {};

TEST_P(EmulatorFaults, SurvivedOrReportedWithTheSectorsKept) {
    Session s(options(GetParam().faults));
    s.download();
    s.expectSectorsMatchImage();
    if (GetParam().fails) {
        ASSERT_EQ(s.failures.size(), 1);
        EXPECT_TRUE(s.failures[0].contains(QLatin1String(GetParam().failureHas)))
            << s.failures[0].toStdString();
        EXPECT_FALSE(s.finished);
        EXPECT_EQ(s.link.FlagACK(), kMaskIdle);
    } else {
        EXPECT_TRUE(s.finished) << s.failures.join(" | ").toStdString();
        EXPECT_GE(s.sectors.size(), usedSectors(s.image));
    }
}

INSTANTIATE_TEST_SUITE_P(
    Emulator, EmulatorFaults,
    ::testing::Values(FaultCase{"block_checksum_once", {"block-checksum-once=2"}, false, ""},
                      FaultCase{"block_checksum_always",
                                {"block-checksum-always=3"},
                                true,
                                "Sector 3 could not be read (checksum error)"},
                      FaultCase{"reply_lost_once", {"reply-lost-once=0x1D"}, false, ""},
                      FaultCase{"block_lost_once", {"block-lost-once=1"}, false, ""},
                      FaultCase{"user_data_lost_once", {"block-lost-once=user"}, false, ""},
                      FaultCase{"block_lost_always",
                                {"block-lost-always=4"},
                                true,
                                "Sector 4 could not be read (no answer)"},
                      FaultCase{"ack_checksum_once", {"frame-checksum-once=0x83"}, false, ""},
                      FaultCase{"status_checksum_once", {"frame-checksum-once=0x94"}, false, ""},
                      FaultCase{"garbage", {"garbage=12"}, false, ""},
                      FaultCase{"delay_beyond_time_out", {"delay-once=0x1D:700"}, false, ""},
                      FaultCase{"extra_trailer", {"extra-trailer=5"}, false, ""}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(EndToEnd, DeviceVanishingMidDownloadKeepsTheSectors) {
    Session s(options({"vanish-after=3"}));
    s.download(10000);
    EXPECT_FALSE(s.lost.isEmpty());
    EXPECT_FALSE(s.finished);
    EXPECT_LE(s.sectors.size(), 3);
    EXPECT_GE(s.sectors.size(), 2);
    s.expectSectorsMatchImage();
    EXPECT_FALSE(s.transport.isOpen());
}

// A device that goes while nothing is written is seen gone from the read side alone, and said
// to be removed.
TEST_F(EndToEnd, DeviceGoneWhileIdleIsLostWithoutAWrite) {
    sim::Emulator emulator(options());
    QString error;
    ASSERT_TRUE(emulator.start(&error)) << error.toStdString();
    SerialTransport transport;
    ASSERT_EQ(transport.open(emulator.ptyPath()), OpenResult::Ok);
    QStringList lost;
    QObject::connect(&transport, &Transport::portLost, [&lost](const QString& t) { lost << t; });
    errno = ENOTTY;  // what a failed call before may leave behind; not the reason given
    emulator.vanish();
    EXPECT_TRUE(QTest::qWaitFor([&lost] { return !lost.isEmpty(); }, 5000));
    EXPECT_EQ(lost, QStringList{QStringLiteral("the device was removed")});
    EXPECT_FALSE(transport.isOpen());
}

// At the real line rate: time per sector against the wire time of the bytes exchanged.
TEST_F(EndToEnd, PacedSectorTimeAgainstWireTime) {
    sim::EmulatorOptions o = options({}, qEnvironmentVariableIsSet("KAV_E2E_FAST"));
    o.image = o.image.left(12 * qsizetype(kSectorSize));
    Session s(std::move(o), LinkTimings{});
    QElapsedTimer clock;
    qint64 firstAt = 0, lastAt = 0;
    QObject::connect(&s.link, &LoggerLink::sectorReceived, [&](int n) {
        if (n == 0) firstAt = clock.nsecsElapsed();
        lastAt = clock.nsecsElapsed();
    });
    // Latency from each request to the first byte of its answer, seen at the transport.
    qint64 requestAt = -1, latencySum = 0;
    int latencies = 0;
    s.transport.setTrace([&](bool out, QByteArrayView) {
        if (out)
            requestAt = clock.nsecsElapsed();
        else if (requestAt >= 0) {
            latencySum += clock.nsecsElapsed() - requestAt;
            ++latencies;
            requestAt = -1;
        }
    });
    clock.start();
    s.download();
    ASSERT_TRUE(s.finished);
    s.expectSectorsMatchImage();
    const int timed = int(s.sectors.size()) - 1;
    ASSERT_GT(timed, 0);
    // Per sector: request frame 12 bytes out, acknowledgement 9 bytes and the block with its
    // 16-byte trailer in. The line is full duplex, but the exchange is strictly in turn.
    const double wireMs = 1000.0 * 10 * (12 + 9 + kSectorSize + kRawTrailerMarkSize + 3) / 115200;
    const double perSectorMs = double(lastAt - firstAt) / 1e6 / timed;
    std::printf("paced download: %d sectors, %.1f ms per sector, wire time %.1f ms, ratio %.3f\n",
                timed, perSectorMs, wireMs, perSectorMs / wireMs);
    std::printf("request to first answer byte: %.2f ms on average over %d requests\n",
                latencies ? double(latencySum) / 1e6 / latencies : 0.0, latencies);
}

}  // namespace
}  // namespace kav::link
