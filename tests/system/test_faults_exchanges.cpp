// Faults of the line in the exchanges after start-up: Get, Teach, Reset, Run, Video and the
// line-image block reads.
#include "test_faults_suite.h"

namespace systest::faults {
namespace {

constexpr const char* kPlain = "--baud 0";
constexpr const char* kPaced = "--baud 19200";
constexpr const char* kBoard400 = "--baud 0 --board 400";
constexpr const char* kTimeout = "Timeout-RS-232...";
constexpr const char* kLoopTimeout = "Timeout RS232-Line!";
constexpr const char* kTimeout64 = "Timeout-RS-232 while reading 64 data-words!";
constexpr const char* kTimeout256 = "Timeout-RS-232 while reading 256 data-words!";
constexpr const char* kTaught = "New setpoint value teached!";
constexpr Exchange kGet = Exchange::Get;
constexpr Exchange kTeach = Exchange::Teach;
constexpr Exchange kReset = Exchange::Reset;
constexpr Exchange kRun = Exchange::Run;
constexpr Exchange kVideo = Exchange::Video;
// Stop early in the first Video cycle: the cycle still reads its blocks, each to its end.
constexpr More kStopFirstCycle = {.during = During::Stop, .at = 0.3};
constexpr More kStopFirstCycleIdle = {.during = During::Stop, .at = 0.3, .idle = true};
constexpr More kStopAt1s = {.during = During::Stop, .at = 1.0};

// clang-format off
const Row kRows[] = {
    // name                     port 1 sensor  fault              exchange status      seconds
    // A sensor that stops answering, in each exchange.
    {"SilentGet",               kPlain,    "silent",              kGet,    kTimeout,     1.5, 3.5,
     {.idle = true}},
    {"SilentTeach",             kPlain,    "silent",              kTeach,  kTaught,      1.5, 3.5,
     {.idle = true}},
    {"TeachReadBackSilent",     kPlain,    "silent@2",            kTeach,  kTimeout,     1.5, 3.5},
    {"SilentReset",             kPlain,    "silent",              kReset,  kTimeout,     1.5, 3.5,
     {.idle = true}},
    {"SilentRun",               kPlain,    "silent",              kRun,    kLoopTimeout, 1.5, 3.5,
     {.idle = true}},
    {"SilentVideoMeasurement",  kPlain,    "silent@8",            kVideo,  kLoopTimeout, 1.5, 3.5,
     {.idle = true}},
    {"Silent64WordBlocks",      kPlain,    "silent@9",            kVideo,  kTimeout64,   6.0, 8.5,
     kStopFirstCycleIdle},
    {"Silent256WordBlock",      kBoard400, "silent@11",           kVideo,  kTimeout256,  1.5, 3.5,
     kStopFirstCycleIdle},

    // Answers just inside and just outside the 1.5 s time-out.
    {"GetAnsweredAt1s4",        kPlain,    "delay=1.4@2",         kGet,    kRecordRead,  1.4, 3.0},
    {"GetAnsweredAt1s6",        kPlain,    "delay=1.6@2",         kGet,    kTimeout,     1.5, 3.5},
    {"RunAnsweredAt1s4",        kPlain,    "delay=1.4@8",         kRun,    "Line Ok!",   2.0, 4.0,
     {.during = During::Stop, .at = 2.0}},
    {"RunAnsweredAt1s6",        kPlain,    "delay=1.6@8",         kRun,    kLoopTimeout, 1.5, 3.5},
    {"Block256At1s4",           kBoard400, "delay=1.4@11",        kVideo,  "Data[256] block received!",
                                                                                         1.4, 3.5,
     kStopFirstCycle},
    {"Block256At1s6",           kBoard400, "delay=1.6@11",        kVideo,  kTimeout256,  1.5, 3.5,
     kStopFirstCycle},

    // Frames cut short, followed by stray bytes, or preceded by them.
    {"ShortFrameOnGet",         kPlain,    "short-frame=30@2",    kGet,    kTimeout,     1.5, 3.5,
     {.idle = true}},
    {"ShortFrameOnRun",         kPlain,    "short-frame=30@8",    kRun,    kLoopTimeout, 1.5, 3.5},
    {"TrailingBytesOnGet",      kPlain,    "trailing=8@2",        kGet,    kRecordRead,  0.0, 1.0},
    {"TrailingFrameOnGet",      kPlain,    "trailing=40@2",       kGet,    kRecordRead,  0.0, 1.0},
    // On a paced line stray bytes come after the answer was taken in and push the next frame
    // out of step: the receive callback finds its sync word and brings it back in step.
    {"TrailingBytesOnPacedRun", kPaced,    "trailing=8@8",        kRun,    "Line Ok!",   1.0, 2.5,
     kStopAt1s},
    {"GarbageBeforePacedRun",   kPaced,    "garbage=3@8",         kRun,    "Line Ok!",   1.0, 2.5,
     kStopAt1s},
    {"GarbageBeforeGetAnswer",  kPlain,    "garbage=4@2",         kGet,    kRecordRead,  0.0, 1.0},
    // A frame with a wrong sync word is no parameter record: Get waits on.
    {"WrongSyncOnGet",          kPlain,    "wrong-sync@2",        kGet,    kTimeout,     1.5, 3.5},

    // Line-image blocks cut short: each block waits for its time-out.
    {"Short64WordBlocks",       kPlain,    "short-block=100@9",   kVideo,  kTimeout64,   6.0, 8.5,
     kStopFirstCycle},
    {"Short256WordBlock",       kBoard400, "short-block=400@11",  kVideo,  kTimeout256,  1.5, 3.5,
     kStopFirstCycle},
};
// clang-format on

using ExchangeFaults = FaultTest;

TEST_P(ExchangeFaults, Row) {
    RunRow(GetParam());
}

INSTANTIATE_TEST_SUITE_P(Table, ExchangeFaults, ::testing::ValuesIn(kRows), RowName);

}  // namespace
}  // namespace systest::faults
