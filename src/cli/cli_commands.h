// The commands of tavrix-cli, run on a headless session with the window's own exchanges.
#pragma once

#include <ostream>

#include "cli_args.h"

// Runs one parsed command: results to `out`, every error as one line to `err`.
ExitCode RunCommand(const Request& request, std::ostream& out, std::ostream& err);
