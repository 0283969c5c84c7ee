// The simulated sensor's answers, per command code.
#include <gtest/gtest.h>

#include "responder.h"

namespace sim {
namespace {

Frame Req(std::uint16_t code, const Words& payload = {}) {
    return MakeFrame(kRequestSync, code, payload);
}

SensorConfig Board(std::uint16_t board) {
    SensorConfig c;
    c.profile.pcbtype = board;
    c.firmware = "V1.52 test";
    return c;
}

TEST(Responder, AnswerShapePerCode) {
    struct Case {
        std::uint16_t board;
        std::uint16_t code;
        bool zeroPayload;
        AnswerKind kind;
        std::size_t bytes;
    };
    const Case cases[] = {
        {0, SEND_RAM, false, AnswerKind::Frame, 36},
        {0, GET_RAM, true, AnswerKind::Frame, 36},
        {0, SEND_EEPROM, false, AnswerKind::Frame, 36},
        {0, GET_EEPROM, true, AnswerKind::Frame, 36},
        {0, LINE_CHECK, false, AnswerKind::Frame, 36},
        {0, TEACH, false, AnswerKind::Frame, 36},
        {0, GET_VERSION, false, AnswerKind::Raw, 72},
        {400, GET_VERSION, false, AnswerKind::Raw, 72},
        {0, RUN, false, AnswerKind::Frame, 36},
        {0, GET_DATA64, true, AnswerKind::Raw, 128},
        {0, GET_HARDWARE, false, AnswerKind::Frame, 36},
        // Code 11: a reset on boards 0 and 100; the 256-word image elsewhere when all zero.
        {0, RESET_MAXMIN, true, AnswerKind::Frame, 36},
        {100, RESET_MAXMIN, true, AnswerKind::Frame, 36},
        {400, RESET_MAXMIN, true, AnswerKind::Raw, 512},
        {400, RESET_MAXMIN, false, AnswerKind::Frame, 36},
        {0, 0, true, AnswerKind::None, 0},
        {0, 12, true, AnswerKind::None, 0},
    };
    for (const Case& c : cases) {
        Responder r(Board(c.board));
        const Answer a = r.Respond(Req(c.code, c.zeroPayload ? Words{} : DefaultRecord()));
        EXPECT_EQ(a.kind, c.kind) << "board " << c.board << " code " << c.code;
        ASSERT_EQ(a.bytes.size(), c.bytes) << "board " << c.board << " code " << c.code;
        if (a.kind == AnswerKind::Frame) {
            EXPECT_EQ(GetWord(&a.bytes[0]), kAnswerSync);
            EXPECT_EQ(GetWord(&a.bytes[2]), c.code);
        }
    }
}

TEST(Responder, RecordsAreStoredAndReadBack) {
    Responder r;
    Words ram = DefaultRecord();
    ram[kPower] = 0xFFFF;
    Words eeprom = DefaultRecord();
    eeprom[kTTol] = 42;
    r.Respond(Req(SEND_RAM, ram));
    EXPECT_EQ(r.ram(), ram);
    EXPECT_EQ(r.eeprom(), DefaultRecord());
    r.Respond(Req(SEND_EEPROM, eeprom));
    EXPECT_EQ(r.eeprom(), eeprom);
    EXPECT_EQ(r.ram(), eeprom);
    const Answer a = r.Respond(Req(GET_EEPROM));
    EXPECT_EQ(PayloadOf(std::span<const std::uint8_t, 36>(a.bytes.data(), 36)), eeprom);
    EXPECT_NE(DefaultRecord()[kPara12], 0);
    EXPECT_NE(DefaultRecord()[kPara13], 0);
}

TEST(Responder, VersionTextByBoardType) {
    Responder word(Board(0));
    const Answer w = word.Respond(Req(GET_VERSION));
    EXPECT_EQ(w.bytes[0], 0);
    EXPECT_EQ(w.bytes[1], 'V');
    EXPECT_EQ(w.bytes[3], '1');
    EXPECT_EQ(w.bytes[2 * 10 + 1], 0);  // "V1.52 test" has 10 characters
    Responder plain(Board(400));
    const Answer p = plain.Respond(Req(GET_VERSION));
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(p.bytes.data())), "V1.52 test");
}

TEST(Responder, HardwareProfileWords) {
    SensorConfig c;
    c.profile = {102, 768, 350, 100, 6144, 2048, 1536, 221};
    Responder r(c);
    const Answer a = r.Respond(Req(GET_HARDWARE));
    const std::uint16_t expected[] = {102, 768, 350, 100, 6144, 2048, 0, 1536, 221};
    for (int i = 0; i < 9; ++i)
        EXPECT_EQ(GetWord(&a.bytes[4 + 2 * i]), expected[i]) << i;
}

TEST(Responder, TeachTakesTheMeasuredValueAndResetRestartsMaxMin) {
    Responder r;
    for (int i = 0; i < 50; ++i)
        r.Respond(Req(RUN));
    const Words last = r.lastRun();
    EXPECT_GT(last[kAnaMax], last[kAnaMin]);  // the object moved
    const Answer t = r.Respond(Req(TEACH));
    EXPECT_EQ(r.ram()[kTVal], last[kMvalue]);
    EXPECT_EQ(GetWord(&t.bytes[4 + 2 * kTVal]), last[kMvalue]);
    r.Respond(Req(RESET_MAXMIN));
    r.Respond(Req(RUN));
    EXPECT_EQ(r.lastRun()[kAnaMax], r.lastRun()[kMvalue]);
    EXPECT_EQ(r.lastRun()[kAnaMin], r.lastRun()[kMvalue]);
}

TEST(Responder, ImageBlocksFollowTheOffset) {
    Responder r;
    r.Respond(Req(RUN));
    for (std::uint16_t offset : {0, 64, 128, 192, 250}) {
        const Answer a = r.Respond(Req(GET_DATA64, Words{offset, offset == 192}));
        for (int i = 0; i < kBlockWords; ++i) {
            const std::uint16_t expected = offset + i < kImageSamples ? r.image()[offset + i] : 0;
            ASSERT_EQ(GetWord(&a.bytes[2 * i]), expected) << offset << "+" << i;
        }
    }
}

TEST(Responder, EveryRequestIsLogged) {
    Responder r;
    r.SetLogLimit(2);
    r.Respond(Req(LINE_CHECK), 1.0);
    r.Respond(Req(42), 2.0);
    Frame bad = Req(GET_RAM);
    bad[1] = 0x56;
    EXPECT_EQ(r.Respond(bad, 3.0).kind, AnswerKind::None);
    ASSERT_EQ(r.log().size(), 2u);
    EXPECT_EQ(r.requestCount(), 3);
    EXPECT_EQ(r.log()[0].code, 42);
    EXPECT_EQ(r.log()[1].time, 3.0);
    EXPECT_EQ(r.log()[1].bytes, bad);
}

}  // namespace
}  // namespace sim
