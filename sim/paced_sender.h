#pragma once
// Sends the logger's answers in order through the pseudo-terminal, at the line rate of
// 115200 baud (10 bits a byte) unless fast, honouring held-back answers and the vanish mark.

#include <QElapsedTimer>
#include <QObject>
#include <QSocketNotifier>
#include <QTimer>
#include <deque>
#include <memory>

#include "logger_core.h"
#include "pseudo_terminal.h"

namespace kav::sim {

class PacedSender : public QObject {
    Q_OBJECT
  public:
    static constexpr double kBytesPerSecond = 115200.0 / 10.0;

    PacedSender(PseudoTerminal& pty, bool fast, QObject* parent = nullptr);

    void enqueue(Transmission transmission);
    bool idle() const { return queue_.empty(); }
    void clear();

  signals:
    void vanishDue();    // every byte before the vanish mark is out
    void writeFailed();  // the terminal refused a write for good

  private:
    void pump();
    bool holdingHead();
    void refillCredit();
    void waitWritable();

    PseudoTerminal& pty_;
    bool fast_;
    std::deque<Transmission> queue_;
    qsizetype sentOfHead_ = 0;
    bool headHeld_ = false;
    QElapsedTimer holdClock_;
    QElapsedTimer clock_;
    qint64 lastNs_ = 0;
    double credit_ = 0;
    QTimer tick_;
    std::unique_ptr<QSocketNotifier> writable_;
};

}  // namespace kav::sim
