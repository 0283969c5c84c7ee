// Live figures of a measurement loop: value statistics over the latest window and since the loop
// began, and the answer rate over the latest seconds. Constant work per measurement; reading the
// window's figures scans it once, which the display does at most about 10 times a second.
#pragma once

#include <array>
#include <cstdint>
#include <deque>

// Count, mean, sample standard deviation (0 below two values), minimum, maximum and range.
struct SeriesFigures {
    long count = 0;
    double mean = 0, sd = 0, min = 0, max = 0, range = 0;
};

// Welford's running mean and variance, with the extremes.
class RunningStats {
  public:
    void Add(double x);
    SeriesFigures Get() const;

  private:
    long n_ = 0;
    double mean_ = 0, m2_ = 0, min_ = 0, max_ = 0;
};

// The latest kSlots values of a series. Sums are kept exactly (the values are 16-bit words), so
// the window's variance has no rounding drift however long the loop runs.
class WindowStats {
  public:
    static constexpr int kSlots = 100;
    void Add(std::uint16_t x);
    SeriesFigures Get() const;

  private:
    std::array<std::uint16_t, kSlots> ring_{};
    int next_ = 0, size_ = 0;
    std::int64_t sum_ = 0, sumSquares_ = 0;
};

// Answers per second over the latest kSpan seconds: (answers - 1) over the time between the
// oldest and the newest of them, so a steady stream reads its true rate from the second answer.
class RateMeter {
  public:
    static constexpr double kSpan = 2.0;
    void Add(double seconds);
    double Rate() const;

  private:
    std::deque<double> times_;
};

// The three measured series the workbench follows, each over the window and since the start.
enum Series { kValue, kLeftEdge, kRightEdge, kSeriesCount };

struct LoopFigures {
    double rate = 0;
    std::array<SeriesFigures, kSeriesCount> window{}, total{};
};

class LoopStats {
  public:
    // One measurement: the measured value, both edges, the monotonic time it arrived.
    void Add(const std::array<std::uint16_t, kSeriesCount>& values, double seconds);
    LoopFigures Get() const;

  private:
    RateMeter rate_;
    std::array<WindowStats, kSeriesCount> window_{};
    std::array<RunningStats, kSeriesCount> total_{};
};
