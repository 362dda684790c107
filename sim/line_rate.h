#pragma once
// Line rates of the logger's serial port and what a UART makes of bytes sent at another rate.

#include <QByteArray>
#include <QByteArrayView>

namespace kav::sim {

constexpr int kPowerOnRate = 115200;  // the rate after every power-on

// The rate of a baud-rate index of the port configuration command (0 = 4800 ... 8 = 921600);
// 0 for an index outside the table.
int lineRateOfIndex(int index);
// Whether the port configuration command can set this rate.
bool isLineRate(int rate);

// The bytes as a receiver at receiverRate samples them when they were sent at senderRate.
QByteArray garbled(QByteArrayView bytes, int senderRate, int receiverRate);

}  // namespace kav::sim
