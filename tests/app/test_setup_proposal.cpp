// The set-up proposals on synthetic line images and measurement series.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>

#include "setup_proposal.h"

namespace {

// An object between two edges (samples, where the ramp is half way) on a background, with
// Gaussian noise; an edge beyond the line puts the object past that end.
struct Picture {
    double background, object;
    double left, right;
    double noise = 0;
    int images = 20;
};

std::vector<VideoImage> Render(const Picture& pic, std::uint32_t seed = 1) {
    std::mt19937 random(seed);
    std::normal_distribution<double> noise(0, pic.noise);
    std::vector<VideoImage> images(static_cast<std::size_t>(pic.images));
    for (auto& image : images)
        for (int i = 0; i < 256; ++i) {
            const double rise = std::clamp((i - pic.left) / 4 + 0.5, 0.0, 1.0);
            const double fall = std::clamp((pic.right - i) / 4 + 0.5, 0.0, 1.0);
            const double v = pic.background + (pic.object - pic.background) * rise * fall +
                             (pic.noise > 0 ? noise(random) : 0);
            image[static_cast<std::size_t>(i)] =
                static_cast<u16>(std::clamp(std::lround(v), 0L, 1023L));
        }
    return images;
}

constexpr int kFactor = 4;  // a sub-pixel scale of 1024
constexpr int kScale = 1024;

TEST(SetupProposal, SignalAndEdgesFromLineImages) {
    const struct {
        const char* name;
        Picture picture;
        int polarity;
        double left, right;         // sub-pixels, -1 for none
        int leftLimit, rightLimit;  // checked to within 1
        bool limited;
    } cases[] = {
        {"clean step", {150, 800, 90, 170}, 0, 360, 680, 328, 712, false},
        {"noise", {150, 800, 90, 170, 40}, 0, 360, 680, 328, 712, false},
        {"dark object", {800, 150, 90, 170, 6}, 1, 360, 680, 328, 712, false},
        {"edges near the ends", {150, 800, 4, 252}, 0, 16, 1008, 1, 1024, true},
        {"object past the left end", {150, 800, -20, 100}, 0, -1, 400, 1, 440, false},
    };
    for (const auto& c : cases) {
        const SignalProposal signal = ProposeSignal({Render(c.picture), c.polarity, 1024});
        const EdgeProposal edges = ProposeEdges(signal, c.polarity, kFactor, kScale);
        ASSERT_EQ(edges.problem, SetupProblem::None)
            << c.name << ": " << SetupProblemText(edges.problem);
        const double middle = (c.picture.background + c.picture.object) / 2;
        EXPECT_NEAR(signal.threshold, middle, 3) << c.name;
        EXPECT_NEAR(edges.left, c.left, 2) << c.name;
        EXPECT_NEAR(edges.right, c.right, 2) << c.name;
        EXPECT_NEAR(edges.leftLimit, c.leftLimit, 1) << c.name;
        EXPECT_NEAR(edges.rightLimit, c.rightLimit, 1) << c.name;
        EXPECT_EQ(!edges.limited.empty(), c.limited) << c.name;
    }
}

TEST(SetupProposal, LineImagesThatGiveNoProposal) {
    const struct {
        const char* name;
        Picture picture;
        int polarity;
        SetupProblem problem;
    } cases[] = {
        {"weak", {400, 470, 90, 170, 2}, 0, SetupProblem::TooWeak},
        {"too noisy", {300, 500, 90, 170, 40}, 0, SetupProblem::Noisy},
        {"saturated", {150, 1023, 90, 170}, 0, SetupProblem::Saturated},
        {"flat", {500, 500, 90, 170, 4}, 0, SetupProblem::Flat},
        {"no edge in view", {150, 800, -20, 300}, 0, SetupProblem::Flat},
        {"polarity the other way", {800, 150, 90, 170}, 0, SetupProblem::EdgesReversed},
        {"two objects", {150, 800, 40, 400}, 0, SetupProblem::SeveralEdges},
    };
    for (const auto& c : cases) {
        auto images = Render(c.picture);
        if (c.problem == SetupProblem::SeveralEdges)  // a dark gap splits the object in two
            for (auto& image : images)
                std::fill(image.begin() + 100, image.begin() + 120, u16{150});
        const SignalProposal signal = ProposeSignal({images, c.polarity, 1024});
        const EdgeProposal edges = ProposeEdges(signal, c.polarity, kFactor, kScale);
        EXPECT_EQ(edges.problem, c.problem) << c.name << ": " << SetupProblemText(edges.problem);
    }
}

TEST(SetupProposal, ThresholdShareAndLimit) {
    SetupSettings low;
    low.thresholdShare = 0.25;
    const auto images = Render({200, 1000, 90, 170});
    EXPECT_EQ(ProposeSignal({images, 0, 1024}, low).threshold, 400);
    // Dark object: a quarter of the way from the bright background down to the object.
    EXPECT_EQ(ProposeSignal({Render({1000, 200, 90, 170}), 1, 1024}, low).threshold, 800);
    SetupSettings upper;
    upper.thresholdShare = 0.75;
    const SignalProposal high = ProposeSignal({Render({900, 1000, 90, 170}), 0, 1024}, upper);
    EXPECT_EQ(high.threshold, 950);
    EXPECT_EQ(high.limited.size(), 1u);
    EXPECT_EQ(high.problem, SetupProblem::None);
    // Both levels above the range: the limited threshold would find nothing.
    SetupSettings faint;
    faint.minContrast = 30;
    EXPECT_EQ(ProposeSignal({Render({960, 1000, 90, 170}), 0, 1024}, faint).problem,
              SetupProblem::LevelsOutOfRange);
    EXPECT_EQ(ProposeSignal({{}, 0, 1024}).problem, SetupProblem::NoImages);
}

TEST(SetupProposal, SetpointByEdgeMode) {
    EdgeProposal both;
    both.count = 2, both.left = 360.4, both.right = 679.6;
    EdgeProposal rightOnly;
    rightOnly.count = 1, rightOnly.right = 400.2;
    const struct {
        const EdgeProposal* edges;
        int eMode;
        SetupProblem problem;
        int setpoint;
    } cases[] = {
        {&both, 0, SetupProblem::None, 360},           {&both, 1, SetupProblem::None, 680},
        {&both, 2, SetupProblem::None, 320},           {&both, 3, SetupProblem::None, 520},
        {&both, 4, SetupProblem::None, 520},           {&rightOnly, 0, SetupProblem::None, 400},
        {&rightOnly, 2, SetupProblem::EdgeMissing, 0},
    };
    for (const auto& c : cases) {
        const SetpointProposal p = ProposeSetpoint(*c.edges, c.eMode);
        EXPECT_EQ(p.problem, c.problem) << c.eMode;
        EXPECT_EQ(p.setpoint, c.setpoint) << c.eMode;
    }
}

std::vector<RunSample> Series(std::initializer_list<std::pair<u16, int>> runs, u16 edges = 2) {
    std::vector<RunSample> series;
    for (const auto& [value, count] : runs)
        for (int i = 0; i < count; ++i)
            series.push_back({value, edges});
    return series;
}

TEST(SetupProposal, ToleranceFromTheSpread) {
    auto withOneEdge = Series({{500, 100}, {510, 100}});
    for (auto& s : Series({{900, 50}}, 1))
        withOneEdge.push_back(s);
    const struct {
        const char* name;
        std::vector<RunSample> series;
        int eMode;
        SetupProblem problem;
        int tolerance;
        bool limited;
    } cases[] = {
        {"steady", Series({{500, 200}}), 2, SetupProblem::None, 1, false},
        {"k sd", Series({{498, 100}, {502, 100}}), 2, SetupProblem::None, 11, false},
        {"one outlier: half the range", Series({{500, 199}, {600, 1}}), 2, SetupProblem::None, 51,
         false},
        {"one-edge answers left out", withOneEdge, 3, SetupProblem::None, 26, false},
        {"one edge is enough for the left edge", withOneEdge, 0, SetupProblem::None, 792, false},
        {"none found its edges", Series({{0, 50}}, 0), 2, SetupProblem::NoMeasurements, 0, false},
        {"beyond the control", Series({{0, 100}, {65535, 100}}), 2, SetupProblem::None, 65535,
         true},
    };
    for (const auto& c : cases) {
        const ToleranceProposal p = ProposeTolerance(c.series, c.eMode);
        EXPECT_EQ(p.problem, c.problem) << c.name;
        EXPECT_EQ(p.taken, static_cast<long>(c.series.size())) << c.name;
        if (c.problem != SetupProblem::None) continue;
        EXPECT_EQ(p.tolerance, c.tolerance) << c.name << " sd " << p.spread.sd;
        EXPECT_EQ(!p.limited.empty(), c.limited) << c.name;
    }
}

}  // namespace
