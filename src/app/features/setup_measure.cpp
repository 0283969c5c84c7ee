#include "setup_measure.h"

#include "gui.h"
#include "subpixel_scale.h"

namespace {

// Takes what a loop brings until `count` are in, then ends the loop through stop_flag (a listener
// starts no exchange).
class Collector : public MeasurementListener {
  public:
    Collector(Program& p, long count, std::vector<VideoImage>* images,
              std::vector<RunSample>* samples)
        : p_(p), count_(count), images_(images), samples_(samples) {}
    void Measured(const State& s) override {
        if (samples_ == nullptr) return;
        samples_->push_back({s.Mvalue, s.edcnt, JudgeTolerance(s)});
        Taken(static_cast<long>(samples_->size()));
    }
    void LineImage(const State& s) override {
        if (images_ == nullptr) return;
        if (!p_.blockTimedOut) images_->push_back(s.adcbuf);  // a block missing: not whole
        Taken(++cycles_);
    }
    bool AllCycles() const { return images_ != nullptr && cycles_ >= count_; }
    bool Complete() const {
        const std::size_t have = images_ ? images_->size() : samples_->size();
        return static_cast<long>(have) >= count_;
    }

  private:
    void Taken(long n) {
        if (n >= count_) p_.stop_flag = 1;
    }
    Program& p_;
    const long count_;
    long cycles_ = 0;
    std::vector<VideoImage>* images_;
    std::vector<RunSample>* samples_;
};

template <class Loop>
ExchangeOutcome Collect(Program& p, Collector& collector, Loop loop) {
    p.listeners.Add(&collector);
    const ExchangeOutcome outcome = loop(p);
    p.listeners.Remove(&collector);
    if (collector.Complete()) return ExchangeOutcome::Answered;
    // Every cycle came but a line-image block did not: the sensor stopped answering in between.
    if (collector.AllCycles()) return ExchangeOutcome::TimedOut;
    return outcome;
}

}  // namespace

ExchangeOutcome TakeLineImages(Program& p, long count, std::vector<VideoImage>& images) {
    Collector collector(p, count, &images, nullptr);
    return Collect(p, collector, PushVIDEO);
}

ExchangeOutcome TakeRunSamples(Program& p, long count, std::vector<RunSample>& samples) {
    Collector collector(p, count, nullptr, &samples);
    return Collect(p, collector, PushRUN);
}

SetupScale ReadSetupScale(const Program& p) {
    State panel = p;
    ReadPanelValues(p, panel);
    SetupScale s;
    s.polarity = panel.polarity;
    s.eMode = panel.eMode;
    s.factor = SubpixelFactor(p.ccdsubpixel);
    s.subpixelScale = p.ccdsubpixel > 0 ? p.ccdsubpixel : 1024;
    s.topOfScale = p.YAXISMAX;
    return s;
}
