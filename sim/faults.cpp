#include "faults.h"

#include <array>

namespace kav::sim {
namespace {

enum class Arg { None, OptionalCount, Count, Id, Sector, IdAndMs };

struct FaultName {
    const char* name;
    FaultKind kind;
    bool always;
    Arg arg;
    int defaultAmount;
    const char* help;
};

constexpr std::array kNames{
    FaultName{"block-checksum-once", FaultKind::BlockChecksum, false, Arg::Sector, 0,
              "=SECTOR  the raw block holding SECTOR has a wrong checksum, once"},
    FaultName{"block-checksum-always", FaultKind::BlockChecksum, true, Arg::Sector, 0,
              "=SECTOR  ... every time"},
    FaultName{"reply-lost-once", FaultKind::ReplyLost, false, Arg::Id, 0,
              "=ID  command ID (e.g. 0x1D) gets no answer at all, once"},
    FaultName{"reply-lost-always", FaultKind::ReplyLost, true, Arg::Id, 0,
              "=ID  ... never answered"},
    FaultName{"block-lost-once", FaultKind::BlockLost, false, Arg::Sector, 0,
              "=SECTOR|user  acknowledged, but the raw block never comes, once"},
    FaultName{"block-lost-always", FaultKind::BlockLost, true, Arg::Sector, 0,
              "=SECTOR|user  ... never"},
    FaultName{"frame-checksum-once", FaultKind::FrameChecksum, false, Arg::Id, 0,
              "=ID  the next reply frame with id ID (0x80, 0x83, 0x84, 0x94) has a wrong checksum"},
    FaultName{"frame-checksum-always", FaultKind::FrameChecksum, true, Arg::Id, 0,
              "=ID  ... every such frame"},
    FaultName{"garbage", FaultKind::Garbage, true, Arg::OptionalCount, 8,
              "[=N]  N stray bytes (default 8) before every answer"},
    FaultName{"vanish-after", FaultKind::VanishAfter, true, Arg::Count, 0,
              "=N  the device disappears once N sectors have been sent"},
    FaultName{"delay-once", FaultKind::Delay, false, Arg::IdAndMs, 0,
              "=ID:MS  the answer to command ID is held back MS milliseconds, once"},
    FaultName{"delay-always", FaultKind::Delay, true, Arg::IdAndMs, 0, "=ID:MS  ... every time"},
    FaultName{"extra-trailer", FaultKind::ExtraTrailer, true, Arg::OptionalCount, 3,
              "[=N]  N tail bytes (default 3) between the block checksum and CR LF, bare or not"},
    FaultName{"refuse-criteria", FaultKind::RefuseCriteria, true, Arg::None, 0,
              "  the log criteria command (0x18) is refused"},
    FaultName{"refuse-once", FaultKind::Refuse, false, Arg::Id, 0,
              "=ID  command ID is refused (0x84) instead of answered, once"},
    FaultName{"refuse-always", FaultKind::Refuse, true, Arg::Id, 0, "=ID  ... every time"},
    FaultName{"duplicate-once", FaultKind::Duplicate, false, Arg::Id, 0,
              "=ID  the whole answer to command ID (ack, reply, raw block) comes twice, once"},
    FaultName{"duplicate-always", FaultKind::Duplicate, true, Arg::Id, 0, "=ID  ... every time"},
    FaultName{"vanish-at", FaultKind::VanishAt, false, Arg::Id, 0,
              "=ID  the device disappears instead of answering command ID"},
    FaultName{"rate-no-switch", FaultKind::RateNoSwitch, true, Arg::None, 0,
              "  the port configuration (0x05) is acknowledged, but the rate never changes"},
    FaultName{"noise-frame", FaultKind::NoiseFrame, true, Arg::Id, 0,
              "=ID  a frame of an id the host does not know (0xAE) before every answer to ID"},
    FaultName{
        "rate-silent", FaultKind::RateSilent, true, Arg::None, 0,
        "  after a change to a rate other than 115200 nothing the logger sends arrives (it still\n"
        "      obeys), until it is back at 115200 by 0x05 or a power cycle"},
};

std::optional<int> toNumber(const QString& text) {
    bool ok = false;
    const int value = text.trimmed().toInt(&ok, 0);  // decimal, or hexadecimal with 0x
    if (!ok || value < 0) return std::nullopt;
    return value;
}

// Fills target/amount of fault from the argument text; false when it does not fit.
bool applyArgument(const FaultName& entry, const QString& arg, bool hasArg, Fault& fault) {
    fault.amount = entry.defaultAmount;
    switch (entry.arg) {
        case Arg::None:
            return !hasArg;
        case Arg::OptionalCount:
            if (!hasArg) return true;
            [[fallthrough]];
        case Arg::Count: {
            const auto n = toNumber(arg);
            if (!n) return false;
            fault.amount = *n;
            return true;
        }
        case Arg::Sector:
            if (arg.compare(QStringLiteral("user"), Qt::CaseInsensitive) == 0 &&
                entry.kind == FaultKind::BlockLost) {
                fault.target = kUserDataTarget;
                return true;
            }
            [[fallthrough]];
        case Arg::Id: {
            const auto n = toNumber(arg);
            if (!n || (entry.arg == Arg::Id && *n > 0xFF)) return false;
            fault.target = *n;
            return true;
        }
        case Arg::IdAndMs: {
            const QStringList parts = arg.split(QLatin1Char(':'));
            if (parts.size() != 2) return false;
            const auto id = toNumber(parts[0]);
            const auto ms = toNumber(parts[1]);
            if (!id || !ms || *id > 0xFF) return false;
            fault.target = *id;
            fault.amount = *ms;
            return true;
        }
    }
    return false;
}

}  // namespace

std::optional<FaultSet> FaultSet::parse(const QStringList& texts, QString* error) {
    FaultSet set;
    for (const QString& text : texts) {
        const qsizetype eq = text.indexOf(QLatin1Char('='));
        const QString name = eq < 0 ? text : text.left(eq);
        const QString arg = eq < 0 ? QString() : text.mid(eq + 1);
        const FaultName* entry = nullptr;
        for (const FaultName& candidate : kNames)
            if (name == QLatin1String(candidate.name)) entry = &candidate;
        Fault fault{entry ? entry->kind : FaultKind::Garbage};
        if (!entry || !applyArgument(*entry, arg, eq >= 0, fault)) {
            if (error) *error = QStringLiteral("unknown fault or bad argument: %1").arg(text);
            return std::nullopt;
        }
        fault.always = entry->always;
        set.faults_.push_back(fault);
        set.spent_.push_back(false);
    }
    return set;
}

bool FaultSet::take(FaultKind kind, int target) {
    for (std::size_t i = 0; i < faults_.size(); ++i) {
        const Fault& f = faults_[i];
        if (f.kind != kind || f.target != target || spent_[i]) continue;
        if (!f.always) spent_[i] = true;
        return true;
    }
    return false;
}

std::optional<int> FaultSet::amount(FaultKind kind) const {
    for (std::size_t i = 0; i < faults_.size(); ++i)
        if (faults_[i].kind == kind && !spent_[i]) return faults_[i].amount;
    return std::nullopt;
}

std::optional<int> FaultSet::amountFor(FaultKind kind, int target) {
    for (std::size_t i = 0; i < faults_.size(); ++i) {
        const Fault& f = faults_[i];
        if (f.kind != kind || f.target != target || spent_[i]) continue;
        if (!f.always) spent_[i] = true;
        return f.amount;
    }
    return std::nullopt;
}

QString FaultSet::helpText() {
    QString text;
    for (const FaultName& entry : kNames)
        text +=
            QStringLiteral("  %1%2\n").arg(QLatin1String(entry.name), QLatin1String(entry.help));
    return text;
}

}  // namespace kav::sim
