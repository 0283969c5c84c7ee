// Frames from a byte stream, and fault shaping of answers.
#include <gtest/gtest.h>

#include "faults.h"
#include "frame_assembler.h"

namespace sim {
namespace {

TEST(FrameAssembler, ResynchronisesAfterGarbage) {
    const Frame a = MakeFrame(kRequestSync, RUN, DefaultRecord());
    const Frame b = MakeFrame(kRequestSync, GET_RAM, {});
    std::vector<std::uint8_t> stream = {0x55, 0x00, 0x12, 0xAA, 0x00};  // junk, then a header
    stream.insert(stream.end(), a.begin(), a.end());
    stream.insert(stream.end(), {0x00, 0x00, 0x56, 0x01});  // junk that almost is a header
    stream.insert(stream.end(), b.begin(), b.end());
    FrameAssembler asm_;
    // Byte by byte, as a slow line delivers them.
    std::vector<Frame> frames;
    for (std::uint8_t byte : stream) {
        asm_.Feed({&byte, 1});
        while (auto f = asm_.Next())
            frames.push_back(*f);
    }
    ASSERT_EQ(frames.size(), 2u);
    EXPECT_EQ(frames[0], a);
    EXPECT_EQ(frames[1], b);
    EXPECT_EQ(asm_.discarded(), 9);
    EXPECT_EQ(asm_.pending(), 0u);
}

TEST(FaultInjector, ShapesAnswers) {
    const Frame frame = MakeFrame(kAnswerSync, GET_HARDWARE, {});
    const Answer framed{AnswerKind::Frame, {frame.begin(), frame.end()}};
    const Answer block{AnswerKind::Raw, std::vector<std::uint8_t>(128, 1)};
    struct Case {
        const char* what;
        Fault fault;
        const Answer& answer;
        std::size_t bytes;
        std::uint8_t first;
        std::uint16_t echo;  // word at bytes 2-3 of a framed reply (0: not checked)
    };
    const Case cases[] = {
        {"silent", {FaultKind::Silent}, framed, 0, 0, 0},
        {"short frame", {FaultKind::ShortFrame, 20}, framed, 20, 0x00, 10},
        {"short frame leaves blocks", {FaultKind::ShortFrame, 20}, block, 128, 1, 0},
        {"short block", {FaultKind::ShortBlock, 100}, block, 100, 1, 0},
        {"trailing", {FaultKind::Trailing, 4}, framed, 40, 0x00, 10},
        {"garbage", {FaultKind::Garbage, 3}, framed, 39, 0xC3, 0},
        {"wrong sync", {FaultKind::WrongSync}, framed, 36, 0xAA, 10},
        {"wrong echo", {FaultKind::WrongEcho, 11}, framed, 36, 0x00, 11},
        {"other code untouched", {FaultKind::Silent, 0, RUN}, framed, 36, 0x00, 10},
    };
    for (const Case& c : cases) {
        FaultInjector inj({c.fault});
        const Reply r = inj.Apply(GET_HARDWARE, c.answer);
        ASSERT_EQ(r.bytes.size(), c.bytes) << c.what;
        if (c.bytes > 0) {
            EXPECT_EQ(r.bytes[0], c.first) << c.what;
        }
        if (c.echo != 0) {
            EXPECT_EQ(GetWord(&r.bytes[2]), c.echo) << c.what;
        }
    }
}

TEST(FaultInjector, CountsRequestsForAfterFaults) {
    const Answer framed{AnswerKind::Frame, std::vector<std::uint8_t>(36, 0)};
    FaultInjector silentAfter({{FaultKind::SilentAfter, 2, RUN}});
    EXPECT_EQ(silentAfter.Apply(RUN, framed).bytes.size(), 36u);
    EXPECT_EQ(silentAfter.Apply(GET_RAM, framed).bytes.size(), 36u);  // not counted
    EXPECT_EQ(silentAfter.Apply(RUN, framed).bytes.size(), 36u);
    EXPECT_EQ(silentAfter.Apply(RUN, framed).bytes.size(), 0u);

    FaultInjector hangUp({{FaultKind::HangUp, 1}});
    EXPECT_FALSE(hangUp.Apply(RUN, framed).hangUp);
    EXPECT_TRUE(hangUp.Apply(RUN, framed).hangUp);

    FaultInjector flood({{FaultKind::Flood, 2.5}, {FaultKind::Delay, 1.6}});
    const Reply first = flood.Apply(RUN, framed);
    EXPECT_EQ(first.floodSeconds, 2.5);
    EXPECT_TRUE(first.bytes.empty());
    const Reply second = flood.Apply(RUN, framed);  // the flood fires once
    EXPECT_EQ(second.floodSeconds, 0);
    EXPECT_EQ(second.delay, 1.6);
    EXPECT_EQ(second.bytes.size(), 36u);
}

}  // namespace
}  // namespace sim
