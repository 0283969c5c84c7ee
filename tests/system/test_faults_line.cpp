// Faults of the line itself: a flood of bytes, the other end hanging up, ports missing or held by
// another program, the port changed under a running loop and the panel closed during a loop.
#include "fault_suite.h"

namespace systest::faults {
namespace {

constexpr Exchange kGet = Exchange::Get;
constexpr Exchange kRun = Exchange::Run;
constexpr Exchange kVideo = Exchange::Video;
constexpr During kHangUp = During::HangUp;
constexpr During kChoosePort2 = During::ChoosePort2;
constexpr During kClosePanel = During::ClosePanel;

// A flood of 0x55 holds no answer: Run ends by its time-out. A loop whose port goes away ends by
// its time-out (Video after its pending wait).
// clang-format off
const Row kRows[] = {
    // name                    port 1     fault          exchange status          seconds
    {"FloodDuringRun",         kPlain,    "flood=3@8",   kRun,    kLoopTimeout,   1.5, 3.5},
    {"FloodOnGet",             kPlain,    "flood=1@2",   kGet,    kTimeout,       1.5, 3.5},
    {"HangUpDuringRun",        kPaced,    "",            kRun,    kLoopTimeout,   1.8, 4.5,
     kHangUp, 0.5},
    {"HangUpDuringVideo",      kPaced,    "",            kVideo,  kLoopTimeout,   1.8, 10.0,
     kHangUp, 0.5},
    {"RunOnMissingPort",       "missing", "",            kRun,    kLoopTimeout,   1.5, 3.5},
    {"GetOnBusyPort",          "busy",    "",            kGet,    kTimeout,       1.5, 3.5},
    {"PortChangedDuringRun",   kPaced,    "",            kRun,    kSpareFirmware, 0.5, 3.0,
     kChoosePort2, 0.5},
    {"PortChangedDuringVideo", kPlain,    "delay=1.0@8", kVideo,  kLoopTimeout,   1.5, 4.5,
     kChoosePort2, 0.5},
    {"PanelClosedDuringRun",   kPaced,    "",            kRun,    kLineOk,        0.5, 2.0,
     kClosePanel, 0.5},
    {"PanelClosedDuringVideo", kPlain,    "delay=1.0@8", kVideo,  kLoopTimeout,   1.5, 3.5,
     kClosePanel, 0.5},
};
// clang-format on

INSTANTIATE_TEST_SUITE_P(Line, FaultTest, ::testing::ValuesIn(kRows), RowName);

}  // namespace
}  // namespace systest::faults
