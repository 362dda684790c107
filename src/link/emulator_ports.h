#pragma once
// Where emulated loggers announce their pseudo-terminals, so they are listed like plugged-in
// ports: links named ttySIM0, ttySIM1, ... in a folder under the user's runtime directory.
// This is the one place that knows the folder; the Windows side has no emulator ports.

#include <QString>
#include <QStringList>

namespace kav::link {

// $XDG_RUNTIME_DIR/kav-skytraq/ports, or /tmp/kav-skytraq-<uid>/ports without one.
QString emulatorPortsDir();

// Names of announced links that still lead to a live terminal device.
QStringList announcedEmulatorPorts();

// Announces target (a pseudo-terminal path) under the first free name ttySIM<n>;
// returns the name, or an empty string when the folder cannot be written.
QString announceEmulatorPort(const QString& target);

// Removes the announcement of name if it still points at target.
void withdrawEmulatorPort(const QString& name, const QString& target);

}  // namespace kav::link
