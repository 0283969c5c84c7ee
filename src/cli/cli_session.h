// A sensor session without a window: the program's state, exchanges and panel logic, over the
// main panel loaded from the panel file but never shown. The commands of tavrix-cli run the
// window's own functions on it.
#pragma once

#include <string>

#include "cli_args.h"
#include "headless.h"
#include "program.h"

class Session {
  public:
    // Loads the main panel and gives every variable its start value, as the window's start-up.
    Session();
    Session(const Session&) = delete;
    Session& operator=(const Session&) = delete;
    // False when the panel file beside the program cannot be loaded.
    bool ready() const { return program_.pHandle > 0; }
    Program& program() { return program_; }

    // Opens the port and identifies the sensor as the window does at start-up: line check,
    // hardware profile, parameters from RAM, firmware text. False with the reason in `why` when
    // the port cannot be opened or an answer did not come; a missing firmware text fails only
    // when `needFirmware`, else it is a `warning`.
    bool Connect(const PortChoice& port, bool needFirmware, std::string& why, std::string& warning);
    // The device behind the port in use.
    std::string Device() const;
    // The status line as the panel shows it now.
    std::string StatusLine() const;

  private:
    platform::HeadlessToolkit toolkit_;
    platform::Engine engine_;
    platform::Rs232 ports_;
    Program program_;
};
