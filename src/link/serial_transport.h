#pragma once
// The transport over a real serial port (QSerialPort), 115200 baud 8N1.

#include <QSerialPort>

#include "link/transport.h"

namespace kav::link {

struct PortProblem;

class SerialTransport : public Transport {
    Q_OBJECT
  public:
    explicit SerialTransport(QObject* parent = nullptr);
    ~SerialTransport() override;

    // portName is a chooser name (ttyUSB0, COM7, ttySIM0) or a device path.
    OpenResult open(const QString& portName) override;
    void close() override;
    bool setBaudRate(int baud) override;
    int baudRate() const override { return int(port_.baudRate()); }
    bool isOpen() const override { return port_.isOpen(); }
    bool write(QByteArrayView bytes) override;
    QString portName() const override { return name_; }
    QString errorString() const override { return error_; }
    bool waitForBytes(int ms) override;

  private:
    // Keeps the problem's detail as the error string; returns its kind.
    OpenResult fail(const PortProblem& problem);
    void onReadyRead();
    void onError(QSerialPort::SerialPortError error);

    QSerialPort port_;
    QString name_;
    QString error_;
    bool closing_ = false;
    bool lost_ = false;  // the device went away; nothing more is reported until the next open
};

}  // namespace kav::link
