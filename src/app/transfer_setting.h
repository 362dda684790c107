#pragma once
// The transfer speed chosen in Parameters, kept in its own small file (Transfer.cfg) beside
// Connexion.cfg, so that file keeps its eight lines for the programs that read it.

#include <optional>

#include <QString>

#include "session/transfer_speed.h"

namespace kav::app {

// Transfer.cfg beside the given Connexion.cfg.
QString transferSettingPath(const QString& connexionPath);
// The speed the file names; nothing when it is missing or names none.
std::optional<session::TransferSpeed> readTransferSpeed(const QString& connexionPath);
// Writes the file; false with the system's reason in error.
bool writeTransferSpeed(const QString& connexionPath, session::TransferSpeed speed, QString* error);

}  // namespace kav::app
