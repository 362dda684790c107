#pragma once
// A seeded simulation of a faulty logger and its line driving the conversation core at virtual
// time: the emulator's logger model answers what reaches it, the line loses, repeats, delays,
// cuts short and garbles what it carries, and bytes sent at a rate the other side does not use
// arrive garbled. One run plays a session: start, download (or identify), close at the end.

#include <cstdint>
#include <optional>
#include <string>

#include <QByteArray>
#include <QString>
#include <QStringList>

#include "link/conversation.h"

namespace kav::simtest {

struct RunReport {
    int starts = 0;
    int ends = 0;
    link::EndKind end = link::EndKind::Closed;
    bool endedWithFailure = false;
    std::optional<link::LinkFailure> failure;  // why the run failed, when it did
    int sectorsKept = 0;
    int sectorsExpected = 0;
    QByteArray kept;           // the sectors kept, in order
    QString firmware;          // from the version message
    int rateUsed = 0;          // the line rate the download settled on (0: it never chose)
    QString rateWhy;           // why not the rate asked for ("" when it is used)
    bool sectorsMatch = true;  // every kept sector is the logger's own, in order
    bool vanished = false;     // the logger went away
    int loggerRate = 115200;   // the logger's line rate at the end
    int hostRate = 115200;     // the host's line rate at the end
    bool portClosed = false;   // the run closed the port
    qint64 virtualMs = 0;      // how long the run took on the virtual clock
    std::string broken;        // the first invariant broken, empty when none
};

// One run: the seed chooses the memory size, the transfer speed, the logger's faults, the
// line's misbehaviour and, in some seeds, another line rate the logger was left at.
RunReport runSeed(uint64_t seed);

// One run of a fixed scenario: emulator fault switches, the line rate and sectors a request.
struct Scenario {
    QStringList faults;
    QByteArray image;  // the logger's memory; empty: `sectors` distinct random sectors
    int sectors = 6;
    int baud = 115200;
    int block = 1;
    link::RunGoal goal = link::RunGoal::ReadMemory;
    int lateMs = 0;                 // every answer comes this much later
    int stopAtSector = -1;          // the session stops the download once this sector is kept
    int closeAtCommand = 0;         // the session closes the port when this command id reaches the
    int closeAtTimes = 1;           // logger for this time
    bool fullMemory = false;        // every sector of the image used, none left
    bool continuousOutput = false;  // text lines each second until the output is stopped
    // The logger's line rate at start (left there by another program).
    int loggerRate = 115200;
    // The handler of this event (counted from 1) calls back in: after letting nestedMs go by
    // in a nested loop, it stops (0), closes (1), asks for the status (2) or the version (3).
    int reenterAt = 0;
    int reenterWith = 0;
    int nestedMs = 0;
};
RunReport runScenario(const Scenario& scenario, uint64_t lineSeed = 0);

}  // namespace kav::simtest
