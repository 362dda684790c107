#pragma once
// Sends the logger's answers in order on the serial line, paced at the line's rate unless fast,
// honouring held-back answers, rate changes and the vanish mark.

#include <QElapsedTimer>
#include <QObject>
#include <QSocketNotifier>
#include <QTimer>
#include <deque>
#include <memory>

#include "logger_core.h"
#include "uart_line.h"

namespace kav::sim {

class PacedSender : public QObject {
    Q_OBJECT
  public:
    PacedSender(UartLine& line, bool fast, QObject* parent = nullptr);

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
    void finishHead();

    UartLine& line_;
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
