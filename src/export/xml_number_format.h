#pragma once
// Number texts of the KML and GPX files.

#include <cstdint>

#include <QLocale>
#include <QString>

namespace kav::exporting {

// Degrees in fixed notation with exactly 5 decimals and a decimal point, whatever the user's
// number format. Made once per export: it keeps the user's locale at hand.
class FixedFiveDecimals {
  public:
    FixedFiveDecimals();
    QString operator()(double value) const;

  private:
    QLocale locale_;
};

// Height in 0.303 m units as whole metres, rounded half to even.
int64_t altitudeInMetres(int32_t xAlti);

}  // namespace kav::exporting
