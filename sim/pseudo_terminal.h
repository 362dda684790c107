#pragma once
// A pseudo-terminal pair: the emulator holds the master, the host opens the slave path.

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

namespace kav::sim {

class PseudoTerminal {
  public:
    PseudoTerminal() = default;
    PseudoTerminal(const PseudoTerminal&) = delete;
    PseudoTerminal& operator=(const PseudoTerminal&) = delete;
    ~PseudoTerminal() { close(); }

    // Opens a non-blocking master, puts the slave in raw mode and keeps a slave fd open so the
    // master never reads EIO when the host closes its side.
    bool open(QString* error = nullptr);
    void close();
    bool isOpen() const { return master_ >= 0; }

    int masterFd() const { return master_; }
    QString slavePath() const { return slavePath_; }

    // Bytes the host wrote; empty when none are waiting.
    QByteArray readAvailable();
    // Writes what the terminal accepts now; returns the count written (0 when full), -1 on error.
    qsizetype write(QByteArrayView bytes);
    // The line rate the host last set on its side (the master reports the slave's settings);
    // 0 when the terminal is closed or the rate is not a standard one.
    int hostLineRate() const;

  private:
    int master_ = -1;
    int slave_ = -1;
    QString slavePath_;
};

}  // namespace kav::sim
