// The built-in simulated sensor behind the port device "sim": an in-process line (no
// pseudo-terminal), started on the first open with the options of the environment variable
// TAVRIX_SIM. It lives as long as this object, so its records survive closing and reopening the
// port; after a hang-up the next open starts a fresh line that keeps them. Private to the platform
// layer; rs232.h documents the behaviour callers see.
#pragma once

#include <memory>

#include "serial_device.h"

namespace platform {

class SimulatedPort {
  public:
    // A device on the simulated sensor's line; null with *error set to an open-error code of
    // rs232.h when the options cannot be parsed (the reason goes to standard error).
    std::unique_ptr<SerialDevice> Device(int* error);

  private:
    std::shared_ptr<sim::LocalLine> line_;
};

}  // namespace platform
