// tavrix-cli monitor: the window's Run loop without end, published to the plant's MQTT broker.
#pragma once

#include <ostream>

#include "cli_args.h"
#include "cli_session.h"

// Runs until SIGTERM or SIGINT, identifying the sensor again after every link loss. Messages about
// the sensor's link go to `err`, one line each, when the reason changes.
ExitCode Monitor(const Request& request, Session& session, std::ostream& err);
