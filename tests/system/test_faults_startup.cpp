// Faults of the line during the start-up identification, and ports that cannot be opened.
#include "fault_suite.h"

namespace systest::faults {
namespace {

constexpr const char* kFirmware = "TAVRIX-DIDOR SIM V1.52";
constexpr const char* kNoVersion = "Error reading firmware-info!";
constexpr const char* kNoPort =
    "No serial port found - plug the adapter in, or choose another port";
constexpr const char* kPortBusy =
    "Cannot open port - another program holds it: close that program, or choose another port";
constexpr const char* kNoRight =
    "No permission to open the port - join the dialout group (sudo "
    "usermod -aG dialout $USER), then log in again";
constexpr Exchange kStartUp = Exchange::StartUp;

// clang-format off
const Row kRows[] = {
    // name                       port 1       fault               exchange  status      seconds
    {"SilentSensor",               kPlain,      "silent",           kStartUp, kTimeout,   1.5, 3.5},
    {"SilentOnFirmwareText",       kPlain,      "silent@7",         kStartUp, kNoVersion, 2.0, 4.0},
    {"LineCheckAnsweredAt1s4",     kPlain,      "delay=1.4@5",      kStartUp, kFirmware,  1.4, 3.5},
    {"LineCheckAnsweredAt1s6",     kPlain,      "delay=1.6@5",      kStartUp, kTimeout,   1.5, 3.5},
    {"GarbageBeforeLineCheck",     kPlain,      "garbage=5@5",      kStartUp, kFirmware,  0.0, 1.5},
    {"WrongSyncWord",              kPlain,      "wrong-sync",       kStartUp, kNotInSync, 0.0, 1.5},
    {"WrongEchoOnHardwareProfile", kPlain,      "wrong-echo=11@10", kStartUp, kFirmware,  1.5, 2.5},
    {"MissingPort",                "missing",   "",                 kStartUp, kNoPort,    0.0, 1.5},
    {"BusyPort",                   "busy",      "",                 kStartUp, kPortBusy,  0.0, 1.5},
    {"ForbiddenPort",              "forbidden", "",                 kStartUp, kNoRight,   0.0, 1.5},
};
// clang-format on

INSTANTIATE_TEST_SUITE_P(StartUp, FaultTest, ::testing::ValuesIn(kRows), RowName);

}  // namespace
}  // namespace systest::faults
