#pragma once
// The logger's serial line through the pseudo-terminal: the rate in effect, and what crosses
// the line while the host's rate differs from it (checked at every read and write).

#include <QByteArray>
#include <QByteArrayView>
#include <optional>

#include "line_rate.h"
#include "pseudo_terminal.h"
#include "trace.h"

namespace kav::sim {

class UartLine {
  public:
    // With honourRate false the line stays at the power-on rate and never garbles.
    UartLine(PseudoTerminal& pty, bool honourRate, Trace* trace = nullptr);

    int rate() const { return rate_; }
    double bytesPerSecond() const { return rate_ / 10.0; }  // 8N1: 10 bits a byte
    void switchTo(int rate);
    int fd() const { return pty_.masterFd(); }

    // What the logger receives of the bytes the host wrote.
    QByteArray read();
    // Puts bytes on the line; the count and error values of PseudoTerminal::write.
    qsizetype write(QByteArrayView bytes);

  private:
    std::optional<int> hostRateIfDiffering();  // the host's rate (0: unknown) when it differs

    PseudoTerminal& pty_;
    bool honourRate_;
    Trace* trace_;
    int rate_ = kPowerOnRate;
    bool differing_ = false;
};

}  // namespace kav::sim
