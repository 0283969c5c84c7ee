// The simulator's options: accepted forms and clear errors.
#include <gtest/gtest.h>

#include "options.h"

namespace sim {
namespace {

TEST(Options, ProfileAndLineSettings) {
    const ParsedOptions p = ParseOptionString(
        "--board 400 --sensor=101 --subpixel 8192 --maxpixel 0x400 --firmware 'Line sensor 2' "
        "--baud 0 --fault silent-after=3 --fault delay=1.6@8 --fault hang-up --log");
    ASSERT_TRUE(p.ok) << p.error;
    const HardwareProfile& h = p.options.sensor.profile;
    EXPECT_EQ(h.pcbtype, 400);
    EXPECT_EQ(h.ccdtype, 101);
    EXPECT_EQ(h.ccdsubpixel, 8192);
    EXPECT_EQ(h.ccdpixE, 8192);  // follows the sub-pixel scale
    EXPECT_EQ(h.ccdmaxpixel, 1024);
    EXPECT_EQ(h.ccdmaxpixelX8, 8192);
    EXPECT_EQ(p.options.sensor.firmware, "Line sensor 2");
    EXPECT_EQ(p.options.baud, 0);
    EXPECT_TRUE(p.options.log);
    const std::vector<Fault> expected = {
        {FaultKind::SilentAfter, 3, -1}, {FaultKind::Delay, 1.6, 8}, {FaultKind::HangUp, 0, -1}};
    EXPECT_EQ(p.options.faults, expected);
}

TEST(Options, Defaults) {
    const ParsedOptions p = ParseOptions({});
    ASSERT_TRUE(p.ok);
    EXPECT_EQ(p.options.baud, 19200);
    EXPECT_EQ(p.options.sensor.profile, HardwareProfile{});
    EXPECT_TRUE(p.options.faults.empty());
}

TEST(Options, ErrorsAreReported) {
    const char* const bad[] = {
        "--board",
        "--board 70000",
        "--board -1",
        "--board 12x",
        "--colour red",
        "stray",
        "--fault",
        "--fault melt",
        "--fault delay",
        "--fault delay=-1",
        "--fault delay=nan",
        "--fault silent=2",
        "--fault short-frame=x",
        "--fault wrong-sync@99999",
        "--firmware 'open",
        "--log=1",
    };
    for (const char* text : bad) {
        const ParsedOptions p = ParseOptionString(text);
        EXPECT_FALSE(p.ok) << text;
        EXPECT_FALSE(p.error.empty()) << text;
    }
}

}  // namespace
}  // namespace sim
