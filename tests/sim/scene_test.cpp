// The run result agrees with the line image the sensor reports.
#include <gtest/gtest.h>

#include <set>

#include "responder.h"

namespace sim {
namespace {

Frame Req(std::uint16_t code, const Words& payload = {}) {
    return MakeFrame(kRequestSync, code, payload);
}

// The image crosses `threshold` next to a position given in whole sub-pixel units (rounding
// may carry a crossing late in sample i over to i + 1).
bool CrossesNear(const Image& img, int position, int factor, int threshold) {
    auto crosses = [&](int i) {
        return i >= 0 && i + 1 < kImageSamples && (img[i] < threshold) != (img[i + 1] < threshold);
    };
    return crosses(position / factor) || crosses(position / factor - 1);
}

TEST(Scene, EdgesAreWhereTheImageCrossesTheThreshold) {
    struct Case {
        std::uint16_t subpixel, polarity, eMode, vThd;
    };
    const Case cases[] = {{1024, 1, 0, 512},
                          {1024, 1, 1, 512},
                          {1024, 0, 2, 400},
                          {8192, 1, 3, 512},
                          {2048, 0, 4, 600}};
    for (const Case& c : cases) {
        SensorConfig config;
        config.profile.ccdsubpixel = c.subpixel;
        Responder r(config);
        Words record = DefaultRecord();
        record[kPolarity] = c.polarity;
        record[kEMode] = c.eMode;
        record[kVThd] = c.vThd;
        record[kEEnd] = 65535;
        r.Respond(Req(SEND_RAM, record));
        const int f = SubpixelFactor(c.subpixel);
        std::set<int> lefts;
        for (int step = 0; step < 400; ++step) {
            r.Respond(Req(RUN));
            const Words& w = r.lastRun();
            const Image& img = r.image();
            ASSERT_EQ(w[kEdcnt], 2) << "step " << step;
            ASSERT_TRUE(CrossesNear(img, w[kLedge], f, c.vThd)) << "step " << step;
            ASSERT_TRUE(CrossesNear(img, w[kRedge], f, c.vThd)) << "step " << step;
            // The object lies between the edges: dark for polarity 1, bright for 0.
            const int middle = img[(w[kLedge] + w[kRedge]) / 2 / f];
            ASSERT_EQ(middle < c.vThd, c.polarity == 1) << "step " << step;
            const int expected[] = {w[kLedge], w[kRedge], w[kRedge] - w[kLedge],
                                    (w[kLedge] + w[kRedge]) / 2, (w[kLedge] + w[kRedge]) / 2};
            ASSERT_EQ(w[kMvalue], expected[c.eMode]);
            ASSERT_EQ(w[kMvStart], w[kLedge]);
            ASSERT_EQ(w[kMvEnd], w[kRedge]);
            ASSERT_LE(w[kAnaMin], w[kMvalue]);
            ASSERT_GE(w[kAnaMax], w[kMvalue]);
            lefts.insert(w[kLedge]);
        }
        EXPECT_GT(lefts.size(), 50u) << "the object moves";
    }
}

TEST(Scene, EdgeWindowAndThresholdLimitTheEdgesFound) {
    Responder r;
    r.Respond(Req(RUN));
    const Words full = r.lastRun();
    ASSERT_EQ(full[kEdcnt], 2);
    struct Case {
        std::uint16_t eBeg, eEnd, vThd, edges;
    };
    const Case cases[] = {
        {static_cast<std::uint16_t>(full[kLedge] + 8), 1024, 512, 1},  // left edge outside
        {1, static_cast<std::uint16_t>(full[kLedge] - 8), 512, 0},     // both outside
        {1, 1024, 1023, 0},                                            // threshold above all
    };
    for (const Case& c : cases) {
        Words record = DefaultRecord();
        record[kEBeg] = c.eBeg;
        record[kEEnd] = c.eEnd;
        record[kVThd] = c.vThd;
        const Words w = Measure(r.image(), record, 4);
        EXPECT_EQ(w[kEdcnt], c.edges) << c.eBeg << ".." << c.eEnd << " thd " << c.vThd;
        if (c.edges < 2) {
            EXPECT_EQ(w[kRedge], 0);
            EXPECT_EQ(w[kMvalue], 0);  // eMode 1 needs the right edge
        }
    }
}

TEST(Scene, SameSeedSameImages) {
    Scene a(7), b(7), c(8);
    for (int i = 0; i < 10; ++i)
        a.Step(true), b.Step(true), c.Step(true);
    EXPECT_EQ(a.image(), b.image());
    EXPECT_NE(a.image(), c.image());
    for (std::uint16_t v : a.image())
        EXPECT_LE(v, 1023);
}

}  // namespace
}  // namespace sim
