#pragma once
// Gives a new control its object name, so tests and the window find it by the name it is known by.

#include <QString>

namespace kav::app {

template <typename W>
W* named(W* widget, const char* name) {
    widget->setObjectName(QString::fromLatin1(name));
    return widget;
}

}  // namespace kav::app
