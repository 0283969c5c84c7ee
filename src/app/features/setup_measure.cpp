#include "setup_measure.h"

#include <utility>

#include "gui.h"
#include "panel_ids.h"
#include "subpixel_scale.h"

namespace {

// Runs `loop` with `hook` as the measurement hook in place of whatever was there.
template <class Loop>
void WithHook(Program& p, std::function<void(Program&)> hook, Loop loop) {
    auto previous = std::exchange(p.measured, std::move(hook));
    loop(p);
    p.measured = std::move(previous);
}

// How a loop that ended early ended: a time-out leaves its text in the status line.
ExchangeOutcome EarlyEnd(const Program& p) {
    std::string status;
    p.rt.GetCtrlVal(p.pHandle, ui::TEXTStatus, status);
    return status == "Timeout RS232-Line!" ? ExchangeOutcome::TimedOut : ExchangeOutcome::Stopped;
}

}  // namespace

ExchangeOutcome TakeLineImages(Program& p, long count, std::vector<LineImage>& images) {
    long cycles = 0;
    WithHook(
        p,
        [&](Program& q) {
            // The hook comes before the cycle reads its line image: adcbuf still holds the previous
            // cycle's, whole unless a block of it failed.
            if (cycles > 0 && !q.blockTimedOut) images.push_back(q.adcbuf);
            if (++cycles >= count) q.stop_flag = 1;
        },
        PushVIDEO);
    // The last cycle's image completes after its hook, before the loop ends.
    if (cycles >= count && !p.blockTimedOut) images.push_back(p.adcbuf);
    if (static_cast<long>(images.size()) >= count) return ExchangeOutcome::Answered;
    if (cycles >= count) return ExchangeOutcome::TimedOut;  // a line-image block did not come
    return EarlyEnd(p);
}

ExchangeOutcome TakeRunSamples(Program& p, long count, std::vector<RunSample>& samples) {
    WithHook(
        p,
        [&](Program& q) {
            samples.push_back({q.Mvalue, q.edcnt});
            if (static_cast<long>(samples.size()) >= count) q.stop_flag = 1;
        },
        PushRUN);
    if (static_cast<long>(samples.size()) >= count) return ExchangeOutcome::Answered;
    return EarlyEnd(p);
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
