#pragma once
// The byte pipe to the logger. Only a transport touches the port; everything above it is fed bytes.

#include <functional>

#include <QByteArray>
#include <QByteArrayView>
#include <QObject>
#include <QString>

namespace kav::link {

// How opening a port ended. After a failure the transport's errorString() holds the system's
// detail for the kind, as named below (empty when the system cannot tell).
enum class OpenResult {
    Ok,
    InvalidPort,      // the system has no such port
    NotSerialDevice,  // the name leads to a file or folder; detail: what it is
    NoPermission,     // the user may not open the device; detail: the device's group
    InUse,            // another program holds the port; detail: that program
    StaleLock,        // a lock file left by a program that has ended; detail: the file's path
    Failed,           // any other failure; detail: the system's reason
};

class Transport : public QObject {
    Q_OBJECT
  public:
    using QObject::QObject;
    ~Transport() override = default;

    // Opens the named port at 115200 baud, 8 data bits, no parity, 1 stop bit.
    virtual OpenResult open(const QString& portName) = 0;
    // Changes the open port's line rate, once every byte written so far has left; false when
    // the port cannot take it.
    virtual bool setBaudRate(int baud) = 0;
    virtual int baudRate() const = 0;
    // Closes the port; emits closed() when it was open, does nothing otherwise.
    virtual void close() = 0;
    virtual bool isOpen() const = 0;
    // Writes the bytes unchanged; returns false when they could not be queued.
    virtual bool write(QByteArrayView bytes) = 0;
    virtual QString portName() const = 0;
    virtual QString errorString() const = 0;
    // Waits up to ms for bytes on the port alone, without running the event loop, and delivers
    // them through bytesReceived; false when none came (or the transport cannot wait).
    virtual bool waitForBytes(int ms) {
        Q_UNUSED(ms);
        return false;
    }

    // Called with every byte string written (out = true) and read (out = false).
    using Trace = std::function<void(bool out, QByteArrayView bytes)>;
    // Byte trace on demand; an empty function turns it off.
    void setTrace(Trace trace) { trace_ = std::move(trace); }

  signals:
    // Bytes as they arrive, in order, each delivered once.
    void bytesReceived(const QByteArray& bytes);
    // The port was closed, by close() or because the device went away.
    void closed();
    // The device disappeared or failed while open (the port is closed after this).
    void portLost(const QString& reason);

  protected:
    void traceBytes(bool out, QByteArrayView bytes) const {
        if (trace_) trace_(out, bytes);
    }

  private:
    Trace trace_;
};

}  // namespace kav::link
