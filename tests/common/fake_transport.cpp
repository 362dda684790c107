#include "fake_transport.h"

namespace kav::link {

namespace {
// Counts down a "fail the nth" setting; true when this call is the one to fail.
bool failsNow(int& countdown) {
    return countdown > 0 && --countdown == 0;
}
}  // namespace

OpenResult FakeTransport::open(const QString& portName) {
    close();
    name_ = portName;
    if (failsNow(openFailsIn_)) {
        error_ = QStringLiteral("open failed");
        return openFailure_;
    }
    ++openCount_;
    open_ = true;
    baud_ = 115200;
    return OpenResult::Ok;
}

bool FakeTransport::setBaudRate(int baud) {
    if (!open_) return false;
    baud_ = baud;
    return true;
}

void FakeTransport::close() {
    if (!open_) return;
    open_ = false;
    emit closed();
}

bool FakeTransport::write(QByteArrayView bytes) {
    if (!open_ || failsNow(writeFailsIn_)) return false;
    traceBytes(true, bytes);
    writes_.append(bytes.toByteArray());
    if (onWrite_) onWrite_(writes_.last());
    return true;
}

void FakeTransport::inject(const QByteArray& bytes, qsizetype chunk) {
    if (chunk <= 0) chunk = bytes.size();
    for (qsizetype i = 0; i < bytes.size(); i += chunk) {
        traceBytes(false, QByteArrayView(bytes).sliced(i, qMin(chunk, bytes.size() - i)));
        emit bytesReceived(bytes.mid(i, chunk));
    }
}

void FakeTransport::losePort(const QString& reason) {
    if (!open_) return;
    emit portLost(reason);
    close();
}

void FakeTransport::failOpenAt(int nth, OpenResult result) {
    openFailsIn_ = nth;
    openFailure_ = result;
}

}  // namespace kav::link
