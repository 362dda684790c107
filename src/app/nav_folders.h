#pragma once
// The navigation folders offered by the Parameters dialog.

#include <QString>
#include <QStringList>

namespace kav::app {

// Names of the plain subfolders of dir whose names begin with "Nav" (case-sensitive); hidden,
// read-only and linked folders are left out. A missing or unreadable dir gives an empty list.
QStringList navFolders(const QString& dir);

}  // namespace kav::app
