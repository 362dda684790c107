#include "uart_line.h"

namespace kav::sim {

UartLine::UartLine(PseudoTerminal& pty, bool honourRate, Trace* trace)
    : pty_(pty), honourRate_(honourRate), trace_(trace) {}

void UartLine::switchTo(int rate) {
    if (!honourRate_ || rate <= 0 || rate == rate_) return;
    rate_ = rate;
    if (trace_) trace_->add(QStringLiteral("RATE %1").arg(rate));
}

QByteArray UartLine::read() {
    const QByteArray bytes = pty_.readAvailable();
    if (bytes.isEmpty()) return bytes;
    const auto host = hostRateIfDiffering();
    return host ? garbled(bytes, *host, rate_) : bytes;
}

qsizetype UartLine::write(QByteArrayView bytes) {
    const auto host = hostRateIfDiffering();
    if (!host) return pty_.write(bytes);
    return pty_.write(garbled(bytes, rate_, *host));  // one byte out for each byte in
}

// A change either way is noted once, not at every chunk.
std::optional<int> UartLine::hostRateIfDiffering() {
    if (!honourRate_) return std::nullopt;
    const int host = pty_.hostLineRate();
    const bool differing = host != rate_;
    if (differing != differing_ && trace_)
        trace_->add(
            differing
                ? QStringLiteral("LINE host at %1, logger at %2: garbled").arg(host).arg(rate_)
                : QStringLiteral("LINE host and logger at %1").arg(rate_));
    differing_ = differing;
    return differing ? std::optional(host) : std::nullopt;
}

}  // namespace kav::sim
