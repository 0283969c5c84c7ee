#include "workbench_stats.h"

#include <algorithm>
#include <cmath>

void RunningStats::Add(double x) {
    ++n_;
    const double delta = x - mean_;
    mean_ += delta / static_cast<double>(n_);
    m2_ += delta * (x - mean_);
    min_ = n_ == 1 ? x : std::min(min_, x);
    max_ = n_ == 1 ? x : std::max(max_, x);
}

SeriesFigures RunningStats::Get() const {
    SeriesFigures f;
    f.count = n_;
    if (n_ == 0) return f;
    f.mean = mean_;
    f.sd = n_ > 1 ? std::sqrt(std::max(0.0, m2_ / static_cast<double>(n_ - 1))) : 0.0;
    f.min = min_, f.max = max_, f.range = max_ - min_;
    return f;
}

void WindowStats::Add(std::uint16_t x) {
    if (size_ == kSlots) {
        const std::int64_t old = ring_[next_];
        sum_ -= old;
        sumSquares_ -= old * old;
    } else {
        ++size_;
    }
    ring_[next_] = x;
    sum_ += x;
    sumSquares_ += std::int64_t{x} * x;
    next_ = (next_ + 1) % kSlots;
}

SeriesFigures WindowStats::Get() const {
    SeriesFigures f;
    f.count = size_;
    if (size_ == 0) return f;
    const auto first = ring_.begin();
    const auto [lo, hi] = std::minmax_element(first, first + size_);
    const double n = size_;
    f.mean = static_cast<double>(sum_) / n;
    if (size_ > 1) {
        const std::int64_t spread = size_ * sumSquares_ - sum_ * sum_;  // exact: n^2 * variance
        f.sd = std::sqrt(static_cast<double>(spread) / (n * (n - 1)));
    }
    f.min = *lo, f.max = *hi, f.range = f.max - f.min;
    return f;
}

void RateMeter::Add(double seconds) {
    times_.push_back(seconds);
    while (times_.front() < seconds - kSpan)
        times_.pop_front();
}

double RateMeter::Rate() const {
    if (times_.size() < 2) return 0.0;
    const double span = times_.back() - times_.front();
    return span > 0 ? static_cast<double>(times_.size() - 1) / span : 0.0;
}

void LoopStats::Add(const std::array<std::uint16_t, kSeriesCount>& values, double seconds) {
    rate_.Add(seconds);
    for (int s = 0; s < kSeriesCount; ++s) {
        window_[s].Add(values[s]);
        total_[s].Add(values[s]);
    }
}

LoopFigures LoopStats::Get() const {
    LoopFigures f;
    f.rate = rate_.Rate();
    for (int s = 0; s < kSeriesCount; ++s) {
        f.window[s] = window_[s].Get();
        f.total[s] = total_[s].Get();
    }
    return f;
}
