// The link on every kind of line: a sensor whose clock runs fast or slow and that answers at
// once, a line that moves bytes faster than its baud rate, one that hands bytes over in bursts; a
// sensor that repeats its measurement answers, answers that come late, blocks that begin like an
// answer, and two waits for answers of the same code.
#include "fault_suite.h"

namespace systest::faults {
namespace {

constexpr const char* kFast = "--baud 20160";  // the sensor's clock 5 % fast
constexpr const char* kSlow = "--baud 18240";  // 5 % slow
constexpr const char* kUnpaced = "--baud 0";
constexpr const char* kBursts = "--baud 19200 --burst 16";  // a USB adapter's latency timer
constexpr const char* kBlock64 = "Data[64] block received!";
constexpr const char* kBlock256 = "Data[256] block received!";
constexpr Exchange kWalk = Exchange::Walk;
constexpr Exchange kRun = Exchange::Run;
constexpr Exchange kVideo = Exchange::Video;
constexpr During kStop = During::Stop;
constexpr During kGetIn = During::Get;

// clang-format off
const Row kRows[] = {
    // name                     port 1      fault                 exchange status     seconds
    {"WalkFastSensor",          kFast,      "",                   kWalk,   kWalked,   2.5, 8.0},
    {"WalkSlowSensor",          kSlow,      "",                   kWalk,   kWalked,   2.5, 8.0},
    {"WalkUnpacedLine",         kUnpaced,   "",                   kWalk,   kWalked,   2.5, 8.0},
    {"WalkBurstingLine",        kBursts,    "",                   kWalk,   kWalked,   2.5, 8.0},
    {"WalkStrayBytesUnpaced",   kUnpaced,   "trailing=5",         kWalk,   kWalked,   2.5, 8.0},
    {"RunTwicePaced",           kPaced,     "twice@8",            kRun,    kTwice,    1.0, 2.5, kStop, 1.0},
    {"RunTwiceBursting",        kBursts,    "twice@8",            kRun,    kTwice,    1.0, 2.5, kStop, 1.0},
    {"RunTwiceUnpaced",         kUnpaced,   "twice@8",            kRun,    kTwice,    1.0, 2.5, kStop, 1.0},
    {"VideoTwicePaced",         kPaced,     "twice@8",            kVideo,  kBlock64,  1.0, 2.5, kStop, 1.0},
    {"VideoTwiceBursting",      kBursts,    "twice@8",            kVideo,  kBlock64,  1.0, 2.5, kStop, 1.0},
    {"VideoTwiceUnpaced",       kUnpaced,   "twice@8",            kVideo,  kBlock64,  1.0, 2.5, kStop, 1.0},
    {"GetInRunTwicePaced",      kPaced,     "twice@8",            kRun,    kRecordRead, 1.2, 3.5, kGetIn, 0.3},
    {"GetInRunTwiceBursting",   kBursts,    "twice@8",            kRun,    kRecordRead, 1.2, 3.5, kGetIn, 0.3},
    {"GetInRunTwiceUnpaced",    kUnpaced,   "twice@8",            kRun,    kRecordRead, 1.2, 3.5, kGetIn, 0.3},
    // A sensor that starts repeating in the middle of the loop: caught at once, with at most one
    // measurement taken twice.
    {"RunStartsTwicePaced",     kPaced,     "twice=10@8",         kRun,    kTwice,    1.0, 2.5, kStop, 1.0},
    {"RunStartsTwiceBursting",  kBursts,    "twice=10@8",         kRun,    kTwice,    1.0, 2.5, kStop, 1.0},
    {"RunStartsTwiceUnpaced",   kUnpaced,   "twice=10@8",         kRun,    kTwice,    1.0, 2.5, kStop, 1.0},
    {"VideoStartsTwicePaced",   kPaced,     "twice=2@8",          kVideo,  kBlock64,  1.0, 2.5, kStop, 1.0},
    // Late: the first answer of its code after 1.6 s; then Run again, in step and at full rate.
    {"LateRunAnswer",           kPaced,     "delay-first=1.6@8",  kRun,    kLoopTimeout, 1.5, 3.5},
    {"LateBlock",               kBoard400,  "delay-first=1.6@11", kVideo,  kBlock256, 2.5, 4.5, kStop, 3.0},
    {"LateFirstOfFourBlocks",   kPaced,     "delay-first=1.6@9",  kVideo,  kBlock64,  2.5, 4.5, kStop, 3.0},
    {"BlocksStartWith170And8",  "--baud 19200 --block-start 170,8", "", kVideo, kBlock64, 1.0, 2.5, kStop, 1.0},
    // Two waits for the same code, answered in one burst: each takes its own answer.
    {"SecondSendWhileFirstWaits", kUnpaced, "delay-first=0.3@1",  Exchange::Send, kLineOk, 0.2, 1.5,
     During::Send, 0.1, kLineOk},
    {"CompareDuringGet",        kUnpaced,   "delay-first=0.3@2",  Exchange::Get, kCompared, 0.2, 1.5,
     During::Compare, 0.1, kRecordRead},
};
// clang-format on

INSTANTIATE_TEST_SUITE_P(Link, FaultTest, ::testing::ValuesIn(kRows), RowName);

}  // namespace
}  // namespace systest::faults
