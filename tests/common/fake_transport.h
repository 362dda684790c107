#pragma once
// An in-memory transport for tests: records what is written, lets the test deliver received
// bytes, and fails the Nth open or write, or loses the port, on request.

#include <functional>

#include <QByteArray>
#include <QList>

#include "link/transport.h"

namespace kav::link {

class FakeTransport : public Transport {
    Q_OBJECT
  public:
    using Transport::Transport;

    OpenResult open(const QString& portName) override;
    void close() override;
    bool setBaudRate(int baud) override;
    int baudRate() const override { return baud_; }
    bool isOpen() const override { return open_; }
    bool write(QByteArrayView bytes) override;
    QString portName() const override { return name_; }
    QString errorString() const override { return error_; }

    // Delivers bytes as received, in one piece or cut every chunk bytes.
    void inject(const QByteArray& bytes, qsizetype chunk = 0);
    // The device goes away: portLost, then closed.
    void losePort(const QString& reason = QStringLiteral("device removed"));

    // The nth open or write from now (1 = the next one) fails.
    void failOpenAt(int nth, OpenResult result = OpenResult::InvalidPort);
    void failWriteAt(int nth) { writeFailsIn_ = nth; }
    // Called after each successful write, e.g. to answer as a logger would.
    void setOnWrite(std::function<void(const QByteArray&)> onWrite) {
        onWrite_ = std::move(onWrite);
    }

    const QList<QByteArray>& writes() const { return writes_; }
    QByteArray lastWrite() const { return writes_.isEmpty() ? QByteArray() : writes_.last(); }
    void clearWrites() { writes_.clear(); }
    int openCount() const { return openCount_; }

  private:
    bool open_ = false;
    int baud_ = 115200;
    QString name_;
    QString error_;
    QList<QByteArray> writes_;
    int openFailsIn_ = 0;
    OpenResult openFailure_ = OpenResult::InvalidPort;
    int writeFailsIn_ = 0;
    int openCount_ = 0;
    std::function<void(const QByteArray&)> onWrite_;
};

}  // namespace kav::link
