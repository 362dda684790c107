#include "logbook/flight_fingerprint.h"

#include <algorithm>

#include <QCryptographicHash>
#include <QtEndian>

namespace kav::logbook {

namespace {

template <typename T>
void addBigEndian(QCryptographicHash& hash, T value) {
    const T bytes = qToBigEndian(value);
    hash.addData(QByteArrayView(reinterpret_cast<const char*>(&bytes), sizeof bytes));
}

}  // namespace

QString flightFingerprint(const kav::log::LogData& log, std::size_t takeoff, std::size_t landing) {
    QCryptographicHash hash(QCryptographicHash::Sha256);
    const std::size_t end = std::min(landing + 1, log.size());
    for (std::size_t i = takeoff; i < end; ++i) {
        const kav::log::TDataECEF& fix = log[i];
        addBigEndian(hash, fix.WeekNumber);
        addBigEndian(hash, fix.TimeOfWeek);
        addBigEndian(hash, fix.ECEF_X);
        addBigEndian(hash, fix.ECEF_Y);
        addBigEndian(hash, fix.ECEF_Z);
        addBigEndian(hash, fix.Velocity);
    }
    return QString::fromLatin1(hash.result().toHex());
}

}  // namespace kav::logbook
