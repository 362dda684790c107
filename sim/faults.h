#pragma once
// Fault switches of the emulator, parsed from "NAME" / "NAME=ARG" texts (list in emulator.h).

#include <QString>
#include <QStringList>
#include <optional>
#include <vector>

namespace kav::sim {

enum class FaultKind {
    BlockChecksum,   // target: sector
    ReplyLost,       // target: command id
    BlockLost,       // target: sector, or kUserDataTarget
    FrameChecksum,   // target: reply frame id
    Garbage,         // amount: stray bytes before each answer
    VanishAfter,     // amount: sectors sent before the device goes away
    Delay,           // target: command id, amount: milliseconds
    ExtraTrailer,    // amount: extra bytes before the block's CR LF
    RefuseCriteria,  // no argument
    Refuse,          // target: command id, answered with a refusal
    Duplicate,       // target: command id, whole answer sent twice
    VanishAt,        // target: command id the device disappears instead of answering
    RateNoSwitch,    // no argument: the port configuration is acknowledged, the rate stays
    RateSilent,      // no argument: after a rate change nothing is answered until power off
    NoiseFrame,  // target: command id, a frame of an id the host does not know before its answers
};

constexpr int kUserDataTarget = -1;  // block-lost target naming the user-data area

struct Fault {
    FaultKind kind;
    bool always = true;
    int target = 0;
    int amount = 0;
};

class FaultSet {
  public:
    // Parses every switch; on an unknown name or a bad argument returns nullopt and sets error.
    static std::optional<FaultSet> parse(const QStringList& texts, QString* error = nullptr);

    // True when a switch of this kind applies to target; a once-switch is used up by the call.
    bool take(FaultKind kind, int target = 0);
    // The amount of the first active switch of this kind (for a target where one is given).
    std::optional<int> amount(FaultKind kind) const;
    std::optional<int> amountFor(FaultKind kind, int target);

    // The help text listing every switch, one per line.
    static QString helpText();

  private:
    std::vector<Fault> faults_;
    std::vector<bool> spent_;
};

}  // namespace kav::sim
