#include "virtual_line.h"

#include <algorithm>
#include <map>
#include <optional>
#include <random>

#include "link/step_delivery.h"
#include "sim/line_rate.h"
#include "sim/logger_core.h"
#include "sim/nmea_output.h"

namespace kav::simtest {

namespace {

using link::Millis;

constexpr Millis kVirtualLimitMs = 60LL * 60 * 1000;  // a run that takes longer has hung

// What the line does to the logger's answers, per transmission, in percent.
struct LineFaults {
    int lost = 0, repeated = 0, cut = 0, garbled = 0, late = 0;
    int lateMaxMs = 0;
};

struct Delivery {
    enum class Kind { ToHost, ToLogger, LoggerRate, Vanish, TextOutput };
    Kind kind = Kind::ToHost;
    QByteArray bytes;
    int rate = 0;  // the sender's rate; LoggerRate: the logger's new rate
};

// Distinct sectors: no two alike, as in a real log.
QByteArray makeImage(int sectors, std::mt19937_64& rng) {
    QByteArray image(qsizetype(sectors) * sim::kSectorBytes, Qt::Uninitialized);
    for (char& c : image) c = char(rng());
    return image;
}

class VirtualLine {
  public:
    VirtualLine(const Scenario& s, LineFaults faults, uint64_t seed)
        : scenario_(s),
          faults_(faults),
          rng_(seed),
          core_(timings()),
          steps_([this](const link::Action& a) { return carryOut(a); },
                 [this](const link::ConversationEvent& e) { onEvent(e); }) {
        std::mt19937_64 imageRng(seed ^ 0x5eedULL);
        auto memory = sim::LoggerMemory::fromImage(
            s.image.isEmpty() ? makeImage(s.sectors, imageRng) : s.image);
        const auto set = sim::FaultSet::parse(s.faults);
        if (!memory || !set) {
            report_.broken = "bad scenario";
            return;
        }
        memory->setFull(s.fullMemory);
        sim::LoggerSettings settings;
        settings.continuousOutput = s.continuousOutput;
        logger_.emplace(*memory, *set, settings);
        if (s.continuousOutput) schedule(0, {Delivery::Kind::TextOutput, {}, 0});
        loggerRate_ = s.loggerRate;
        core_.setLineRate(s.baud);
        core_.setSectorsPerRequest(s.block);
    }

    RunReport run() {
        if (!logger_) return report_;
        ++report_.starts;
        apply(core_.start(now_, scenario_.goal));
        while (step()) {
        }
        finish();
        return report_;
    }

  private:
    static link::LinkTimings timings() { return {}; }

    int hostRate_ = sim::kPowerOnRate;
    int loggerRate_ = sim::kPowerOnRate;

    // One event, the earliest of the line's deliveries and the core's wake-up (none after until).
    bool step(Millis until = kVirtualLimitMs) {
        const std::optional<Millis> wake = closed_ ? std::nullopt : core_.wakeAt();
        const bool haveDelivery = !queue_.empty();
        if (!haveDelivery && !wake) return false;
        const Millis next = haveDelivery && wake ? std::min(queue_.begin()->first, *wake)
                            : haveDelivery       ? queue_.begin()->first
                                                 : *wake;
        if (next > until) return false;
        if (haveDelivery && (!wake || queue_.begin()->first <= *wake)) {
            const auto it = queue_.begin();
            now_ = std::max(now_, it->first);
            const Delivery d = it->second;
            queue_.erase(it);
            deliver(d);
        } else {
            now_ = std::max(now_, *wake);
            apply(core_.wake(now_));
        }
        return now_ < kVirtualLimitMs;
    }

    void deliver(const Delivery& d) {
        switch (d.kind) {
            case Delivery::Kind::ToLogger:
                if (!report_.vanished) toLogger(d.bytes, d.rate);
                return;
            case Delivery::Kind::LoggerRate:
                loggerRate_ = d.rate;
                rateChanged_ = true;
                switchedAfterClose_ = closed_;
                return;
            case Delivery::Kind::TextOutput:
                return textOutput();
            case Delivery::Kind::Vanish:
                if (report_.vanished) return;
                report_.vanished = true;
                if (!closed_) apply(core_.portLost(now_, QStringLiteral("device removed")));
                closed_ = true;
                return;
            case Delivery::Kind::ToHost:
                if (closed_ || report_.vanished) return;
                apply(core_.received(now_, d.rate == hostRate_
                                               ? d.bytes
                                               : sim::garbled(d.bytes, d.rate, hostRate_)));
                return;
        }
    }

    void toLogger(const QByteArray& bytes, int senderRate) {
        const QByteArray heard =
            senderRate == loggerRate_ ? bytes : sim::garbled(bytes, senderRate, loggerRate_);
        const sim::FeedResult result = logger_->feed(heard);
        for (uint8_t id : result.commands) onCommand(id);
        for (const sim::Transmission& t : result.out) transmit(t);
    }

    void onCommand(uint8_t id) {
        if (scenario_.closeAtCommand == 0 || id != scenario_.closeAtCommand) return;
        if (++closeCount_ == scenario_.closeAtTimes) pendingClose_ = true;
    }

    // As the emulator: one burst of text lines a second while the output is on and the
    // logger's line is free, for as long as the port is open.
    void textOutput() {
        if (closed_ || report_.vanished) return;
        if (logger_->outputOn() && loggerFree_ <= now_)
            transmit(sim::Transmission{sim::nmeaLines(now_ / 1000)});
        schedule(now_ + 1000, {Delivery::Kind::TextOutput, {}, 0});
    }

    bool chance(int percent) { return percent > 0 && int(rng_() % 100) < percent; }

    // The logger sends t once its line is free; the line may misbehave on the way.
    void transmit(const sim::Transmission& t) {
        Millis start = std::max(now_, loggerFree_) + t.delayMs + scenario_.lateMs;
        if (t.vanish) return schedule(start, {Delivery::Kind::Vanish, {}, 0});
        QByteArray bytes = t.bytes;
        if (chance(faults_.late)) start += Millis(rng_() % std::uint64_t(faults_.lateMaxMs + 1));
        // Never by 0xFF: with a block the logger sent with its checksum inverted, that makes two
        // errors an XOR checksum cannot see, beyond what any reader of the protocol can catch.
        if (chance(faults_.garbled) && !bytes.isEmpty())
            bytes[qsizetype(rng_() % std::uint64_t(bytes.size()))] ^= char(1 + rng_() % 254);
        if (chance(faults_.cut) && !bytes.isEmpty())
            bytes.truncate(qsizetype(rng_() % std::uint64_t(bytes.size())));
        if (chance(faults_.repeated)) bytes += bytes;
        const Millis end = start + link::wireTimeMs(int(t.bytes.size()), loggerRate_);
        loggerFree_ = end;
        if (!chance(faults_.lost)) sendPieces(start, end, bytes);
        if (t.lineRate > 0) schedule(end, {Delivery::Kind::LoggerRate, {}, t.lineRate});
    }

    // The bytes arrive in up to three pieces over their wire time.
    void sendPieces(Millis start, Millis end, const QByteArray& bytes) {
        const int pieces = 1 + int(rng_() % 3);
        const qsizetype size = bytes.size();
        for (int i = 0; i < pieces; ++i) {
            const qsizetype from = size * i / pieces, to = size * (i + 1) / pieces;
            if (to <= from) continue;
            schedule(start + (end - start) * (i + 1) / pieces,
                     {Delivery::Kind::ToHost, bytes.mid(from, to - from), loggerRate_});
        }
    }

    void schedule(Millis at, Delivery d) { queue_.emplace(at, std::move(d)); }

    // As the link does: the whole step, then its events; a handler's call is a new input.
    void apply(const link::Actions& actions) {
        steps_.carryOut(actions);
        steps_.deliver();
        if (pendingClose_ && !closed_ && !steps_.delivering()) {
            pendingClose_ = false;
            apply(core_.close(now_, true));
        }
    }

    bool carryOut(const link::Action& a) {
        switch (a.kind) {
            case link::Action::Kind::Write:
                if (closed_) return false;
                schedule(now_ + link::wireTimeMs(int(a.bytes.size()), hostRate_),
                         {Delivery::Kind::ToLogger, a.bytes, hostRate_});
                return true;
            case link::Action::Kind::SetRate:
                hostRate_ = a.baud;
                return true;
            case link::Action::Kind::ClosePort:
                closed_ = true;
                report_.portClosed = true;
                return true;
            case link::Action::Kind::Emit:
                return true;
        }
        return true;
    }

    // A handler that calls back in, after a nested loop (a modal box) if the scenario says so.
    void reenter() {
        const Millis until = now_ + scenario_.nestedMs;
        while (scenario_.nestedMs > 0 && step(until)) {
        }
        switch (scenario_.reenterWith) {
            case 0:
                return apply(core_.stop(now_));
            case 1:
                return apply(core_.close(now_, true));
            case 2:
                return apply(core_.command(now_, link::Request{link::msg::GetStatus}));
            default:
                return apply(core_.command(now_, link::Request{link::msg::GetSoftware}));
        }
    }

    void onEvent(const link::ConversationEvent& e) {
        using Kind = link::ConversationEvent::Kind;
        if (++eventsSeen_ == scenario_.reenterAt) reenter();
        if (e.kind == Kind::Sector) {
            if (e.sector != report_.sectorsKept || e.data != logger_->memory().sector(e.sector))
                report_.sectorsMatch = false;
            ++report_.sectorsKept;
            report_.kept += e.data;
            if (e.sector == scenario_.stopAtSector) apply(core_.stop(now_));
        }
        if (e.kind == Kind::DownloadStarted) report_.sectorsExpected = e.count;
        if (e.kind == Kind::Version) report_.firmware = e.version.firmware;
        if (e.kind == Kind::LineRate && report_.rateUsed == 0) {
            report_.rateUsed = e.baud;
            report_.rateWhy = e.text;
        }
        if (e.kind != Kind::End) return;
        ++report_.ends;
        report_.end = e.end.kind;
        report_.endedWithFailure = e.end.failure.has_value();
        report_.failure = e.end.failure;
        pendingClose_ = true;  // the session closes the port at the end of every run
    }

    void finish() {
        report_.loggerRate = loggerRate_;
        report_.hostRate = hostRate_;
        report_.virtualMs = now_;
        std::string& b = report_.broken;
        if (!b.empty()) return;
        if (report_.ends != report_.starts)
            b = "not exactly one end per start";
        else if (!report_.sectorsMatch)
            b = "a kept sector is not the logger's own";
        else if (!report_.vanished && loggerRate_ != sim::kPowerOnRate && !leftAlone())
            b = "the logger was left at another line rate";
        else if (!report_.vanished && hostRate_ != sim::kPowerOnRate)
            b = "the port was left at another line rate";
        else if (report_.end == link::EndKind::Complete &&
                 scenario_.goal == link::RunGoal::ReadMemory &&
                 report_.sectorsKept != report_.sectorsExpected)
            b = "success with a sector missing";
        else if (!report_.vanished && !report_.portClosed)
            b = "the port was never closed";
    }

    // A logger that started at another rate and was never found there (its answers lost or
    // late, a change refused), or that never follows a change, may stay where it started. One
    // that answers a change only after the port has closed is out of reach: the next run's
    // search finds it.
    bool leftAlone() const {
        const bool stuck = scenario_.faults.contains(QStringLiteral("rate-no-switch"));
        return switchedAfterClose_ ||
               (loggerRate_ == scenario_.loggerRate && (!rateChanged_ || stuck));
    }

    Scenario scenario_;
    LineFaults faults_;
    std::mt19937_64 rng_;
    link::Conversation core_;
    std::optional<sim::LoggerCore> logger_;
    std::multimap<Millis, Delivery> queue_;
    Millis now_ = 0;
    Millis loggerFree_ = 0;
    bool closed_ = false;
    int closeCount_ = 0;
    bool pendingClose_ = false;
    bool rateChanged_ = false;         // the logger took a rate asked for at least once
    bool switchedAfterClose_ = false;  // its last change came after the port had closed
    int eventsSeen_ = 0;
    RunReport report_;
    link::StepDelivery steps_;
};

// Emulator switches a seed may pick, with the command ids and sectors they aim at.
QStringList seededFaults(std::mt19937_64& rng, int sectors) {
    const char* ids[] = {"0x02", "0x09", "0x76", "0x17", "0x1D", "0x05"};
    const auto id = [&] { return QLatin1String(ids[rng() % 6]); };
    const auto sector = [&] { return QString::number(rng() % std::uint64_t(sectors)); };
    QStringList faults;
    const int count = int(rng() % 3);
    for (int i = 0; i < count; ++i) {
        switch (rng() % 12) {
            case 0:
                faults << QStringLiteral("block-checksum-once=") + sector();
                break;
            case 1:
                faults << QStringLiteral("reply-lost-once=") + id();
                break;
            case 2:
                faults << QStringLiteral("block-lost-once=") + sector();
                break;
            case 3:
                faults << QStringLiteral("frame-checksum-once=0x83");
                break;
            case 4:
                faults << QStringLiteral("garbage=") + QString::number(rng() % 20);
                break;
            case 5:
                faults << QStringLiteral("vanish-after=") + sector();
                break;
            case 6:
                faults << QStringLiteral("delay-once=%1:%2").arg(id()).arg(rng() % 6000);
                break;
            case 7:
                faults << QStringLiteral("refuse-once=") + id();
                break;
            case 8:
                faults << QStringLiteral("duplicate-once=") + id();
                break;
            case 9:
                faults << QStringLiteral("vanish-at=") + id();
                break;
            case 10:
                faults << QStringLiteral("rate-no-switch");
                break;
            default:
                faults << QStringLiteral("rate-silent");
                break;
        }
    }
    return faults;
}

}  // namespace

RunReport runScenario(const Scenario& scenario, uint64_t lineSeed) {
    return VirtualLine(scenario, {}, lineSeed).run();
}

RunReport runSeed(uint64_t seed) {
    std::mt19937_64 rng(seed);
    Scenario s;
    s.sectors = 1 + int(rng() % 12);
    const int speeds[][2] = {{115200, 1}, {230400, 4}, {921600, 8}};
    const auto& speed = speeds[rng() % 3];
    s.baud = speed[0];
    s.block = speed[1];
    s.goal = rng() % 8 == 0 ? link::RunGoal::Identify : link::RunGoal::ReadMemory;
    s.faults = seededFaults(rng, s.sectors);
    if (rng() % 4 == 0) s.lateMs = int(rng() % 4000);
    if (rng() % 8 == 0) s.stopAtSector = int(rng() % std::uint64_t(s.sectors));
    LineFaults line;
    if (rng() % 2 == 0) {
        line.lost = int(rng() % 6);
        line.repeated = int(rng() % 6);
        line.cut = int(rng() % 4);
        line.garbled = int(rng() % 4);
        line.late = int(rng() % 10);
        line.lateMaxMs = int(rng() % 6000);
    }
    // Drawn apart, so the other draws of a seed stay as they were.
    std::mt19937_64 rateRng(seed ^ 0x4a7eULL);
    const int leftAt[] = {921600, 460800, 230400, 57600, 38400, 19200, 9600};
    if (rateRng() % 4 == 0) s.loggerRate = leftAt[rateRng() % 7];
    std::mt19937_64 reenterRng(seed ^ 0x2e3eULL);
    if (reenterRng() % 3 == 0) {
        s.reenterAt = 1 + int(reenterRng() % 40);
        s.reenterWith = int(reenterRng() % 4);
        s.nestedMs = reenterRng() % 2 == 0 ? int(reenterRng() % 3000) : 0;
    }
    return VirtualLine(s, line, rng()).run();
}

}  // namespace kav::simtest
