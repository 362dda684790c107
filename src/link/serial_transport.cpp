#include "serial_transport.h"

#include <QFileInfo>

#include "link/port_access.h"
#include "link/port_list.h"

namespace kav::link {

namespace {
constexpr int kCloseDrainMs = 100;  // lets a last command leave before the port is closed

// The serial port reports no permission, a busy device and a lock it could not take all as one
// permission error: the system is asked which it was.
PortProblem problemFor(QSerialPort::SerialPortError error, const QString& device,
                       const QString& reason) {
    switch (error) {
        case QSerialPort::DeviceNotFoundError:
            return {OpenResult::InvalidPort, reason};
        case QSerialPort::PermissionError:
            return diagnoseRefusal(device);
        default:
            return {OpenResult::Failed, reason};
    }
}

// A path is opened as it is; a chooser name goes through the port list's resolution.
QString deviceFor(const QString& name) {
    if (name.contains(QLatin1Char('/'))) return name;
    const QString location = portLocation(name);
    // QSerialPort resolves names itself but not symbolic links: hand it the device behind.
    const QFileInfo info(location);
    return info.isSymLink() ? info.symLinkTarget() : location;
}
}  // namespace

SerialTransport::SerialTransport(QObject* parent) : Transport(parent) {
    QObject::connect(&port_, &QSerialPort::readyRead, this, &SerialTransport::onReadyRead);
    QObject::connect(&port_, &QSerialPort::errorOccurred, this, &SerialTransport::onError);
}

SerialTransport::~SerialTransport() {
    QObject::disconnect(&port_, nullptr, this, nullptr);
    port_.close();
}

OpenResult SerialTransport::open(const QString& portName) {
    close();
    lost_ = false;
    name_ = portName;
    error_.clear();
    const QString device = deviceFor(portName);
    // A file or folder is never handed to the serial port, which would take some of them.
    PortProblem problem = checkBeforeOpen(device);
    if (problem.kind != OpenResult::Ok) return fail(problem);
    port_.setPortName(device);
    port_.setBaudRate(QSerialPort::Baud115200);
    port_.setDataBits(QSerialPort::Data8);
    port_.setParity(QSerialPort::NoParity);
    port_.setStopBits(QSerialPort::OneStop);
    if (port_.open(QIODevice::ReadWrite)) return OpenResult::Ok;
    problem = problemFor(port_.error(), device, port_.errorString());
    port_.clearError();
    return fail(problem);
}

OpenResult SerialTransport::fail(const PortProblem& problem) {
    error_ = problem.detail;
    return problem.kind == OpenResult::Ok ? OpenResult::Failed : problem.kind;
}

bool SerialTransport::setBaudRate(int baud) {
    if (!port_.isOpen() || lost_) return false;
    if (port_.bytesToWrite() > 0) port_.waitForBytesWritten(kCloseDrainMs);
    return port_.setBaudRate(baud);
}

void SerialTransport::close() {
    if (!port_.isOpen() || closing_) return;
    closing_ = true;
    // A port that is gone is not drained: the drain would only raise its error again.
    if (!lost_ && port_.bytesToWrite() > 0) port_.waitForBytesWritten(kCloseDrainMs);
    port_.close();
    closing_ = false;
    emit closed();
}

bool SerialTransport::write(QByteArrayView bytes) {
    if (!port_.isOpen() || lost_) return false;
    traceBytes(true, bytes);
    if (port_.write(bytes.data(), bytes.size()) != bytes.size()) return false;
    port_.flush();  // out now rather than on the next turn of the event loop
    return true;
}

// The serial port's own wait reads into its buffer and raises readyRead, which delivers them.
bool SerialTransport::waitForBytes(int ms) {
    if (!port_.isOpen() || lost_) return false;
    return port_.waitForReadyRead(ms);
}

void SerialTransport::onReadyRead() {
    const QByteArray bytes = port_.readAll();
    if (bytes.isEmpty()) return;
    traceBytes(false, bytes);
    emit bytesReceived(bytes);
}

// Reported once per loss: closing the lost port may raise the error again. A device that hangs
// up is readable with nothing to read, which the serial port reports as a read error (or as a
// resource error, by what the last failed call left behind): either way it is gone, and the
// port would otherwise wake the loop without end until the next write fails.
void SerialTransport::onError(QSerialPort::SerialPortError error) {
    if (!port_.isOpen() || lost_) return;
    if (error != QSerialPort::ResourceError && error != QSerialPort::DeviceNotFoundError &&
        error != QSerialPort::ReadError)
        return;
    lost_ = true;
    // The error's text is whatever the last failed call left when the device hung up.
    error_ = deviceRemoved(port_.portName()) ? QStringLiteral("the device was removed")
                                             : port_.errorString();
    port_.clearError();
    emit portLost(error_);
    close();
}

}  // namespace kav::link
