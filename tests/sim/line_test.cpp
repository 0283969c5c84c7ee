// The line seen by the simulator: frames from a byte stream, fault shaping of answers, and the
// options that set both up.
#include <gtest/gtest.h>

#include "faults.h"
#include "frame_assembler.h"
#include "options.h"

namespace sim {
namespace {

TEST(FrameAssembler, ResynchronisesAfterGarbage) {
    const Frame a = MakeFrame(kRequestSync, RUN, DefaultRecord());
    const Frame b = MakeFrame(kRequestSync, GET_RAM, {});
    std::vector<std::uint8_t> stream = {0x55, 0x00, 0x12, 0xAA, 0x00};
    stream.insert(stream.end(), a.begin(), a.end());
    stream.insert(stream.end(), {0x00, 0x00, 0x56, 0x01});  // almost a header
    stream.insert(stream.end(), b.begin(), b.end());
    FrameAssembler assembler;
    std::vector<Frame> frames;
    for (std::uint8_t byte : stream) {
        assembler.Feed({&byte, 1});
        while (auto f = assembler.Next())
            frames.push_back(*f);
    }
    EXPECT_EQ(frames, (std::vector<Frame>{a, b}));
    EXPECT_EQ(assembler.discarded(), 9);
    EXPECT_EQ(assembler.pending(), 0u);
}

TEST(FaultInjector, ShapesAnswers) {
    const Frame frame = MakeFrame(kAnswerSync, GET_HARDWARE, {});
    const Answer framed{AnswerKind::FrameAnswer, {frame.begin(), frame.end()}};
    const Answer block{AnswerKind::Raw, std::vector<std::uint8_t>(128, 1)};
    using enum FaultKind;
    // Fault, answer, reply bytes, first byte, echo word of a framed reply (0: not checked).
    // clang-format off
    const std::tuple<Fault, const Answer&, std::size_t, int, int> cases[] = {
        {{Silent}, framed, 0, 0, 0},           {{ShortFrame, 20}, framed, 20, 0x00, 10},
        {{ShortFrame, 20}, block, 128, 1, 0},  {{ShortBlock, 100}, block, 100, 1, 0},
        {{Trailing, 4}, framed, 40, 0x00, 10}, {{Garbage, 3}, framed, 39, 0xC3, 0},
        {{WrongSync}, framed, 36, 0xAA, 10},   {{WrongEcho, 11}, framed, 36, 0x00, 11},
        {{Silent, 0, RUN}, framed, 36, 0x00, 10}};  // other codes untouched
    // clang-format on
    for (const auto& [fault, answer, bytes, first, echo] : cases) {
        const Reply r = FaultInjector({fault}).Apply(GET_HARDWARE, answer);
        const int kind = static_cast<int>(fault.kind);
        ASSERT_EQ(r.bytes.size(), bytes) << kind;
        EXPECT_TRUE(bytes == 0 || r.bytes[0] == first) << kind;
        EXPECT_TRUE(echo == 0 || GetWord(&r.bytes[2]) == echo) << kind;
    }

    const Answer answer{AnswerKind::FrameAnswer, std::vector<std::uint8_t>(36, 0)};
    FaultInjector silentAfter({{SilentAfter, 2, RUN}});
    for (std::uint16_t code : {RUN, GET_RAM, RUN})  // only RUN requests count
        EXPECT_EQ(silentAfter.Apply(code, answer).bytes.size(), 36u);
    EXPECT_EQ(silentAfter.Apply(RUN, answer).bytes.size(), 0u);
    FaultInjector twiceAfter({{Twice, 1, RUN}});  // once, then twice
    EXPECT_EQ(twiceAfter.Apply(RUN, answer).bytes.size(), 36u);
    EXPECT_EQ(twiceAfter.Apply(RUN, answer).bytes.size(), 72u);
    FaultInjector hangUp({{HangUp, 1}});
    EXPECT_FALSE(hangUp.Apply(RUN, answer).hangUp);
    EXPECT_TRUE(hangUp.Apply(RUN, answer).hangUp);
    FaultInjector flood({{Flood, 2.5}, {Delay, 1.6}});
    const Reply first = flood.Apply(RUN, answer), second = flood.Apply(RUN, answer);
    EXPECT_EQ(std::tuple(first.floodSeconds, first.bytes.size()), std::tuple(2.5, 0u));
    EXPECT_EQ(std::tuple(second.floodSeconds, second.delay, second.bytes.size()),
              std::tuple(0.0, 1.6, 36u));  // the flood fires once
}

TEST(Options, DefaultsSettingsAndErrors) {
    EXPECT_EQ(ParseOptions({}).options.baud, 19200);
    const ParsedOptions p = ParseOptionString(
        "--board 400 --sensor=101 --subpixel 8192 --maxpixel 0x400 --firmware 'Line sensor 2' "
        "--baud 0 --fault silent-after=3 --fault delay=1.6@8 --fault hang-up --fault twice "
        "--fault twice=2@8 --log --scene still-bright");
    ASSERT_TRUE(p.ok) << p.error;
    const HardwareProfile& h = p.options.sensor.profile;
    EXPECT_EQ(std::tuple(h.pcbtype, h.ccdtype, h.ccdsubpixel, h.ccdpixE, h.ccdmaxpixel,
                         h.ccdmaxpixelX8, p.options.baud, p.options.log, p.options.sensor.firmware),
              std::tuple(400, 101, 8192, 8192, 1024, 8192, 0, true, "Line sensor 2"));
    const std::vector<Fault> expected = {{FaultKind::SilentAfter, 3, -1},
                                         {FaultKind::Delay, 1.6, 8},
                                         {FaultKind::HangUp, 0, -1},
                                         {FaultKind::Twice, 0, -1},
                                         {FaultKind::Twice, 2, 8}};
    EXPECT_EQ(p.options.faults, expected);
    EXPECT_EQ(p.options.sensor.scene, SceneKind::StillBright);

    for (const char* text :
         {"--board", "--board 70000", "--board -1", "--board 12x", "--colour red", "stray",
          "--fault", "--fault melt", "--fault delay", "--fault delay=-1", "--fault delay=nan",
          "--fault silent=2", "--fault short-frame=x", "--fault twice=x",
          "--fault wrong-sync@99999", "--firmware 'open", "--log=1", "--scene dim"}) {
        const ParsedOptions bad = ParseOptionString(text);
        EXPECT_FALSE(bad.ok) << text;
        EXPECT_FALSE(bad.error.empty()) << text;
    }
}

}  // namespace
}  // namespace sim
