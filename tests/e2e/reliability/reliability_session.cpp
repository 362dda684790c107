#include "reliability_session.h"

#include <span>

#include <QEventLoop>
#include <QTimer>

namespace kav::reliability {
namespace {

sim::EmulatorOptions emulatorOptions(const Scenario& scenario) {
    sim::EmulatorOptions o;
    o.image = sim::sampleImage();
    o.fast = true;
    o.faults = scenario.faults;
    o.continuousOutput = scenario.continuousOutput;
    return o;
}

// Short waits, so that a lost answer costs well under a second.
link::LinkTimings quickTimings() {
    link::LinkTimings t;
    t.replyTimeoutMs = 400;
    t.rawBlockTimeoutMs = 600;
    t.settleMs = 600;
    return t;
}

}  // namespace

const char* outcomeText(Outcome outcome) {
    switch (outcome) {
        case Outcome::Finished:
            return "download finished";
        case Outcome::Failed:
            return "link failed";
        case Outcome::PortLost:
            return "port lost";
        case Outcome::Hung:
            return "no end (hang)";
    }
    return "";
}

ReliabilitySession::ReliabilitySession(const Scenario& scenario)
    : scenario_(scenario),
      image_(sim::sampleImage()),
      emulator_(emulatorOptions(scenario)),
      link_(transport_, quickTimings()) {
    QObject::connect(&link_, &link::LoggerLink::sectorReceived,
                     [this](int n, const QByteArray& d) { onSector(n, d); });
    QObject::connect(&link_, &link::LoggerLink::message,
                     [this](const QString& t) { shown_ << QStringLiteral("message: ") + t; });
    QObject::connect(&link_, &link::LoggerLink::linkFailed,
                     [this](const QString& t) { shown_ << QStringLiteral("failed: ") + t; });
    QObject::connect(&link_, &link::LoggerLink::portLost,
                     [this](const QString& t) { shown_ << QStringLiteral("port lost: ") + t; });
    QObject::connect(&link_, &link::LoggerLink::memoryCleared, [this] {
        shown_ << QStringLiteral("memory cleared");
        collection_.clear();  // the window resets its display and the log
    });
}

// Sectors go to the log as the window stores them; a new connect starts the log over.
void ReliabilitySession::onSector(int sector, const QByteArray& data) {
    sectors_ << sector;
    data_ << data;
    const auto* bytes = reinterpret_cast<const uint8_t*>(data.constData());
    collection_.SavePacket(std::span(bytes, std::size_t(data.size())));
    if (!acted_ && scenario_.action != MidAction::None && sector == scenario_.actionAfterSector) {
        acted_ = true;
        // The user's command arrives as the next event, as a click would.
        QTimer::singleShot(0, &link_, [this] { act(); });
    }
}

void ReliabilitySession::act() {
    if (scenario_.action == MidAction::Reconnect) {
        sectors_.clear();
        data_.clear();
        collection_.clear();
        ++connects_;
        actionAccepted_ = link_.connectLogger(emulator_.announcedName()) == link::OpenResult::Ok;
    } else if (scenario_.action == MidAction::ClearMemory) {
        actionAccepted_ = link_.clearMemory();
        shown_ << (actionAccepted_ ? QStringLiteral("clear sent")
                                   : QStringLiteral("clear refused (command outstanding)"));
    }
}

Outcome ReliabilitySession::run(int limitMs) {
    QString error;
    if (!emulator_.start(&error) || emulator_.announcedName().isEmpty()) return Outcome::Hung;
    ++connects_;
    if (link_.connectLogger(emulator_.announcedName()) != link::OpenResult::Ok)
        return Outcome::Hung;
    Outcome outcome = Outcome::Hung;
    QEventLoop loop;
    const auto end = [&](Outcome o) {
        outcome = o;
        loop.quit();
    };
    QTimer::singleShot(limitMs, &loop, &QEventLoop::quit);
    QObject::connect(&link_, &link::LoggerLink::downloadFinished, &loop,
                     [&] { end(Outcome::Finished); });
    QObject::connect(&link_, &link::LoggerLink::linkFailed, &loop, [&] { end(Outcome::Failed); });
    QObject::connect(&link_, &link::LoggerLink::portLost, &loop, [&] { end(Outcome::PortLost); });
    loop.exec();
    return outcome;
}

}  // namespace kav::reliability
