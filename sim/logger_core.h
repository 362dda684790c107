#pragma once
// The logger's side of the protocol, free of I/O: host bytes in, what the logger sends out.

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <cstdint>
#include <vector>

#include "faults.h"
#include "link/frame.h"
#include "logger_memory.h"
#include "trace.h"

namespace kav::sim {

// One answer as it goes on the wire.
struct Transmission {
    QByteArray bytes;
    int delayMs = 0;      // held back this long once everything before it is out
    bool vanish = false;  // the device disappears once everything before it is out
};

struct FeedResult {
    std::vector<uint8_t> commands;  // ids of the well-formed frames received, in order
    std::vector<Transmission> out;
};

class LoggerCore {
  public:
    LoggerCore(LoggerMemory memory, FaultSet faults, QString serialNumber, bool continuousOutput,
               Trace* trace = nullptr);

    // Frames are read by their length field; a frame with a bad checksum is ignored and
    // bytes that start no frame are skipped.
    FeedResult feed(QByteArrayView bytes);

    bool outputOn() const { return outputOn_; }  // NMEA text lines are due
    const LoggerMemory& memory() const { return memory_; }
    int sectorsSent() const { return sectorsSent_; }

  private:
    void answer(const link::Frame& command, FeedResult& result);
    QByteArray answerBytes(const link::Frame& command, bool& vanish);
    QByteArray readSectors(QByteArrayView body, bool& vanish);
    QByteArray readUserData();
    QByteArray setCriteria(QByteArrayView body);
    QByteArray sectorBlock(int start, int count);
    QByteArray frame(uint8_t id, QByteArray body);
    QByteArray ack(uint8_t id) { return frame(0x83, QByteArray(1, char(id))); }
    QByteArray refusal(uint8_t id) { return frame(0x84, QByteArray(1, char(id))); }
    QByteArray blockExtra();
    void note(const QString& line);

    LoggerMemory memory_;
    FaultSet faults_;
    QString serialNumber_;
    bool continuousOutput_;
    bool outputOn_;
    Trace* trace_;
    QByteArray rx_;
    int sectorsSent_ = 0;
};

}  // namespace kav::sim
