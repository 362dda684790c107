#pragma once
// A LoggerLink over FakeTransport with a scripted logger, short time-outs, a virtual clock and
// a record of everything the link reported.

#include <gtest/gtest.h>

#include <QCoreApplication>

#include "link/logger_link.h"
#include "scripted_logger.h"

namespace kav::link::testing {

inline void ensureApplication() {
    static int argc = 1;
    static char name[] = "link_tests";
    static char* argv[] = {name, nullptr};
    static QCoreApplication* app =
        QCoreApplication::instance() ? nullptr : new QCoreApplication(argc, argv);
    Q_UNUSED(app);
}

inline LinkTimings shortTimings() {
    LinkTimings t;
    t.replyTimeoutMs = 60;
    t.rawBlockTimeoutMs = 80;
    t.clearTimeoutMs = 100;
    t.settleMs = 80;
    return t;
}

struct Reports {
    QStringList messages, serials, configuration, lost;
    QList<LinkFailure> failures;
    QList<int> sectors;
    QList<QByteArray> data;
    QList<LogStatus> statuses;
    QString label;
    int finished = 0, cleared = 0;
};

class LinkFixture : public ::testing::Test {
  protected:
    void SetUp() override {
        ensureApplication();
        port.open(QStringLiteral("ttyUSB0"));
        QObject::connect(&link, &LoggerLink::message,
                         [this](const QString& t) { got.messages << t; });
        QObject::connect(&link, &LoggerLink::failed,
                         [this](const LinkFailure& f) { got.failures << f; });
        QObject::connect(&link, &LoggerLink::portLost, [this](const QString& t) { got.lost << t; });
        QObject::connect(&link, &LoggerLink::serialNumberReceived,
                         [this](const QString& s) { got.serials << s; });
        QObject::connect(&link, &LoggerLink::configurationAnswered,
                         [this](const QString& t) { got.configuration << t; });
        QObject::connect(&link, &LoggerLink::logStatusReceived,
                         [this](const LogStatus& s) { got.statuses << s; });
        QObject::connect(
            &link, &LoggerLink::versionReceived,
            [this](const QString&, const QString&, const QString& l) { got.label = l; });
        QObject::connect(&link, &LoggerLink::downloadFinished, [this] { ++got.finished; });
        QObject::connect(&link, &LoggerLink::memoryCleared, [this] { ++got.cleared; });
        QObject::connect(&link, &LoggerLink::sectorReceived, [this](int n, const QByteArray& d) {
            // The next sector is asked for in the step that read this one, never further ahead.
            if (link.plan().blockSize() == 1 && !handlersLag) {
                EXPECT_LE(logger.sectorRequests.size(), got.sectors.size() + 2 + extraRequests());
            }
            got.sectors << n;
            got.data << d;
        });
    }

    int extraRequests() const { return logger.sectorRequests.size() - uniqueRequests(); }
    int uniqueRequests() const {
        QList<int> seen;
        for (int n : logger.sectorRequests)
            if (!seen.contains(n)) seen << n;
        return seen.size();
    }

    // Moves virtual time on until the link finishes, fails or falls silent.
    void runUntilIdle(int limitMs = 5000) {
        (void)clock.advanceUntil(
            [this] { return got.finished > 0 || !got.failures.isEmpty() || !got.lost.isEmpty(); },
            limitMs);
        clock.advance(150);  // anything that follows, such as a duplicate request, shows up too
    }

    static QByteArray sampleImage(int sectors) {
        QByteArray image;
        for (int i = 0; i < sectors; ++i) image += trickySector(i);
        return image;
    }

    bool handlersLag = false;  // a handler runs a nested loop: the download goes on meanwhile
    FakeTransport port;
    VirtualClock clock;
    ScriptedLogger logger{port, clock};
    LoggerLink link{port, clock, shortTimings()};
    Reports got;
};

}  // namespace kav::link::testing
