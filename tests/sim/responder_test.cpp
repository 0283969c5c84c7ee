// The simulated sensor's answers per command code, and run results that agree with its image.
#include <gtest/gtest.h>

#include <algorithm>
#include <set>

#include "responder.h"

namespace sim {
namespace {

Frame Req(std::uint16_t code, const Words& payload = {}) {
    return MakeFrame(kRequestSync, code, payload);
}

Words Record(std::initializer_list<std::pair<int, std::uint16_t>> fields) {
    Words w = DefaultRecord();
    for (auto [index, value] : fields)
        w[index] = value;
    return w;
}

Responder OnBoard(std::uint16_t board) {
    SensorConfig c;
    c.profile.pcbtype = board;
    c.firmware = "V1.52 test";
    return Responder(c);
}

TEST(Responder, AnswerPerCode) {
    // Board, code, all-zero payload, answer bytes (36: a frame echoing the code; 0: none).
    // Code 11 is a reset on boards 0 and 100, the 256-word image elsewhere when all zero.
    // clang-format off
    const std::tuple<std::uint16_t, std::uint16_t, bool, std::size_t> cases[] = {
        {0, SEND_RAM, false, 36}, {0, GET_RAM, true, 36}, {0, SEND_EEPROM, false, 36},
        {0, GET_EEPROM, true, 36}, {0, LINE_CHECK, false, 36}, {0, TEACH, false, 36},
        {0, GET_VERSION, false, 72}, {400, GET_VERSION, false, 72}, {0, RUN, false, 36},
        {0, GET_DATA64, true, 128}, {0, GET_HARDWARE, false, 36}, {0, 0, true, 0}, {0, 12, true, 0},
        {0, RESET_MAXMIN, true, 36}, {100, RESET_MAXMIN, true, 36}, {400, RESET_MAXMIN, true, 512},
        {400, RESET_MAXMIN, false, 36}};
    // clang-format on
    for (auto [board, code, zero, bytes] : cases) {
        const Answer a = OnBoard(board).Respond(Req(code, zero ? Words{} : DefaultRecord()));
        ASSERT_EQ(a.bytes.size(), bytes) << "board " << board << " code " << code;
        EXPECT_EQ(a.kind, bytes == 36  ? AnswerKind::FrameAnswer
                          : bytes == 0 ? AnswerKind::None
                                       : AnswerKind::Raw);
        EXPECT_TRUE(bytes != 36 ||
                    (GetWord(&a.bytes[0]) == kAnswerSync && GetWord(&a.bytes[2]) == code));
    }
    const Answer word = OnBoard(0).Respond(Req(GET_VERSION));  // a character per word
    EXPECT_EQ(std::string({char(word.bytes[1]), char(word.bytes[3])}), "V1");
    EXPECT_EQ(word.bytes[0] | word.bytes[2 * 10 + 1], 0);  // 10 characters, then a zero word
    const Answer plain = OnBoard(400).Respond(Req(GET_VERSION));
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(plain.bytes.data())), "V1.52 test");
}

TEST(Responder, RecordsTeachAndMaxMinReset) {
    Responder r;
    const Words ram = Record({{kPower, 0xFFFF}}), eeprom = Record({{kTTol, 42}});
    r.Respond(Req(SEND_RAM, ram));
    EXPECT_EQ(r.ram(), ram);
    EXPECT_EQ(r.eeprom(), DefaultRecord());
    r.Respond(Req(SEND_EEPROM, eeprom));
    EXPECT_EQ(r.eeprom(), eeprom);
    EXPECT_EQ(r.ram(), eeprom);
    const Answer a = r.Respond(Req(GET_EEPROM));
    EXPECT_EQ(PayloadOf(std::span<const std::uint8_t, 36>(a.bytes.data(), 36)), eeprom);

    for (int i = 0; i < 50; ++i)
        r.Respond(Req(RUN));
    const Words last = r.lastRun();
    EXPECT_GT(last[kAnaMax], last[kAnaMin]);  // the object moved
    const Answer t = r.Respond(Req(TEACH));
    EXPECT_EQ(r.ram()[kTVal], last[kMvalue]);
    EXPECT_EQ(GetWord(&t.bytes[4 + 2 * kTVal]), last[kMvalue]);
    r.Respond(Req(RESET_MAXMIN));
    r.Respond(Req(RUN));
    const Words& w = r.lastRun();
    EXPECT_EQ(std::tuple(w[kAnaMax], w[kAnaMin]), std::tuple(w[kMvalue], w[kMvalue]));
}

TEST(Responder, HardwareProfileImageBlocksAndLog) {
    SensorConfig c;
    c.profile = {102, 768, 350, 100, 6144, 2048, 1536, 221};
    Responder r(c);
    const Answer hw = r.Respond(Req(GET_HARDWARE));
    const std::uint16_t expected[] = {102, 768, 350, 100, 6144, 2048, 0, 1536, 221};
    for (int i = 0; i < 9; ++i)
        EXPECT_EQ(GetWord(&hw.bytes[4 + 2 * i]), expected[i]) << i;

    r.Respond(Req(RUN));
    for (std::uint16_t offset : std::initializer_list<std::uint16_t>{0, 64, 128, 192, 250}) {
        const Answer a =
            r.Respond(Req(GET_DATA64, Words{offset, static_cast<std::uint16_t>(offset == 192)}));
        for (int i = 0; i < kBlockWords; ++i) {
            const std::uint16_t want = offset + i < kImageSamples ? r.image()[offset + i] : 0;
            ASSERT_EQ(GetWord(&a.bytes[2 * i]), want) << offset << "+" << i;
        }
    }

    r.SetLogLimit(2);
    Frame bad = Req(GET_RAM);
    bad[1] = 0x56;
    EXPECT_EQ(r.Respond(bad, 3.0).kind, AnswerKind::None);
    ASSERT_EQ(r.log().size(), 2u);
    EXPECT_EQ(std::tuple(r.requestCount(), r.log()[0].code, r.log()[1].time),
              std::tuple(8, GET_DATA64, 3.0));
    EXPECT_EQ(r.log()[1].bytes, bad);
}

TEST(Scene, RunResultAgreesWithTheImage) {
    // Sub-pixel scale, polarity, eMode, threshold.
    const std::tuple<std::uint16_t, std::uint16_t, std::uint16_t, std::uint16_t> cases[] = {
        {1024, 1, 0, 512},
        {1024, 1, 1, 512},
        {1024, 0, 2, 400},
        {8192, 1, 3, 512},
        {2048, 0, 4, 600}};
    for (auto [subpixel, polarity, eMode, vThd] : cases) {
        SensorConfig config;
        config.profile.ccdsubpixel = subpixel;
        Responder r(config);
        r.Respond(
            Req(SEND_RAM,
                Record({{kPolarity, polarity}, {kEMode, eMode}, {kVThd, vThd}, {kEEnd, 65535}})));
        const int f = SubpixelFactor(subpixel);
        // The image crosses the threshold within a sample of an edge.
        auto crossesAt = [&](const Image& img, int position) {
            const int i = position / f;
            return i >= 1 && i + 1 < kImageSamples && (img[i - 1] < vThd) != (img[i + 1] < vThd);
        };
        std::set<int> lefts;
        for (int step = 0; step < 400; ++step) {
            r.Respond(Req(RUN));
            const Words& w = r.lastRun();
            const Image& img = r.image();
            const int left = w[kLedge], right = w[kRedge], centre = (left + right) / 2;
            const int expected[] = {left, right, right - left, centre, centre};
            ASSERT_EQ(std::tuple(w[kEdcnt], w[kMvalue], w[kMvStart], w[kMvEnd]),
                      std::tuple(2, expected[eMode], left, right))
                << step;
            ASSERT_TRUE(crossesAt(img, left) && crossesAt(img, right)) << step;
            // The object lies between the edges: dark for polarity 1, bright for 0.
            ASSERT_EQ(img[centre / f] < vThd, polarity == 1) << step;
            ASSERT_LE(*std::max_element(img.begin(), img.end()), 1023);
            ASSERT_TRUE(w[kAnaMin] <= w[kMvalue] && w[kMvalue] <= w[kAnaMax]);
            lefts.insert(left);
        }
        EXPECT_GT(lefts.size(), 50u) << "the object moves";
    }

    // The edge window and the threshold limit the edges found.
    Responder r;
    r.Respond(Req(RUN));
    const int left = r.lastRun()[kLedge];
    const std::tuple<int, int, int, int> limits[] = {
        {left + 8, 1024, 512, 1}, {1, left - 8, 512, 0}, {1, 1024, 1023, 0}};
    for (auto [eBeg, eEnd, vThd, edges] : limits) {
        const Words w =
            Measure(r.image(), Record({{kEBeg, eBeg}, {kEEnd, eEnd}, {kVThd, vThd}}), 4);
        EXPECT_EQ(w[kEdcnt], edges) << eBeg << ".." << eEnd << " thd " << vThd;
        EXPECT_EQ(w[kRedge] | w[kMvalue], 0);  // eMode 1 needs the right edge
    }
}

// The still scene's truth: the same bright object on a dark background whatever the polarity.
TEST(Scene, StillSceneKeepsItsObject) {
    SensorConfig config;
    config.scene = SceneKind::StillBright;
    Responder r(config);
    r.Respond(Req(SEND_RAM, Record({{kPolarity, 1}, {kEMode, 2}, {kVThd, 475}})));
    for (int step = 0; step < 50; ++step) {
        r.Respond(Req(RUN));
        const Words& w = r.lastRun();
        ASSERT_NEAR(w[kLedge], 4 * Scene::kStillLeft, 2) << step;
        ASSERT_NEAR(w[kRedge], 4 * Scene::kStillRight, 2) << step;
        ASSERT_NEAR(r.image()[10], Scene::kDark, 6);
        ASSERT_NEAR(r.image()[130], Scene::kBright, 6);
    }
}

}  // namespace
}  // namespace sim
