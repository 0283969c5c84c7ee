// Faults of the line during the start-up identification, and ports that cannot be opened.
#include "test_faults_suite.h"

namespace systest::faults {
namespace {

constexpr const char* kFirmware = "TAVRIX-DIDOR SIM V1.52";

void OnlyLineCheckSent(const Probe& probe) {
    ASSERT_NE(probe.sensor, nullptr);
    EXPECT_EQ(probe.sensor->RequestCount(), 1);
}

void ProfileNotApplied(const Probe& probe) {
    EXPECT_EQ(probe.p.pcbtype, 0);
    EXPECT_EQ(probe.p.xArray8[1], 0.0);
}

// The board type of a wrong-echo answer is stored (it chose the plain version text), the rest of
// the profile is not applied.
void WrongEchoKeepsBoardTypeOnly(const Probe& probe) {
    EXPECT_EQ(probe.p.pcbtype, 400);
    EXPECT_EQ(probe.p.xArray8[1], 0.0);
    int dimmed = -1;
    probe.p.rt.GetCtrlAttribute(probe.p.pHandle, ui::NUMPMode, platform::ATTR_DIMMED, dimmed);
    EXPECT_EQ(dimmed, 0);
}

constexpr const char* kPlain = "--baud 0";
constexpr const char* kTimeout = "Timeout-RS-232...";
constexpr const char* kNotInSync = "read error - not sync byte 0xAA!";
constexpr const char* kNoFirmware = "Error reading firmware-info!";
constexpr Exchange kStartUp = Exchange::StartUp;
constexpr Params kNoRecord = Params::StartValues;

// clang-format off
const Row kRows[] = {
    // name                        port 1 sensor  fault           exchange  status       seconds
    {"SilentSensor",               kPlain, "silent",              kStartUp, kTimeout,    1.5, 3.5,
     {.params = kNoRecord, .idle = true, .extra = OnlyLineCheckSent}},
    {"SilentOnHardwareProfile",    kPlain, "silent@10",           kStartUp, kFirmware,   1.5, 3.5,
     {.extra = ProfileNotApplied}},
    {"SilentOnRecordRead",         kPlain, "silent@2",            kStartUp, kFirmware,   1.5, 3.5,
     {.params = kNoRecord}},
    {"SilentOnFirmwareText",       kPlain, "silent@7",            kStartUp, kNoFirmware, 2.0, 4.0,
     {.idle = true}},
    {"LineCheckAnsweredAt1s4",     kPlain, "delay=1.4@5",         kStartUp, kFirmware,   1.4, 3.5},
    {"LineCheckAnsweredAt1s6",     kPlain, "delay=1.6@5",         kStartUp, kTimeout,    1.5, 3.5,
     {.params = kNoRecord}},
    {"FirmwareTextAt1s9",          kPlain, "delay=1.9@7",         kStartUp, kFirmware,   1.9, 4.0},
    {"FirmwareTextAt2s1",          kPlain, "delay=2.1@7",         kStartUp, kNoFirmware, 2.0, 4.0},
    {"ShortLineCheckFrame",        kPlain, "short-frame=30@5",    kStartUp, kTimeout,    1.5, 3.5,
     {.params = kNoRecord, .idle = true}},
    // Stray bytes before the answer: the frame behind them is brought back in step.
    {"GarbageBeforeLineCheck",     kPlain, "garbage=5@5",         kStartUp, kFirmware,   0.0, 1.5},
    {"WrongSyncWord",              kPlain, "wrong-sync",          kStartUp, kNotInSync,  0.0, 1.5,
     {.params = kNoRecord}},
    {"WrongEchoOnHardwareProfile", "--baud 0 --board 400 --subpixel 8192", "wrong-echo=11@10",
                                                                  kStartUp, kFirmware,   0.0, 2.0,
     {.extra = WrongEchoKeepsBoardTypeOnly}},
    {"ShortFirmwareText",          kPlain, "short-block=50@7",    kStartUp, kNoFirmware, 2.0, 4.0,
     {.idle = true}},
    {"MissingPort",                "missing", "",                 kStartUp, "No serial port found",
                                                                                         0.0, 1.5,
     {.params = kNoRecord}},
    {"BusyPort",                   "busy", "",                    kStartUp, "Cannot open port",
                                                                                         0.0, 1.5,
     {.params = kNoRecord}},
};
// clang-format on

using StartUpFaults = FaultTest;

TEST_P(StartUpFaults, Row) {
    RunRow(GetParam());
}

INSTANTIATE_TEST_SUITE_P(Table, StartUpFaults, ::testing::ValuesIn(kRows), RowName);

}  // namespace
}  // namespace systest::faults
