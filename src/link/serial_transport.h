#pragma once
// The transport over a real serial port (QSerialPort), 115200 baud 8N1.

#include <functional>

#include <QSerialPort>

#include "link/transport.h"

namespace kav::link {

class SerialTransport : public Transport {
    Q_OBJECT
  public:
    // Called with every byte string written (out = true) and read (out = false).
    using Trace = std::function<void(bool out, QByteArrayView bytes)>;

    explicit SerialTransport(QObject* parent = nullptr);
    ~SerialTransport() override;

    // portName is a chooser name (ttyUSB0, COM7, ttySIM0) or a device path.
    OpenResult open(const QString& portName) override;
    void close() override;
    bool isOpen() const override { return port_.isOpen(); }
    bool write(QByteArrayView bytes) override;
    QString portName() const override { return name_; }
    QString errorString() const override { return error_; }

    // Byte trace on demand; an empty function turns it off.
    void setTrace(Trace trace) { trace_ = std::move(trace); }

  private:
    void onReadyRead();
    void onError(QSerialPort::SerialPortError error);

    QSerialPort port_;
    QString name_;
    QString error_;
    Trace trace_;
};

}  // namespace kav::link
