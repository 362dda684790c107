#pragma once
// Why the link gave up on an exchange with the logger. Front ends put these into words.

#include <cstdint>

#include <QString>

namespace kav::link {

enum class FailureKind {
    NoAnswer,     // nothing came back in time, however often the request was made
    BadChecksum,  // the data came back, but never with a matching check
    BadTrailer,   // the data block's trailer was never where its length puts it
    ShortReply,   // a reply too short to hold its fields
    Refused,      // the logger refused the request (0x84)
    PortLost,     // the device went away
    SendFailed,   // the request could not be written to the port
    LineRate,     // the logger answers at neither the line rate asked for nor the old one
};

struct LinkFailure {
    FailureKind kind = FailureKind::NoAnswer;
    uint8_t command = 0;  // message id of the request, 0 when none
    int sector = -1;      // first sector asked for, for sector reads
    int attempts = 0;     // how often the request was made
    QString detail;       // the system's own reason, for a lost port
};

// A message id as the texts write it, e.g. "0x1D".
QString hexId(uint8_t id);

// One sentence in plain English, e.g. "Sector 3 could not be read (checksum error) after 3
// attempts."
QString failureText(const LinkFailure& failure);

}  // namespace kav::link
