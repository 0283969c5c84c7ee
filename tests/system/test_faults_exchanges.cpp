// Faults of the line in the exchanges after start-up: Get, Teach, Reset, Run, Video and the
// line-image block reads.
#include "fault_suite.h"

namespace systest::faults {
namespace {

constexpr const char* kTimeout64 = "Timeout-RS-232 while reading 64 data-words!";
constexpr const char* kTimeout256 = "Timeout-RS-232 while reading 256 data-words!";
constexpr const char* kBlock64 = "Data[64] block received!";
constexpr Exchange kGet = Exchange::Get;
constexpr Exchange kTeach = Exchange::Teach;
constexpr Exchange kReset = Exchange::Reset;
constexpr Exchange kRun = Exchange::Run;
constexpr Exchange kVideo = Exchange::Video;
constexpr Exchange kSend = Exchange::Send;
constexpr During kStop = During::Stop;  // at 0.3 s the first Video cycle still reads its blocks

// clang-format off
const Row kRows[] = {
    // name                   port 1     fault                 exchange status        seconds
    {"SilentGet",             kPlain,    "silent",             kGet,    kTimeout,     1.5, 3.5},
    {"SilentTeach",           kPlain,    "silent",             kTeach,  kTimeout,     1.5, 3.5},
    {"SilentSend",            kPlain,    "silent",             kSend,   kTimeout,     1.5, 3.5},
    {"SilentReset",           kPlain,    "silent",             kReset,  kTimeout,     1.5, 3.5},
    {"SilentRun",             kPlain,    "silent",             kRun,    kLoopTimeout, 1.5, 3.5},
    {"SilentVideo",           kPlain,    "silent@8",           kVideo,  kLoopTimeout, 1.5, 3.5},
    {"Silent256WordBlock",    kBoard400, "silent@11",          kVideo,  kTimeout256,  1.5, 3.5,
     kStop, 0.3},
    {"RunAnsweredAt1s4",      kPlain,    "delay=1.4@8",        kRun,    kLineOk,      2.0, 4.0,
     kStop, 2.0},
    {"RunAnsweredAt1s6",      kPlain,    "delay=1.6@8",        kRun,    kLoopTimeout, 1.5, 3.5},
    {"ShortFrameOnGet",       kPlain,    "short-frame=30@2",   kGet,    kTimeout,     1.5, 3.5},
    {"TrailingFrameOnGet",    kPlain,    "trailing=40@2",      kGet,    kRecordRead,  0.0, 1.0},
    {"GarbageBeforePacedRun", kPaced,    "garbage=3@8",        kRun,    kLineOk,      1.0, 2.5,
     kStop, 1.0},
    {"Short64WordBlocks",     kPlain,    "short-block=100@9",  kVideo,  kTimeout64,   6.0, 8.5,
     kStop, 0.3},
    {"Short256WordBlock",     kBoard400, "short-block=400@11", kVideo,  kTimeout256,  1.5, 3.5,
     kStop, 0.3},
    {"TwiceDuringRun",        kPlain,    "twice",              kRun,    kTwice,       1.0, 2.5,
     kStop, 1.0},
    {"TwiceDuringVideo",      kPlain,    "twice",              kVideo,  kBlock64,     1.0, 2.5,
     kStop, 1.0},
    // Other exchanges inside a running loop take their own answers; the loop goes on.
    {"GetDuringRun",          kPlain,    "",                   kRun,    kRecordRead,  1.2, 3.5,
     During::Get, 0.3},
    {"TeachDuringRun",        kPlain,    "",                   kRun,    kRecordRead,  1.2, 3.5,
     During::Teach, 0.3},
    {"ResetDuringRun",        kPlain,    "",                   kRun,    kResetOk,     1.2, 3.5,
     During::Reset, 0.3},
    {"SendDuringRun",         kPlain,    "",                   kRun,    kLineOk,      1.2, 3.5,
     During::Send, 0.3},
    {"GetDuringVideo",        kPlain,    "",                   kVideo,  kRecordRead,  1.2, 3.5,
     During::Get, 0.5},
    {"TeachDuringVideo",      kPlain,    "",                   kVideo,  kRecordRead,  1.2, 3.5,
     During::Teach, 0.5},
    {"ResetDuringVideo",      kPlain,    "",                   kVideo,  kResetOk,     1.2, 3.5,
     During::Reset, 0.5},
    {"SendDuringVideo",       kPlain,    "",                   kVideo,  kLineOk,      1.2, 3.5,
     During::Send, 0.5},
};
// clang-format on

INSTANTIATE_TEST_SUITE_P(Exchanges, FaultTest, ::testing::ValuesIn(kRows), RowName);

}  // namespace
}  // namespace systest::faults
