#include "export/xml_number_format.h"

#include <charconv>
#include <cmath>
#include <cstring>

#include <QLocale>

namespace kav::exporting {

namespace {

constexpr int kCoordinateDecimals = 5;
constexpr int64_t kMillimetresPerUnit = 303;
// Below this the fixed text has at most 22 characters and std::to_chars needs no fallback.
constexpr double kFastLimit = 1e15;
// A value whose sixth decimal is its last and a 5 is an odd multiple of 1/64.
constexpr double kTieScale = 64;

// std::to_chars rounds such a tie to even; the files have always rounded it away from zero.
bool isRoundingTie(double value) {
    const double scaled = value * kTieScale;
    return scaled == std::trunc(scaled) && std::fmod(scaled, 2.0) != 0;
}

char* writeQtFixed(char* out, double value) {
    const QByteArray text = QLocale::c().toString(value, 'f', kCoordinateDecimals).toLatin1();
    std::memcpy(out, text.constData(), std::size_t(text.size()));
    return out + text.size();
}

}  // namespace

char* writeFiveDecimals(char* out, double value) {
    if (!(std::fabs(value) < kFastLimit) || isRoundingTie(value)) return writeQtFixed(out, value);
    if (value == 0) value = 0;  // -0 is written without its sign
    return std::to_chars(out, out + kFiveDecimalsMaxBytes, value, std::chars_format::fixed,
                         kCoordinateDecimals)
        .ptr;
}

QString fiveDecimals(double value) {
    char text[kFiveDecimalsMaxBytes];
    return QString::fromLatin1(text, writeFiveDecimals(text, value) - text);
}

int64_t altitudeInMetres(int32_t xAlti) {
    const int64_t millimetres = int64_t{xAlti} * kMillimetresPerUnit;
    int64_t metres = millimetres / 1000;
    const int64_t remainder = millimetres % 1000;
    const int64_t step = remainder < 0 ? -1 : 1;
    const int64_t half = remainder < 0 ? -remainder : remainder;
    if (half > 500 || (half == 500 && metres % 2 != 0)) metres += step;
    return metres;
}

}  // namespace kav::exporting
