#pragma once
// The logger emulator: a GT730 on a pseudo-terminal that answers the binary protocol from the
// logger's side and serves a flash memory image. Event-driven in the calling thread's loop.
//
// Fault switches (EmulatorOptions::faults and gt730-sim --fault), each independent:
//   block-checksum-once=SECTOR   the raw block holding SECTOR carries a wrong checksum, once
//   block-checksum-always=SECTOR ... every time
//   reply-lost-once=ID           command ID (e.g. 0x1D) gets no answer at all, once
//   reply-lost-always=ID         ... never answered
//   block-lost-once=SECTOR       the acknowledgement comes but the raw block of SECTOR
//                                (or "user" for the user-data area) never does, once
//   block-lost-always=SECTOR     ... never
//   frame-checksum-once=ID       the next reply frame with id ID (0x80, 0x83, 0x84, 0x94)
//                                carries a wrong checksum byte
//   frame-checksum-always=ID     ... every such frame
//   garbage[=N]                  N stray bytes (default 8) before every answer
//   vanish-after=N               the device disappears once N sectors have been sent
//   delay-once=ID:MS             the answer to command ID is held back MS milliseconds, once
//   delay-always=ID:MS           ... every time
//   extra-trailer[=N]            N tail bytes (default 3) after the block checksum, bare or not
//   refuse-criteria              the log criteria command (0x18) is refused
//   refuse-once=ID               command ID is refused (0x84 naming ID) instead of answered, once
//   refuse-always=ID             ... every time
//   duplicate-once=ID            the whole answer to command ID (acknowledgement, reply frame,
//                                raw block) is sent twice, back to back, once
//   duplicate-always=ID          ... every time
//   vanish-at=ID                 the device disappears instead of answering command ID
//   noise-frame=ID               a frame of an id the host does not know (0xAE) before every
//                                answer to command ID
//   rate-no-switch               the port configuration (0x05) is acknowledged, the rate stays
//   rate-silent                  0x05 is acknowledged and the rate changes; from then on
//                                nothing the logger sends arrives, though it still obeys,
//                                until it is back at 115200 (by 0x05 or a power cycle)
//
// The line rate: the logger starts at 115200 baud, paces its bytes at the rate in effect and
// switches after acknowledging 0x05. While the rate the host set on the terminal differs, what
// either side sends arrives garbled (checked at every read and write). A power cycle brings
// back 115200. EmulatorOptions::startRate starts it at another rate instead, as a logger left
// there by a program that did not put it back (a power cycle still brings back 115200).

#include <QByteArray>
#include <QObject>
#include <QString>
#include <QStringList>
#include <memory>

namespace kav::sim {

struct EmulatorOptions {
    QByteArray image;            // memory: concatenated 4096-byte sectors, sector 0 first
    bool fast = false;           // full speed instead of pacing at the line rate (10 bits a byte)
    bool honourLineRate = true;  // false: always 115200, 0x05 acknowledged but never switched
    bool bareTrailer = false;    // raw blocks end at the checksum byte, then CR LF
    bool fullMemory = false;     // the memory is the image's sectors, all used, none left
    bool continuousOutput = false;  // NMEA-like text lines until the output is stopped (0x09)
    QStringList faults;             // "NAME" or "NAME=ARG", the same names as the --fault option
    bool announce = true;           // announce the pty as ttySIM<n> (link/emulator_ports.h)
    QString linkPath;               // extra symlink to the pty, if not empty
    QString serialNumber = QStringLiteral("GT730-0123456789");
    QString traceFile;       // when set, every frame received and sent is also written there
    int startRate = 115200;  // the line rate at start (4800 ... 921600)
};

class Emulator : public QObject {
    Q_OBJECT
  public:
    explicit Emulator(EmulatorOptions options, QObject* parent = nullptr);
    ~Emulator() override;  // closes the pty and withdraws the announcement

    // Opens the pty, announces it and starts answering; false (with error) on failure,
    // including an unknown fault name or an image too large for the logger.
    bool start(QString* error = nullptr);
    QString ptyPath() const;        // the slave device path, e.g. /dev/pts/5
    QString announcedName() const;  // e.g. ttySIM0, empty when not announced
    void vanish();                  // the device disappears now: pty closed, announcement withdrawn
    // Power off and on with the pty left open: back at the power-on rate, output as at start,
    // nothing pending; memory, criteria and faults kept.
    void powerCycle();
    // The answer to the nth command id from now on (1: the next), and every answer after it, is
    // held until releaseAnswers(): a test acts at that point of a download, whatever the load.
    // The first sentFirst bytes of that answer go out (its data is then arriving).
    void holdAnswers(quint8 id, int nth, int sentFirst = 0);
    void releaseAnswers();
    int lineRate() const;  // the rate in effect on the logger's side
    // One line per frame: "RX <hex bytes>" / "TX <hex bytes>", "TX RAW sector N",
    // "TX RAW user data"; a host frame with a bad checksum is "RX <hex bytes> ignored".
    QStringList trace() const;
    QByteArray memory() const;  // current memory (empty after a clear)

  signals:
    void commandReceived(quint8 id);
    void vanished();  // the pty has been closed (vanish() or the vanish-after switch)

  private:
    struct Private;
    std::unique_ptr<Private> d;
};

QByteArray sampleImage();  // the built-in sample day

}  // namespace kav::sim
