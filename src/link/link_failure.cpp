#include "link/link_failure.h"

namespace kav::link {

QString hexId(uint8_t id) {
    return QStringLiteral("0x") + QStringLiteral("%1").arg(id, 2, 16, QLatin1Char('0')).toUpper();
}

namespace {

QString reason(FailureKind kind) {
    switch (kind) {
        case FailureKind::NoAnswer:
            return QStringLiteral("no answer");
        case FailureKind::BadChecksum:
            return QStringLiteral("checksum error");
        case FailureKind::BadTrailer:
            return QStringLiteral("bad trailer");
        case FailureKind::ShortReply:
            return QStringLiteral("short reply");
        case FailureKind::Refused:
            return QStringLiteral("refused");
        case FailureKind::PortLost:
            return QStringLiteral("port lost");
        case FailureKind::SendFailed:
            return QStringLiteral("the request could not be sent");
        case FailureKind::LineRate:
            return QStringLiteral("line rate");
    }
    return {};
}

}  // namespace

QString failureText(const LinkFailure& f) {
    switch (f.kind) {
        case FailureKind::PortLost:
            return f.detail.isEmpty() ? QStringLiteral("The logger went away.")
                                      : QStringLiteral("The logger went away (%1).").arg(f.detail);
        case FailureKind::Refused:
            return f.sector >= 0
                       ? QStringLiteral("The logger refused to send sector %1 (NACK : %2).")
                             .arg(f.sector)
                             .arg(f.command)
                       : QStringLiteral("The logger refused command %1 (NACK : %2).")
                             .arg(hexId(f.command))
                             .arg(f.command);
        case FailureKind::LineRate:
            return QStringLiteral("The logger answers neither at %1 baud nor at 115200 baud.")
                .arg(f.detail);
        default:
            break;
    }
    const QString attempts = f.attempts == 1 ? QStringLiteral("1 attempt")
                                             : QStringLiteral("%1 attempts").arg(f.attempts);
    if (f.sector >= 0)
        return QStringLiteral("Sector %1 could not be read (%2) after %3.")
            .arg(f.sector)
            .arg(reason(f.kind), attempts);
    return QStringLiteral("The logger did not answer command %1 (%2) after %3.")
        .arg(hexId(f.command), reason(f.kind), attempts);
}

}  // namespace kav::link
