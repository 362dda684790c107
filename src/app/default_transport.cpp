#include "app/default_transport.h"

#include "link/serial_transport.h"

namespace kav::app {

std::unique_ptr<link::Transport> makeDefaultTransport() {
    return std::make_unique<link::SerialTransport>();
}

}  // namespace kav::app
