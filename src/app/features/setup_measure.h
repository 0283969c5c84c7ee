// The set-up assistant's measurements: line images through the window's Video loop and measured
// values through its Run loop, with the sensor's current parameters. Nothing but Run requests and
// line-image reads goes out.
#pragma once

#include <vector>

#include "exchange_outcome.h"
#include "program.h"
#include "setup_proposal.h"

// `count` Video cycles, each cycle's line image into `images`, followed as a measurement listener.
// Answered when every cycle brought its measurement and its whole line image; TimedOut when a cycle
// came without its whole image; else the loop's own outcome (TimedOut, Stopped by Stop, closing or
// Cancel, PortLost...).
ExchangeOutcome TakeLineImages(Program& p, long count, std::vector<VideoImage>& images);
// `count` Run measurements into `samples`, as TakeLineImages.
ExchangeOutcome TakeRunSamples(Program& p, long count, std::vector<RunSample>& samples);

// What the panel holds for the proposals: polarity, edge mode, the scale of the line image.
struct SetupScale {
    int polarity = 0, eMode = 0;
    int factor = 1, subpixelScale = 1, topOfScale = 1024;
};
SetupScale ReadSetupScale(const Program& p);
