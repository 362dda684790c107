#pragma once
// The log on screen while a new connection has not yet started its download: a logger that
// answers nothing must not cost the tracks read before.

#include <QByteArray>

#include "app/main_window.h"
#include "log/track_list.h"
#include "session/download_session.h"

namespace kav::app {

struct TKAVSkyTraqV6::ShownLog {
    log::LogCollection log;
    QByteArray memory;
    session::Outcome outcome;
    session::LoggerIdentity identity;
};

}  // namespace kav::app
