// Step 1 of the set-up proposals: levels, verdicts and the video threshold from line images.
#include <algorithm>
#include <cmath>

#include "setup_proposal.h"

namespace {

constexpr int kSamples = 256;
constexpr int kPlateauSamples = 3;   // neighbouring samples at the top that make a plateau
constexpr double kMadToSd = 1.4826;  // a normal distribution's sd per median absolute deviation

double MedianOf(std::vector<double>& v) {
    const std::size_t n = v.size();
    std::nth_element(v.begin(), v.begin() + static_cast<long>(n / 2), v.end());
    const double upper = v[n / 2];
    if (n % 2 == 1) return upper;
    const double lower = *std::max_element(v.begin(), v.begin() + static_cast<long>(n / 2));
    return (lower + upper) / 2;
}

// Per sample, the median over the images and its median absolute deviation.
void SampleMedians(const std::vector<VideoImage>& images, std::array<double, kSamples>& median,
                   std::array<double, kSamples>& deviation) {
    std::vector<double> column(images.size());
    for (int i = 0; i < kSamples; ++i) {
        for (std::size_t k = 0; k < images.size(); ++k)
            column[k] = images[k][static_cast<std::size_t>(i)];
        median[i] = MedianOf(column);
        for (auto& x : column)
            x = std::abs(x - median[i]);
        deviation[i] = MedianOf(column);
    }
}

// The typical sample noise; below three images a deviation says nothing.
double NoiseOf(const std::array<double, kSamples>& deviation, std::size_t images) {
    if (images < 3) return 0;
    std::vector<double> all(deviation.begin(), deviation.end());
    return kMadToSd * MedianOf(all);
}

struct Levels {
    double low = 0, high = 0;
};

// Splits the samples into a dark and a bright group where the groups' means lie farthest apart
// for their sizes (Otsu's split), and gives each group's median: a small object still makes a group
// of its own, and the samples on an edge's ramp move neither level much.
Levels SplitLevels(const std::array<double, kSamples>& median) {
    std::vector<double> v(median.begin(), median.end());
    std::sort(v.begin(), v.end());
    const double total = [&] {
        double sum = 0;
        for (double x : v)
            sum += x;
        return sum;
    }();
    double below = 0, best = -1;
    std::size_t split = 1;
    for (std::size_t k = 1; k < v.size(); ++k) {
        below += v[k - 1];
        const double n0 = static_cast<double>(k), n1 = static_cast<double>(v.size() - k);
        const double gap = below / n0 - (total - below) / n1;
        const double between = n0 * n1 * gap * gap;
        if (between > best) best = between, split = k;
    }
    std::vector<double> dark(v.begin(), v.begin() + static_cast<long>(split));
    std::vector<double> bright(v.begin() + static_cast<long>(split), v.end());
    return {MedianOf(dark), MedianOf(bright)};
}

bool HasTopPlateau(const std::array<double, kSamples>& median, int topOfScale) {
    const double top = topOfScale - 1 - topOfScale / 64.0;
    int run = 0;
    for (double x : median) {
        run = x >= top ? run + 1 : 0;
        if (run >= kPlateauSamples) return true;
    }
    return false;
}

SetupProblem SignalProblem(const SignalProposal& p, const SignalInput& in, const SetupSettings& s) {
    const double contrast = std::abs(p.signal - p.background);
    if (HasTopPlateau(p.median, in.topOfScale)) return SetupProblem::Saturated;
    if (contrast < s.flatContrast) return SetupProblem::Flat;
    if (contrast < s.noiseRatio * p.noise) return SetupProblem::Noisy;
    if (contrast < s.minContrast) return SetupProblem::TooWeak;
    return SetupProblem::None;
}

}  // namespace

SignalProposal ProposeSignal(const SignalInput& in, const SetupSettings& settings) {
    SignalProposal p;
    if (in.images.empty()) {
        p.problem = SetupProblem::NoImages;
        return p;
    }
    std::array<double, kSamples> deviation{};
    SampleMedians(in.images, p.median, deviation);
    p.noise = NoiseOf(deviation, in.images.size());
    const Levels levels = SplitLevels(p.median);
    const bool darkObject = in.polarity != 0;
    p.background = darkObject ? levels.high : levels.low;
    p.signal = darkObject ? levels.low : levels.high;
    p.problem = SignalProblem(p, in, settings);
    if (p.problem != SetupProblem::None) return p;

    const double wanted = p.background + settings.thresholdShare * (p.signal - p.background);
    p.threshold = std::clamp(static_cast<int>(std::lround(wanted)), kThresholdMin, kThresholdMax);
    if (p.threshold != std::lround(wanted))
        p.limited.push_back("video threshold limited to " + std::to_string(p.threshold) +
                            " (its range is 50 to 950)");
    if (p.threshold <= levels.low || p.threshold >= levels.high)
        p.problem = SetupProblem::LevelsOutOfRange;
    return p;
}
