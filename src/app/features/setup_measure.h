// The set-up assistant's measurements: line images through the window's Video loop and measured
// values through its Run loop, with the sensor's current parameters. Nothing but Run requests and
// line-image reads goes out.
#pragma once

#include <vector>

#include "exchange_outcome.h"
#include "program.h"
#include "setup_proposal.h"

// `count` Video cycles, each cycle's line image into `images`. Answered when every cycle brought
// its measurement and its whole line image; TimedOut when the sensor stopped answering (the loop
// has shown its text); Stopped when the loop was ended from outside (Stop, closing, Cancel).
ExchangeOutcome TakeLineImages(Program& p, long count, std::vector<LineImage>& images);
// `count` Run measurements into `samples`, as TakeLineImages.
ExchangeOutcome TakeRunSamples(Program& p, long count, std::vector<RunSample>& samples);

// What the panel holds for the proposals: polarity, edge mode, the scale of the line image.
struct SetupScale {
    int polarity = 0, eMode = 0;
    int factor = 1, subpixelScale = 1, topOfScale = 1024;
};
SetupScale ReadSetupScale(const Program& p);
