#include "nmea_output.h"

#include <QString>

namespace kav::sim {
namespace {

// "$" + sentence + "*" + two hex digits of the XOR of the sentence + CR LF.
QByteArray sentence(const QString& body) {
    const QByteArray text = body.toLatin1();
    uint8_t sum = 0;
    for (char c : text) sum ^= uint8_t(c);
    return '$' + text + '*' + QByteArray::number(sum, 16).rightJustified(2, '0').toUpper() + "\r\n";
}

}  // namespace

QByteArray nmeaLines(int64_t secondOfDay) {
    const int64_t s = ((secondOfDay % 86400) + 86400) % 86400;
    const QString time = QStringLiteral("%1%2%3.000")
                             .arg(s / 3600, 2, 10, QLatin1Char('0'))
                             .arg(s / 60 % 60, 2, 10, QLatin1Char('0'))
                             .arg(s % 60, 2, 10, QLatin1Char('0'));
    return sentence(QStringLiteral("GPGGA,%1,4548.768,N,00614.730,E,1,08,1.0,1250.0,M,50.0,M,,")
                        .arg(time)) +
           sentence(
               QStringLiteral("GPRMC,%1,A,4548.768,N,00614.730,E,0.0,0.0,090522,,,A").arg(time));
}

}  // namespace kav::sim
