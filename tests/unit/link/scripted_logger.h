#pragma once
// A logger played by the test over FakeTransport: answers each command frame the link writes,
// later (at a virtual time, as a port would), cut into small deliveries.

#include <QMap>

#include "common/fake_transport.h"
#include "common/virtual_clock.h"
#include "wire_bytes.h"

namespace kav::link::testing {

class ScriptedLogger {
  public:
    ScriptedLogger(FakeTransport& port, VirtualClock& clock) : port_(port), clock_(clock) {
        port_.setOnWrite([this](const QByteArray& frame) { answer(frame); });
    }

    QByteArray image;                        // sectors, 0 first
    StatusFields status;                     // the status returned for 0x17
    QByteArray serial = "GT730-0123456789";  // the user-data text
    QMap<int, int> badSectorChecksum;        // sector -> how many answers carry a bad checksum
    QMap<int, int> silentSector;             // sector -> how many requests go unanswered
    int badUserDataChecksum = 0;
    int silentCommands = 0;  // next commands of any kind go unanswered
    bool refuseCriteria = false;
    int delayMs = 0;                   // every answer is delivered this much later
    QMap<uint8_t, int> delayFor;       // command id -> its answers come this much later
    QList<uint8_t> duplicate;          // command ids whose whole answer comes twice
    QMap<uint8_t, QByteArray> before;  // command id -> stray answers sent just before its own
    QList<int> refusedSectors;         // sectors whose reading is refused
    qsizetype chunk = 7;
    QList<int> sectorRequests;
    QList<uint8_t> rates;  // rate indexes asked for with 0x05

  private:
    QByteArray sector(int n) const {
        const QByteArray s =
            image.mid(qsizetype(n) * qsizetype(kSectorSize), qsizetype(kSectorSize));
        return s.size() == qsizetype(kSectorSize) ? s
                                                  : QByteArray(qsizetype(kSectorSize), char(0xFF));
    }

    static bool take(int& count) { return count > 0 && count-- > 0; }

    QByteArray reply(uint8_t id, const QByteArray& body) {
        switch (id) {
            case 0x02:
                return ack(id) + versionFrame();
            case 0x76:
                return ack(id) + rawBlock(userData(serial), !take(badUserDataChecksum));
            case 0x17:
                return ack(id) + statusFrame(status);
            case 0x18:
                return refuseCriteria ? nack(id) : ack(id);
            case 0x1D: {
                const int n = (uint8_t(body[0]) << 8) | uint8_t(body[1]);
                const int count = (uint8_t(body[2]) << 8) | uint8_t(body[3]);
                sectorRequests << n;
                if (refusedSectors.contains(n) || n + count > status.total) return nack(id);
                QByteArray data;
                bool good = true;
                for (int s = n; s < n + count; ++s) {
                    if (take(silentSector[s])) return {};
                    good = !take(badSectorChecksum[s]) && good;
                    data += sector(s);
                }
                return ack(id) + rawBlock(data, good);
            }
            case 0x05:
                rates << uint8_t(body[1]);
                return ack(id);
            case 0x09:
            case 0x0E:
            case 0x10:
            case 0x19:
            case 0x2D:
            case 0x3D:
            case 0x77:
                return ack(id);
            default:
                return nack(id);
        }
    }

    void answer(const QByteArray& frame) {
        const FrameScan scan = scanFrame(frame);
        if (scan.status != FrameScan::Status::Found) return;
        if (take(silentCommands)) return;
        const uint8_t id = scan.frame.id;
        QByteArray bytes = reply(id, scan.frame.body);
        if (bytes.isEmpty()) return;
        if (duplicate.contains(id)) bytes += bytes;
        bytes.prepend(before.value(id));
        clock_.after(delayMs + delayFor.value(id), [this, bytes] {
            if (port_.isOpen()) port_.inject(bytes, chunk);
        });
    }

    FakeTransport& port_;
    VirtualClock& clock_;
};

}  // namespace kav::link::testing
