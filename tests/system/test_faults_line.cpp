// Faults of the line itself: a flood of bytes, the other end hanging up, ports missing or held by
// another program, the port changed under a running loop and the panel closed during a loop.
#include "test_faults_suite.h"

namespace systest::faults {
namespace {

constexpr const char* kPlain = "--baud 0";
constexpr const char* kPaced = "--baud 19200";
constexpr const char* kTimeout = "Timeout-RS-232...";
constexpr const char* kLoopTimeout = "Timeout RS232-Line!";
constexpr const char* kTimeout64 = "Timeout-RS-232 while reading 64 data-words!";
// The blocks left in a cycle whose port changed go to the new sensor, whose answers the
// reinstalled receive callback may take: each block arrives whole or times out.
constexpr const char* kBlockOutcome =
    "Data[64] block received!|Timeout-RS-232 while reading 64 data-words!";
constexpr Exchange kGet = Exchange::Get;
constexpr Exchange kRun = Exchange::Run;
constexpr Exchange kVideo = Exchange::Video;
constexpr Params kNoRecord = Params::StartValues;

void PortOneClosed(const Probe& probe) {
    EXPECT_FALSE(probe.p.rs.IsOpen(1));
}

void OnPortTwo(const Probe& probe) {
    EXPECT_EQ(probe.p.com, 2);
    EXPECT_TRUE(probe.p.rs.IsOpen(2));
    EXPECT_FALSE(probe.p.rs.IsOpen(1));
}

// clang-format off
const Row kRows[] = {
    // name                     port 1 sensor  fault          exchange status          seconds
    // A flood of 0x55 bytes: 36 of them look like a frame to the receive callback. Run and Video
    // show them as measurements; Get waits for its own answer; the panel stays responsive.
    {"FloodDuringRun",          kPlain,    "flood=3@8",       kRun,    "Line Ok!|Timeout RS232-Line!",
                                                                                         3.0, 6.0,
     {.during = During::Stop, .at = 4.0, .params = Params::Shown, .flood = true}},
    {"FloodDuringBlockReads",   kPlain,    "flood=3@9",       kVideo,  "*",            3.0, 12.5,
     {.during = During::Stop, .at = 4.0, .params = Params::Shown, .flood = true}},
    {"FloodOnGet",              kPlain,    "flood=1@2",       kGet,    kTimeout,       1.5, 3.5,
     {.flood = true}},

    // The other end hangs up: the port closes at once, the loop ends by its time-out without
    // spinning, and another port can be chosen.
    {"HangUpDuringRun",         kPaced,    "",                kRun,    kLoopTimeout,   1.8, 4.5,
     {.during = During::HangUp, .at = 0.5, .idle = true, .extra = PortOneClosed}},
    {"HangUpDuringVideo",       kPaced,    "",                kVideo,  kLoopTimeout,   2.0, 10.0,
     {.during = During::HangUp, .at = 0.5, .idle = true, .extra = PortOneClosed}},
    {"HangUpAtMeasurement",     kPaced,    "hang-up=3@8",     kVideo,  kLoopTimeout,   1.5, 4.5,
     {.idle = true, .extra = PortOneClosed}},
    {"HangUpAtBlockRequest",    kPaced,    "hang-up=2@9",     kVideo,  kLoopTimeout,   4.5, 7.0,
     {.idle = true, .extra = PortOneClosed}},

    // Ports that never opened: every exchange ends by its time-out.
    {"GetOnMissingPort",        "missing", "",                kGet,    kTimeout,       1.5, 3.5,
     {.params = kNoRecord, .idle = true}},
    {"RunOnMissingPort",        "missing", "",                kRun,    kLoopTimeout,   1.5, 3.5,
     {.params = kNoRecord, .idle = true}},
    {"VideoOnMissingPort",      "missing", "",                kVideo,  kLoopTimeout,   1.5, 3.5,
     {.params = kNoRecord, .idle = true}},
    {"GetOnBusyPort",           "busy",    "",                kGet,    kTimeout,       1.5, 3.5,
     {.params = kNoRecord, .idle = true}},

    // Another port chosen while a loop runs: the old port closes, the new sensor is identified
    // inside the loop, the loop ends (a Video cycle after its pending wait).
    {"PortChangedDuringRun",    kPaced,    "",                kRun,    kSpareFirmware, 0.5, 3.0,
     {.during = During::ChoosePort2, .at = 0.5, .extra = OnPortTwo}},
    {"PortChangedInBlockReads", kPlain,    "delay=1.0@9",     kVideo,  kBlockOutcome,  2.0, 8.5,
     {.during = During::ChoosePort2, .at = 0.5, .extra = OnPortTwo}},
    {"PortChangedDuringVideo",  kPlain,    "delay=1.0@8",     kVideo,  kLoopTimeout,   2.0, 4.5,
     {.during = During::ChoosePort2, .at = 0.5, .extra = OnPortTwo}},

    // The main panel closed during a loop: the port closes, the loop ends (a Video cycle after
    // its pending waits), and so does the program.
    {"PanelClosedDuringRun",    kPaced,    "",                kRun,    "Line Ok!",     0.5, 2.0,
     {.during = During::ClosePanel, .at = 0.5, .extra = PortOneClosed}},
    {"PanelClosedInVideoWait",  kPlain,    "delay=1.0@8",     kVideo,  kLoopTimeout,   1.5, 3.5,
     {.during = During::ClosePanel, .at = 0.5, .idle = true, .extra = PortOneClosed}},
    {"PanelClosedInBlockReads", kPlain,    "delay=1.0@9",     kVideo,  kTimeout64,     6.0, 8.5,
     {.during = During::ClosePanel, .at = 0.5, .idle = true, .extra = PortOneClosed}},
};
// clang-format on

using LineFaults = FaultTest;

TEST_P(LineFaults, Row) {
    RunRow(GetParam());
}

INSTANTIATE_TEST_SUITE_P(Table, LineFaults, ::testing::ValuesIn(kRows), RowName);

}  // namespace
}  // namespace systest::faults
