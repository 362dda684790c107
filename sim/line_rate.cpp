#include "line_rate.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cmath>
#include <cstdint>

namespace kav::sim {
namespace {

constexpr std::array kRates{4800, 9600, 19200, 38400, 57600, 115200, 230400, 460800, 921600};

// The receiver sees the sender's start bit and the low data bits after it (sent LSB first)
// stretched by the rate ratio, less its own start bit, then idle high: the byte arrives as
// 0xFF shifted left by that low run (0x00, 0x80, ... 0xFE, 0xFF), never as 0xA0 or CR / LF.
uint8_t garbledByte(uint8_t byte, int senderRate, int receiverRate) {
    if (senderRate <= 0) return 0xFF;  // a rate the terminal cannot name: nothing but noise
    const int lowRun = 1 + std::countr_zero(byte);
    const auto seen = std::lround(double(lowRun) * receiverRate / senderRate) - 1;
    return uint8_t(0xFF << std::clamp<long>(seen, 0, 8));
}

}  // namespace

int lineRateOfIndex(int index) {
    return index >= 0 && index < int(kRates.size()) ? kRates[std::size_t(index)] : 0;
}

bool isLineRate(int rate) {
    return std::find(kRates.begin(), kRates.end(), rate) != kRates.end();
}

QByteArray garbled(QByteArrayView bytes, int senderRate, int receiverRate) {
    QByteArray out(bytes.size(), '\0');
    for (qsizetype i = 0; i < bytes.size(); ++i)
        out[i] = char(garbledByte(uint8_t(bytes[i]), senderRate, receiverRate));
    return out;
}

}  // namespace kav::sim
