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

const Row kRows[] = {
    {.name = "SilentSensor",
     .sensor = "--baud 0",
     .fault = "silent",
     .exchange = Exchange::StartUp,
     .status = "Timeout-RS-232...",
     .minSeconds = 1.5,
     .maxSeconds = 3.5,
     .params = Params::StartValues,
     .idle = true,
     .extra = OnlyLineCheckSent},
    {.name = "SilentOnHardwareProfile",
     .sensor = "--baud 0",
     .fault = "silent@10",
     .exchange = Exchange::StartUp,
     .status = kFirmware,
     .minSeconds = 1.5,
     .maxSeconds = 3.5,
     .extra = ProfileNotApplied},
    {.name = "SilentOnRecordRead",
     .sensor = "--baud 0",
     .fault = "silent@2",
     .exchange = Exchange::StartUp,
     .status = kFirmware,
     .minSeconds = 1.5,
     .maxSeconds = 3.5,
     .params = Params::StartValues},
    {.name = "SilentOnFirmwareText",
     .sensor = "--baud 0",
     .fault = "silent@7",
     .exchange = Exchange::StartUp,
     .status = "Error reading firmware-info!",
     .minSeconds = 2.0,
     .maxSeconds = 4.0},
    {.name = "LineCheckAnsweredAt1s4",
     .sensor = "--baud 0",
     .fault = "delay=1.4@5",
     .exchange = Exchange::StartUp,
     .status = kFirmware,
     .minSeconds = 1.4,
     .maxSeconds = 3.5},
    {.name = "LineCheckAnsweredAt1s6",
     .sensor = "--baud 0",
     .fault = "delay=1.6@5",
     .exchange = Exchange::StartUp,
     .status = "Timeout-RS-232...",
     .minSeconds = 1.5,
     .maxSeconds = 3.5,
     .params = Params::StartValues},
    {.name = "FirmwareTextAt1s9",
     .sensor = "--baud 0",
     .fault = "delay=1.9@7",
     .exchange = Exchange::StartUp,
     .status = kFirmware,
     .minSeconds = 1.9,
     .maxSeconds = 4.0},
    {.name = "FirmwareTextAt2s1",
     .sensor = "--baud 0",
     .fault = "delay=2.1@7",
     .exchange = Exchange::StartUp,
     .status = "Error reading firmware-info!",
     .minSeconds = 2.0,
     .maxSeconds = 4.0},
    {.name = "ShortLineCheckFrame",
     .sensor = "--baud 0",
     .fault = "short-frame=30@5",
     .exchange = Exchange::StartUp,
     .status = "Timeout-RS-232...",
     .minSeconds = 1.5,
     .maxSeconds = 3.5,
     .params = Params::StartValues,
     .idle = true},
    {.name = "GarbageBeforeLineCheck",
     .sensor = "--baud 0",
     .fault = "garbage=5@5",
     .exchange = Exchange::StartUp,
     .status = "read error - not sync byte 0xAA!",
     .minSeconds = 0,
     .maxSeconds = 1.5,
     .params = Params::StartValues},
    {.name = "WrongSyncWord",
     .sensor = "--baud 0",
     .fault = "wrong-sync",
     .exchange = Exchange::StartUp,
     .status = "read error - not sync byte 0xAA!",
     .minSeconds = 0,
     .maxSeconds = 1.5,
     .params = Params::StartValues},
    {.name = "WrongEchoOnHardwareProfile",
     .sensor = "--baud 0 --board 400 --subpixel 8192",
     .fault = "wrong-echo=11@10",
     .exchange = Exchange::StartUp,
     .status = kFirmware,
     .minSeconds = 0,
     .maxSeconds = 2.0,
     .extra = WrongEchoKeepsBoardTypeOnly},
    {.name = "ShortFirmwareText",
     .sensor = "--baud 0",
     .fault = "short-block=50@7",
     .exchange = Exchange::StartUp,
     .status = "Error reading firmware-info!",
     .minSeconds = 2.0,
     .maxSeconds = 4.0},
    {.name = "MissingPort",
     .sensor = "missing",
     .fault = "",
     .exchange = Exchange::StartUp,
     .status = "No serial port found",
     .minSeconds = 0,
     .maxSeconds = 1.5,
     .params = Params::StartValues},
    {.name = "BusyPort",
     .sensor = "busy",
     .fault = "",
     .exchange = Exchange::StartUp,
     .status = "Cannot open port",
     .minSeconds = 0,
     .maxSeconds = 1.5,
     .params = Params::StartValues},
};

using StartUpFaults = FaultTest;

TEST_P(StartUpFaults, Row) {
    RunRow(GetParam());
}

INSTANTIATE_TEST_SUITE_P(Table, StartUpFaults, ::testing::ValuesIn(kRows), RowName);

}  // namespace
}  // namespace systest::faults
