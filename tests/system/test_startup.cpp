// Start-up: identification of the sensor in the right order, the profile applied, the firmware
// text shown, and every way the line can fail at start-up.
#include "com232.h"
#include "harness.h"
#include "panel_ids.h"

namespace systest {
namespace {

using StartUp = ProgramTest;

TEST_F(StartUp, IdentifiesSensorInOrderWithPausesAndShowsFirmwareText) {
    StartSensor("--baud 19200 --firmware V1.52-board0 --sensor 1 --subpixel 8192 --pix-end 1024");
    StartProgram();
    const auto log = sensor().Log();
    ASSERT_EQ(RequestCodes(), (std::vector<int>{LINE_CHECK, GET_HARDWARE, GET_RAM, GET_VERSION}));
    for (size_t i = 2; i < log.size(); ++i)
        EXPECT_GE(log[i].time - log[i - 1].time, 0.095) << "pause before request " << i;

    // Line check and parameter read carry the packed panel values; the profile and version
    // requests carry pp as the previous answer left it.
    State panel;
    panel.power = 500, panel.vThd = 512, panel.polarity = 1, panel.eMode = 1, panel.eBeg = 1;
    panel.eEnd = 1024, panel.tVal = 512, panel.tTol = 100, panel.hwMode = 1;
    panel.corrX1024 = 1024;
    CopyVarsToPP(panel);
    const std::vector<u16> packed(panel.pp.begin(), panel.pp.end());
    EXPECT_EQ(testsupport::PayloadWords(log[0].bytes.data()), packed);
    EXPECT_EQ(testsupport::PayloadWords(log[1].bytes.data()), packed);  // the line check's echo
    EXPECT_EQ(testsupport::PayloadWords(log[2].bytes.data()), packed);
    const auto ram = sensor().Ram();
    EXPECT_EQ(testsupport::PayloadWords(log[3].bytes.data()),
              std::vector<u16>(ram.begin(), ram.end()));

    EXPECT_EQ(Status(), "V1.52-board0");
    EXPECT_EQ(p().szVersion, "V1.52-board0");
    EXPECT_EQ(p().ccdsubpixel, 8192);
    EXPECT_EQ(p().xArray8[2], 64.0);
    EXPECT_EQ(p().para12, ram[12]);
    EXPECT_EQ(p().para13, ram[13]);
}

TEST_F(StartUp, PlainFirmwareTextOnOtherBoards) {
    StartSensor("--baud 19200 --board 400 --firmware PlainText-400");
    StartProgram();
    EXPECT_EQ(Status(), "PlainText-400");
    EXPECT_EQ(p().szVersion, "");
    EXPECT_TRUE(Dimmed(ui::NUMPMode));
    EXPECT_TRUE(Dimmed(ui::NUMAnaMode));
}

}  // namespace
}  // namespace systest
