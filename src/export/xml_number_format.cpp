#include "export/xml_number_format.h"

#include <QLocale>

#include "export/converti.h"

namespace kav::exporting {

namespace {

constexpr int kCoordinateDecimals = 5;
constexpr int64_t kMillimetresPerUnit = 303;

// Only ASCII digits, one optional leading '-' and one '.' are readable by every XML consumer.
bool isPlainDecimal(const QString& text) {
    bool point = false;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c == u'-' && i == 0) continue;
        if (c == u'.' && !point) {
            point = true;
            continue;
        }
        if (c < u'0' || c > u'9') return false;
    }
    return point;
}

}  // namespace

FixedFiveDecimals::FixedFiveDecimals() {
    locale_.setNumberOptions(locale_.numberOptions() | QLocale::OmitGroupSeparator);
}

QString FixedFiveDecimals::operator()(double value) const {
    const QString text = ConvertTextPoint(locale_.toString(value, 'f', kCoordinateDecimals));
    // A locale with its own digits or minus sign would write coordinates no reader understands.
    if (isPlainDecimal(text)) return text;
    return QLocale::c().toString(value, 'f', kCoordinateDecimals);
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
