#include "scene.h"

#include <algorithm>
#include <cmath>

namespace sim {

namespace {

constexpr double kCentre = 128.0;
constexpr double kTravel = 40.0;       // the object moves kCentre +- kTravel samples
constexpr double kStepSamples = 0.25;  // per measurement
constexpr double kHalfWidth = 28.0;
constexpr double kRamp = 4.0;  // samples an edge takes from one level to the other

std::uint16_t Clamp16(double v) {
    return static_cast<std::uint16_t>(std::clamp(std::lround(v), 0L, 65535L));
}

}  // namespace

Scene::Scene(std::uint32_t seed, int noiseAmplitude, SceneKind kind)
    : rng_(seed == 0 ? 0x9E3779B9u : seed),
      noiseAmplitude_(std::max(0, noiseAmplitude)),
      kind_(kind) {
    Render(true);
}

double Scene::objectLeft() const {
    if (kind_ == SceneKind::StillBright) return kStillLeft;
    // A triangle wave: 4 * kTravel / kStepSamples steps per full swing.
    const double period = 4.0 * kTravel / kStepSamples;
    const double phase = std::fmod(static_cast<double>(step_), period) / period;  // 0..1
    const double offset = phase < 0.5 ? (4.0 * phase - 1.0) : (3.0 - 4.0 * phase);
    return kCentre + kTravel * offset - kHalfWidth;
}

double Scene::objectRight() const {
    if (kind_ == SceneKind::StillBright) return kStillRight;
    return objectLeft() + 2.0 * kHalfWidth;
}

void Scene::SetBlockStarts(std::vector<std::uint16_t> samples) {
    blockStarts_ = std::move(samples);
    blockStarts_.resize(std::min<std::size_t>(blockStarts_.size(), kBlockWords));
    for (int block = 0; block < kImageSamples; block += kBlockWords)
        std::copy(blockStarts_.begin(), blockStarts_.end(), image_.begin() + block);
}

void Scene::Step(bool darkObject) {
    ++step_;
    Render(darkObject);
}

int Scene::Noise() {
    rng_ ^= rng_ << 13;
    rng_ ^= rng_ >> 17;
    rng_ ^= rng_ << 5;
    if (noiseAmplitude_ == 0) return 0;
    return static_cast<int>(rng_ % (2u * noiseAmplitude_ + 1)) - noiseAmplitude_;
}

void Scene::Render(bool darkObject) {
    if (kind_ == SceneKind::StillBright) darkObject = false;
    const double left = objectLeft();
    const double right = objectRight();
    for (int i = 0; i < kImageSamples; ++i) {
        const double rise = std::clamp((i - left) / kRamp + 0.5, 0.0, 1.0);
        const double fall = std::clamp((right - i) / kRamp + 0.5, 0.0, 1.0);
        const double coverage = rise * fall;
        const double edgeOfField = (i - kCentre) / kCentre;
        const double background = kBright - 60.0 * edgeOfField * edgeOfField;
        const double bright = darkObject ? background : kBright;
        const double dark = kDark;
        const double value =
            darkObject ? bright + (dark - bright) * coverage : dark + (bright - dark) * coverage;
        image_[i] = static_cast<std::uint16_t>(std::clamp(std::lround(value) + Noise(), 0L, 1023L));
    }
    for (int block = 0; block < kImageSamples; block += kBlockWords)
        std::copy(blockStarts_.begin(), blockStarts_.end(), image_.begin() + block);
}

Edges FindEdges(const Image& image, int threshold, int factor, int windowBegin, int windowEnd) {
    Edges edges;
    for (int i = 0; i + 1 < kImageSamples && edges.count < 2; ++i) {
        const int a = image[i];
        const int b = image[i + 1];
        if ((a < threshold) == (b < threshold)) continue;
        const double x = (i + static_cast<double>(threshold - a) / (b - a)) * factor;
        if (x < windowBegin || x > windowEnd) continue;
        (edges.count == 0 ? edges.left : edges.right) = x;
        ++edges.count;
    }
    return edges;
}

namespace {

// Highest sample within [from, to] (sample indices, clipped to the image) and its index.
std::pair<int, int> MaxSample(const Image& image, int from, int to) {
    from = std::max(from, 0);
    to = std::min(to, kImageSamples - 1);
    std::pair<int, int> best{0, 0};
    for (int i = from; i <= to; ++i)
        if (image[i] > best.first) best = {image[i], i};
    return best;
}

std::uint16_t MeasuredValue(int eMode, const Edges& e, std::uint16_t ledge, std::uint16_t redge) {
    switch (eMode) {
        case 0:
            return e.count >= 1 ? ledge : 0;
        case 1:
            return e.count == 2 ? redge : 0;
        case 2:
            return static_cast<std::uint16_t>(e.count == 2 ? redge - ledge : 0);
        case 3:
        case 4:
            return static_cast<std::uint16_t>(e.count == 2 ? (ledge + redge) / 2 : 0);
        default:
            return 0;
    }
}

}  // namespace

Words Measure(const Image& image, const Words& record, int factor) {
    factor = std::max(factor, 1);
    const Edges e = FindEdges(image, record[kVThd], factor, record[kEBeg], record[kEEnd]);
    const std::uint16_t ledge = e.count >= 1 ? Clamp16(e.left) : 0;
    const std::uint16_t redge = e.count == 2 ? Clamp16(e.right) : 0;
    const int firstSample = (record[kEBeg] + factor - 1) / factor;
    const int lastSample = record[kEEnd] / factor;

    Words r{};
    r[kLedge] = ledge;
    r[kRedge] = redge;
    r[kMvalue] = MeasuredValue(record[kEMode], e, ledge, redge);
    r[kRunTVal] = record[kTVal];
    r[kTol] = record[kTTol];
    r[kPix1] = static_cast<std::uint16_t>(ledge / factor);
    r[kEdcnt] = static_cast<std::uint16_t>(e.count);
    r[kMvStart] = ledge;
    r[kMvEnd] = e.count == 2 ? redge : ledge;

    int lo = 1023, hi = 0;
    for (int i = std::max(firstSample, 0); i <= std::min(lastSample, kImageSamples - 1); ++i) {
        lo = std::min<int>(lo, image[i]);
        hi = std::max<int>(hi, image[i]);
    }
    r[kPeakD] = static_cast<std::uint16_t>(hi >= lo ? hi - lo : 0);

    const int leftEnd = e.count >= 1 ? static_cast<int>(e.left / factor) : lastSample;
    r[kLeftMax] = static_cast<std::uint16_t>(MaxSample(image, firstSample, leftEnd).first);
    if (e.count == 2) {
        const auto [value, index] =
            MaxSample(image, static_cast<int>(e.right / factor) + 1, lastSample);
        r[kRightMax] = static_cast<std::uint16_t>(value);
        r[kRightMaxX] = static_cast<std::uint16_t>(index * factor);
    }
    r[kIn0] = 0;
    return r;
}

}  // namespace sim
