#pragma once
// The transport the program uses when none is given: the serial port.

#include <memory>

#include "link/transport.h"

namespace kav::app {

std::unique_ptr<link::Transport> makeDefaultTransport();

}  // namespace kav::app
