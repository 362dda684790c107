#pragma once
// What the conversation core hands back from every call: bytes to write, line rates to set and
// events for the session, in the order they happen, and when it wants to be woken next.

#include <cstdint>
#include <optional>
#include <vector>

#include <QByteArray>
#include <QString>
#include <QtGlobal>

#include "link/link_failure.h"
#include "link/reply_format.h"

namespace kav::link {

// Milliseconds on any monotonic clock; the core only compares and adds them.
using Millis = qint64;

// What a run works towards once it has connected.
enum class RunGoal {
    Identify,    // version, serial number and status
    ReadMemory,  // ... and every used sector
    Command,     // identity and status, then idle until closed
};

// How a run ended.
enum class EndKind {
    Complete,  // the goal was reached
    Stopped,   // a running download was stopped (or the port closed under it)
    Failed,    // the link gave up, or the port went away; see the failure
    Closed,    // the port was closed before the goal was reached
};

struct RunEnd {
    EndKind kind = EndKind::Complete;
    std::optional<LinkFailure> failure;
    bool downloading = false;  // a download was running when the run ended
    int sectorsRead = 0;
    int sectorsExpected = 0;
    bool portNotOpened = false;  // the run ended before it began: the port did not open
};

struct ConversationEvent {
    enum class Kind {
        Version,                // version
        SerialNumber,           // text
        Status,                 // status
        DownloadStarted,        // count: sectors to read
        Sector,                 // sector, data: one checked sector, in order
        Progress,               // sector: sectors read, count: sectors to read
        Notice,                 // text: a message for the user, as the logger's frames give it
        Note,                   // text: a line for the byte trace
        ConfigurationSent,      // accepted
        ConfigurationAnswered,  // text
        MemoryCleared,
        MemoLine,   // text
        LineRate,   // baud, text: why the rate asked for is not used ("" when it is)
        RateFound,  // baud: the logger was found at this rate and put back at 115200
        Failed,     // failure
        PortLost,   // text
        Idle,       // nothing outstanding any more
        End,        // end: the run is over (exactly once per start)
        // end: a download that followed new criteria is over; its run's end came before
        DownloadEnded,
    };
    Kind kind = Kind::Idle;
    QString text;
    VersionInfo version;
    LogStatus status;
    int sector = 0;
    int count = 0;
    int baud = 0;
    bool accepted = false;
    QByteArray data;
    LinkFailure failure;
    RunEnd end;
};

struct Action {
    enum class Kind { Write, SetRate, Emit, ClosePort };
    Kind kind = Kind::Emit;
    QByteArray bytes;  // Write
    int baud = 0;      // SetRate
    ConversationEvent event;
};

struct Actions {
    std::vector<Action> list;
    std::optional<Millis> wakeAt;  // none: nothing timed is pending
    bool accepted = true;          // a request was taken (a command may be refused)
};

}  // namespace kav::link
