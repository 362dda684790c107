#include "cli/exit_status.h"

#include <utility>

#include "session/download_session.h"

namespace kav::cli {

namespace {

using kav::link::FailureKind;
using kav::link::OpenResult;

constexpr std::pair<OpenResult, int> kOpenStatus[] = {
    {OpenResult::Ok, kExitOk},
    {OpenResult::InvalidPort, kExitNoInput},
    {OpenResult::NotSerialDevice, kExitDataError},
    {OpenResult::NoPermission, kExitNoPermission},
    {OpenResult::InUse, kExitPortBusy},
    {OpenResult::StaleLock, kExitStaleLock},
    {OpenResult::Failed, kExitOsError},
};

constexpr std::pair<FailureKind, int> kLinkStatus[] = {
    {FailureKind::NoAnswer, kExitUnavailable}, {FailureKind::BadChecksum, kExitProtocol},
    {FailureKind::BadTrailer, kExitProtocol},  {FailureKind::ShortReply, kExitProtocol},
    {FailureKind::Refused, kExitProtocol},     {FailureKind::LineRate, kExitProtocol},
    {FailureKind::PortLost, kExitIoError},     {FailureKind::SendFailed, kExitIoError},
};

// One line each, within 80 columns.
constexpr std::pair<int, const char*> kHelp[] = {
    {kExitOk, "success"},
    {kExitFailure, "not all that was asked for: a track the log lacks, erase declined or not done"},
    {kExitUsage, "wrong usage"},
    {kExitDataError, "the port is a file or folder; the raw log file holds no log"},
    {kExitNoInput, "no such port; no such raw log file"},
    {kExitUnavailable, "the logger does not answer"},
    {kExitOsError, "the system refused the port otherwise; demo: the emulator did not start"},
    {kExitStaleLock, "a lock file left behind by an ended program locks the port"},
    {kExitCannotWrite, "a file or folder could not be written (a full disk, no permission)"},
    {kExitIoError, "the logger went away; the download is incomplete (what was read is saved)"},
    {kExitPortBusy, "another program holds the port"},
    {kExitProtocol, "the logger refused or answered badly (checksum, trailer, length, rate)"},
    {kExitNoPermission, "no permission to open the port (not in its group, e.g. dialout)"},
    {kExitInterrupted, "interrupted by Ctrl+C, SIGTERM or SIGHUP (what was read is saved)"},
};

// Unlisted kinds (none today) count as input/output errors.
template <typename Kind, std::size_t N>
int lookUp(const std::pair<Kind, int> (&table)[N], Kind kind) {
    for (const auto& [k, status] : table)
        if (k == kind) return status;
    return kExitIoError;
}

int rank(int status) {
    switch (status) {
        case kExitOk:
            return 0;
        case kExitFailure:
            return 1;
        case kExitInterrupted:
            return 3;
        case kExitCannotWrite:
            return 4;
        default:
            return 2;
    }
}

}  // namespace

int exitStatusFor(OpenResult kind) {
    return lookUp(kOpenStatus, kind);
}

int exitStatusFor(FailureKind kind) {
    return lookUp(kLinkStatus, kind);
}

int exitStatusFor(const kav::session::Outcome& outcome) {
    if (outcome.complete()) return kExitOk;
    if (outcome.failure) return exitStatusFor(outcome.failure->kind);
    return outcome.stopped ? kExitInterrupted : kExitIoError;
}

int moreSevere(int first, int second) {
    return rank(second) > rank(first) ? second : first;
}

QString exitStatusHelp() {
    QString text = QStringLiteral("Exit status:\n");
    for (const auto& [status, meaning] : kHelp)
        text += QStringLiteral("  %1 %2\n").arg(status, -4).arg(QLatin1String(meaning));
    return text;
}

}  // namespace kav::cli
