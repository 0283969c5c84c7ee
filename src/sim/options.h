// Options of the simulated sensor, shared by the tavrix-sim program (its command line) and the
// tool's built-in simulated port (the environment variable TAVRIX_SIM).
//
// Syntax: options are separated by white space; a value follows its option as the next word or
// after '=' ("--board 400" or "--board=400"). In a single string (TAVRIX_SIM) a value with spaces
// is quoted with " or '.
//
//   --board N          board type (pcbtype), default 0
//   --sensor N         sensor type (ccdtype), default 1
//   --maxpixel N       pixel count (ccdmaxpixel), default 1024
//   --maxpixel-x8 N    eight-fold pixel count (ccdmaxpixelX8), default 8 x maxpixel
//   --subpixel N       sub-pixel full scale (ccdsubpixel), default 1024
//   --resolution N     resolution code (ccdresolution), default 750
//   --pix-end N        last valid position (ccdpixE), default the sub-pixel full scale
//   --softversion N    firmware version number, default 152
//   --firmware TEXT    firmware version text
//   --block-start A,B  every 64-sample block of the image starts with these samples
//   --baud N           pace the line at N baud (10 bits a byte); 0 answers at once; default 19200
//   --burst MS         hand the answer bytes over every MS milliseconds, as a USB adapter does
//   --seed N           seed of the image noise, default 1
//   --noise N          amplitude of the image noise, default 6
//   --scene NAME       moving (default) or still-bright: a bright object standing still on a dark
//                      background, whatever the polarity
//   --fault FAULT      a fault (repeatable), FAULT = NAME[=VALUE][@CODE]; @CODE limits it to
//                      requests with that command code:
//                        silent, silent-after=N, delay=SECONDS, delay-first=SECONDS,
//                        short-frame=K, trailing=K,
//                        garbage=K, wrong-sync, wrong-echo=CODE, short-block=K, hang-up[=N],
//                        flood=SECONDS
//   --log              print every request (time, code) to standard error (program only)
//   --help             print the option summary
//
// Numbers are decimal, or hexadecimal with 0x; word values are 0..65535. Anything else (an
// unknown option, a missing or malformed value, an unknown fault) is an error with a message.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "faults.h"
#include "responder.h"

namespace sim {

struct SimOptions {
    SensorConfig sensor;
    long baud = 19200;
    double burst = 0;  // seconds
    std::vector<Fault> faults;
    bool log = false;
    bool help = false;
};

struct ParsedOptions {
    bool ok = false;
    std::string error;  // what was wrong, when !ok
    SimOptions options;
};

ParsedOptions ParseOptions(const std::vector<std::string>& args);
// Splits the text into words (quotes group, as above) and parses them.
ParsedOptions ParseOptionString(const std::string& text);
// One fault, e.g. "delay=1.6@8". Sets *error when it is not valid.
std::optional<Fault> ParseFault(const std::string& text, std::string* error);
// The option summary printed by --help.
std::string OptionsHelp();

}  // namespace sim
