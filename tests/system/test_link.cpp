// The sensor link seen from the program: line-image block reads, the hardware profile and a line
// that hangs up while an exchange waits.
#include <qcustomplot.h>

#include "com232.h"
#include "gui.h"
#include "harness.h"
#include "options.h"
#include "panel_ids.h"

namespace systest {
namespace {

using Link = ProgramTest;

// Words that did not arrive keep the previous cycle's samples, never older receive-buffer bytes.
TEST_F(Link, ShortBlockTimesOutAndKeepsThePreviousSamples) {
    StartSensor("--baud 19200 --fault short-block=100@9");
    StartProgram();
    p().szReadBuf.fill(0xAB);
    p().adcbuf.fill(0x0123);
    const double t0 = Now();
    ReadData64(p(), 0, 0);
    EXPECT_GT(Now() - t0, 1.5);
    EXPECT_EQ(Status(), "Timeout-RS-232 while reading 64 data-words!");
    EXPECT_EQ(p().nBytesR, 100);
    const auto image = sensor().CurrentImage();
    for (int i = 0; i < 50; ++i)
        EXPECT_EQ(p().adcbuf[i], image[i]) << i;
    for (int i = 50; i < 64; ++i)
        EXPECT_EQ(p().adcbuf[i], 0x0123) << i;
}

TEST_F(Link, WholeBlockAcceptedAtOnePointFourSecondsNotAtOnePointSix) {
    struct Case {
        const char* delay;
        const char* status;
    };
    // The 512 bytes take 0.27 s on the line after the delay: complete at 1.39 s and 1.59 s.
    const Case cases[] = {{"1.1", "Data[256] block received!"},
                          {"1.3", "Timeout-RS-232 while reading 256 data-words!"}};
    for (const auto& c : cases) {
        StartSensor(std::string("--baud 19200 --board 400 --fault delay=") + c.delay + "@11");
        StartProgram();
        ReadData256(p());
        EXPECT_EQ(Status(), c.status) << c.delay;
        TearDown();
        started_ = false;
    }
}

struct ProfileCase {
    const char* options;
    u16 pixE, yAxisMax;
    double xStep;
};

class Profile : public ProgramTest, public ::testing::WithParamInterface<ProfileCase> {};

TEST_P(Profile, AppliesSensorAndBoardType) {
    const ProfileCase c = GetParam();
    StartSensor(std::string("--baud 19200 ") + c.options);
    StartProgram();
    EXPECT_EQ(p().pixB, 1);
    EXPECT_EQ(p().pixE, c.pixE);
    EXPECT_EQ(p().YAXISMAX, c.yAxisMax);
    EXPECT_EQ(p().xArray8[1], c.xStep);
}

INSTANTIATE_TEST_SUITE_P(
    Link, Profile,
    ::testing::Values(ProfileCase{"--sensor 104 --board 100 --subpixel 8192", 12288, 1024, 32},
                      ProfileCase{"--sensor 102 --softversion 221 --subpixel 2360", 768, 256, 10},
                      ProfileCase{"--sensor 2 --resolution 250 --softversion 220", 1024, 256, 4},
                      ProfileCase{"--sensor 103 --pix-end 900 --subpixel 999", 900, 1024, 1},
                      ProfileCase{"--sensor 77", 1024, 1024, 4}));

TEST_F(Link, UnknownPixelCountBecomes256AndScalesTheStripChart) {
    StartSensor("--baud 19200 --sensor 3 --maxpixel 1000");
    StartProgram();
    EXPECT_EQ(p().ccdmaxpixel, 256);
    EXPECT_EQ(p().pixE, 512);
    auto* strip = CtrlAs<QCustomPlot>(ui::STRIPRaw);
    EXPECT_EQ(strip->yAxis->range().upper, 256);
}

TEST_F(Link, BoardDimmingCarriesOverToTheNextSensor) {
    StartSensor("--baud 19200 --board 400");
    StartProgram();
    EXPECT_TRUE(Dimmed(ui::NUMPMode));
    EXPECT_TRUE(Dimmed(ui::CTRLAnaOutput));

    sim::ServerOptions unpaced;
    unpaced.baud = 19200;
    sim::PtyServer second(sim::ParseOptionString("--board 100").options.sensor, unpaced);
    ASSERT_TRUE(second.Start());
    setenv("TAVRIX_COM2", second.slavePath().c_str(), 1);
    p().rs.CloseCom(p().com);
    p().com = 2;
    InitRS232(p(), p().com);
    EXPECT_EQ(p().pcbtype, 100);
    EXPECT_FALSE(Dimmed(ui::NUMAnaMode));
    EXPECT_FALSE(Dimmed(ui::CTRLAnaOutput));
    EXPECT_TRUE(Dimmed(ui::NUMPMode));  // only a board 400 touches it
}

// Only an answer that echoes the profile request is a profile; board 100's factor applies once,
// to the sensor type's own range, and saturates.
TEST_F(Link, ProfileComesOnlyFromItsOwnAnswerAndNeverWraps) {
    StartSensor("--baud 19200 --board 400 --subpixel 8192 --fault wrong-echo=11@10");
    StartProgram();
    EXPECT_EQ(p().pcbtype, 0);
    EXPECT_EQ(p().ccdsubpixel, 0);
    EXPECT_FALSE(Dimmed(ui::NUMPMode));

    StartSensor("--baud 19200 --sensor 2 --resolution 750 --board 100");
    InitRS232(p(), p().com);
    EXPECT_EQ(p().pixE, 8192);
    InitRS232(p(), p().com);  // the same port chosen again
    EXPECT_EQ(p().pixE, 8192);

    StartSensor("--baud 19200 --sensor 103 --pix-end 9000 --board 100");
    InitRS232(p(), p().com);
    EXPECT_EQ(p().pixE, 65535);
}

}  // namespace
}  // namespace systest
