#pragma once
// The exit statuses of kav-skytraq-cli: one per kind of failure, the BSD sysexits.h values where
// one fits, so a script can tell a missing logger from a refusal, a lost port or a full disk.

#include <QString>

#include "link/link_failure.h"
#include "link/transport.h"

namespace kav::session {
struct Outcome;
}

namespace kav::cli {

enum ExitCode : int {
    kExitOk = 0,
    kExitFailure = 1,        // not all that was asked: a track the log lacks, erase declined
    kExitUsage = 64,         // EX_USAGE
    kExitDataError = 65,     // EX_DATAERR: not a serial device; a raw log file holding no log
    kExitNoInput = 66,       // EX_NOINPUT: no such port or raw log file
    kExitUnavailable = 69,   // EX_UNAVAILABLE: the logger does not answer
    kExitOsError = 71,       // EX_OSERR: the port refused otherwise; the emulator did not start
    kExitStaleLock = 72,     // EX_OSFILE: a lock file left behind holds the port
    kExitCannotWrite = 73,   // EX_CANTCREAT: a file or folder could not be written
    kExitIoError = 74,       // EX_IOERR: the logger went away; the download is incomplete
    kExitPortBusy = 75,      // EX_TEMPFAIL: another program holds the port
    kExitProtocol = 76,      // EX_PROTOCOL: refused, or faulty answers
    kExitNoPermission = 77,  // EX_NOPERM
    kExitInterrupted = 130,  // Ctrl+C, SIGTERM, SIGHUP (what was read is saved)
};

int exitStatusFor(kav::link::OpenResult kind);
int exitStatusFor(kav::link::FailureKind kind);
// A download's end: 0 complete, the failure's status when cut by one, 130 when stopped, 74
// when cut otherwise.
int exitStatusFor(const kav::session::Outcome& outcome);

// Of two statuses, the one a script must hear first: 73 (something not saved), then 130, then
// any failure, then 1; a tie keeps first.
int moreSevere(int first, int second);

// The table for --help: one line a status.
QString exitStatusHelp();

}  // namespace kav::cli
