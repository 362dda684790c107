#pragma once
// The logger's side of the protocol, free of I/O: host bytes in, what the logger sends out.

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <cstdint>
#include <vector>

#include "faults.h"
#include "line_rate.h"
#include "link/frame.h"
#include "logger_memory.h"
#include "trace.h"

namespace kav::sim {

// One answer as it goes on the wire.
struct Transmission {
    QByteArray bytes;
    int delayMs = 0;      // held back this long once everything before it is out
    bool vanish = false;  // the device disappears once everything before it is out
    int lineRate = 0;     // when set, the line switches to this rate once these bytes are out
};

struct FeedResult {
    std::vector<uint8_t> commands;  // ids of the well-formed frames received, in order
    std::vector<Transmission> out;
};

// How the logger behaves apart from its faults.
struct LoggerSettings {
    QString serialNumber = QStringLiteral("GT730-0123456789");
    bool continuousOutput = false;  // NMEA-like text until the output is stopped (0x09)
    bool bareTrailer = false;       // nothing between a raw block's checksum and its CR LF
};

class LoggerCore {
  public:
    LoggerCore(LoggerMemory memory, FaultSet faults, LoggerSettings settings,
               Trace* trace = nullptr);

    // Frames are read by their length field; a frame with a bad checksum is ignored and
    // bytes that start no frame are skipped.
    FeedResult feed(QByteArrayView bytes);

    // Power off and on: output as at start, half-read input and a silenced line forgotten;
    // memory, criteria and faults stay.
    void powerCycle();

    bool outputOn() const { return outputOn_ && !silent_; }  // NMEA text lines are due
    const LoggerMemory& memory() const { return memory_; }
    int sectorsSent() const { return sectorsSent_; }

  private:
    struct Reply {
        QByteArray bytes;
        bool vanish = false;  // the device goes once the bytes are out
        int lineRate = 0;     // the line switches once the bytes are out
    };

    void answer(const link::Frame& command, FeedResult& result);
    bool withheld(uint8_t id, FeedResult& result);
    bool refused(uint8_t id);
    Reply answerBytes(const link::Frame& command);
    Reply configurePort(QByteArrayView body);
    Reply readSectors(QByteArrayView body);
    QByteArray readUserData();
    QByteArray setCriteria(QByteArrayView body);
    QByteArray sectorBlock(int start, int count);
    QByteArray frame(uint8_t id, QByteArray body);
    QByteArray ack(uint8_t id) { return frame(0x83, QByteArray(1, char(id))); }
    QByteArray refusal(uint8_t id) { return frame(0x84, QByteArray(1, char(id))); }
    // The acknowledgement, then the reply it precedes: in this order on the wire and in the trace.
    template <typename MakeReply>
    QByteArray ackThen(uint8_t id, MakeReply makeReply) {
        QByteArray out = ack(id);
        out += makeReply();
        return out;
    }
    QByteArray blockExtra();
    void note(const QString& line);

    LoggerMemory memory_;
    FaultSet faults_;
    LoggerSettings settings_;
    bool outputOn_;
    bool silent_ = false;
    Trace* trace_;
    QByteArray rx_;
    int sectorsSent_ = 0;
};

}  // namespace kav::sim
