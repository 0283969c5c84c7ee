// `tavrix-cli log`: the change log printed, without a port.
#pragma once

#include <ostream>

#include "cli_args.h"

// Prints the entries from request.since on; damaged lines are skipped and counted on `err`. No
// log yet prints nothing. Ok unless the log exists and cannot be read.
ExitCode ListLog(const Request& request, std::ostream& out, std::ostream& err);
