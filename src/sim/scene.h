// The simulated sensor's view: a 256-sample line image of a dark object on a bright background
// (or the inverse), moving slowly back and forth one step per measurement, with seeded noise. The
// still scene holds a bright object on a dark background in one place whatever the polarity, so a
// test knows its true edges and levels.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "protocol.h"

namespace sim {

using Image = std::array<std::uint16_t, kImageSamples>;

enum class SceneKind { Moving, StillBright };

class Scene {
  public:
    // noiseAmplitude: each sample gets uniform noise in [-noiseAmplitude, +noiseAmplitude].
    explicit Scene(std::uint32_t seed = 1, int noiseAmplitude = 6,
                   SceneKind kind = SceneKind::Moving);

    // Moves the object one step and renders the image anew. darkObject: a dark object on a
    // bright background (polarity 1) rather than the inverse.
    void Step(bool darkObject);
    // Every 64-sample block of the image starts with these samples from now on (a step of
    // brightness at each block boundary, say); empty: none.
    void SetBlockStarts(std::vector<std::uint16_t> samples);
    // The image of the current step. Values stay within 0..1023.
    const Image& image() const { return image_; }
    // Object edges of the current step in samples (before noise), left < right.
    double objectLeft() const;
    double objectRight() const;

    static constexpr int kBright = 800;
    static constexpr int kDark = 150;
    // The still scene's edges in samples, where each ramp is half way: levels kDark and kBright.
    static constexpr double kStillLeft = 90.0;
    static constexpr double kStillRight = 170.0;

  private:
    void Render(bool darkObject);
    int Noise();

    std::uint32_t rng_;
    int noiseAmplitude_;
    SceneKind kind_;
    long step_ = 0;
    std::vector<std::uint16_t> blockStarts_;
    Image image_{};
};

// Edges of an image where it crosses a threshold, in sub-pixel units.
struct Edges {
    int count = 0;  // 0, 1 or 2
    double left = 0;
    double right = 0;
};

// Crossings of `threshold` between neighbouring samples, interpolated linearly; sample i lies at
// i * factor. Only crossings within [windowBegin, windowEnd] count; at most two are taken.
Edges FindEdges(const Image& image, int threshold, int factor, int windowBegin, int windowEnd);

// The run result words for an image evaluated with a parameter record. anaMax and anaMin are left
// 0: the sensor fills them in from its own history.
Words Measure(const Image& image, const Words& record, int factor);

}  // namespace sim
