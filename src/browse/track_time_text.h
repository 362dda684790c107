#pragma once
// Track start and finish times as table text: the locale's short date, a space and its long time.

#include <QLocale>
#include <QString>

#include "log/fix_types.h"

namespace kav::browse {

// The UTC date-time to the second, in the locale's short date and long time formats
// (without the time-zone name: every time in the table is UTC).
QString trackTimeText(kav::log::DateTime dt, const QLocale& locale);

}  // namespace kav::browse
