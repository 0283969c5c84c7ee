// The video curve and the bar graph.
#include "gui.h"
#include "panel_ids.h"

using namespace platform;

namespace {

constexpr int kRed = 0xFF0000;
constexpr int kDarkGreen = 0x008000;
constexpr int kGreen = 0x00FF00;
constexpr double kCursorHeight = 0.75;
constexpr double kBarBottom = 0.25, kBarTop = 1.0;
constexpr double kBandBottom = 0.0, kBandTop = 0.35;

int MeasuredPosition(const State& s) {
    switch (s.eMode) {
        case 0:
            return s.Ledge;
        case 1:
            return s.Redge;
        default:
            return (s.Ledge == 0 || s.Redge == 0) ? 1 : (s.Ledge + s.Redge) / 2;
    }
}

int ClampPosition(const State& s, int position) {
    if (position < s.pixB) position = s.pixB;
    if (position > s.pixE) position = s.pixE;
    if (position < 1) position = 1;
    if (position > s.ccdsubpixel) position = s.ccdsubpixel;
    return position;
}

// A negative lower limit starts at 1; an upper limit past the last position ends at full scale.
Span ClampedBand(const State& s, int lower, int upper) {
    if (lower < 0) lower = 1;
    if (upper > s.ccdsubpixel - 1) upper = s.ccdsubpixel;
    return {static_cast<double>(lower), static_cast<double>(upper)};
}

void AddBars(const State& s, BarGraphDrawing& d) {
    const double first = 1.0, last = s.pixE;
    if (s.edcnt == 1 && s.mvstart < s.mvend) {
        d.bars[d.barCount++] = {static_cast<double>(s.Ledge), last};
    } else if (s.edcnt == 1) {
        d.bars[d.barCount++] = {first, static_cast<double>(s.Ledge)};
    } else {
        d.bars[d.barCount++] = {first, static_cast<double>(s.Ledge)};
        d.bars[d.barCount++] = {static_cast<double>(s.Redge), last};
    }
}

void AddBands(const State& s, BarGraphDrawing& d) {
    const int tVal = s.tVal, tol = s.tol;
    if (s.eMode != 2) {
        d.bands[d.bandCount++] = ClampedBand(s, tVal - tol, tVal + tol);
        return;
    }
    if (s.edcnt == 0) return;
    // tVal is the nominal distance between the edges, centred on the measured position.
    const int P = d.position, halfDistance = tVal / 2, halfTol = tol / 2;
    d.bands[d.bandCount++] = ClampedBand(s, P - halfDistance - halfTol, P - halfDistance + halfTol);
    d.bands[d.bandCount++] = {static_cast<double>(P + halfDistance - halfTol),
                              static_cast<double>(P + halfDistance + halfTol)};
}

void WriteDisplays(Program& p) {
    const std::pair<int, u16> displays[] = {
        {ui::NUMLedge, p.Ledge},       {ui::NUMRedge, p.Redge},         {ui::NUMMvalue2, p.Mvalue},
        {ui::NUMPeakD, p.peakD},       {ui::NUMMvalue, p.Mvalue},       {ui::NUMTolerance, p.tol},
        {ui::NUMAnaMax, p.anaMax},     {ui::NUMAnaMin, p.anaMin},       {ui::NUMLeftMax, p.leftMax},
        {ui::NUMRightMax, p.rightMax}, {ui::NUMRightMaxX, p.rightMaxX},
    };
    for (const auto& [ctrl, value] : displays)
        p.rt.SetCtrlVal(p.pHandle, ctrl, int{value});
}

}  // namespace

BarGraphDrawing ComputeBarGraph(const State& s) {
    BarGraphDrawing d;
    d.position = ClampPosition(s, MeasuredPosition(s));
    AddBars(s, d);
    AddBands(s, d);
    return d;
}

void PlotVIDEOCurve(Program& p, const u16* video, const double* x) {
    p.rt.SetAxisScalingMode(p.pHandle, ui::GRAPHVideo, VAL_LEFT_YAXIS, VAL_MANUAL, 0.0, p.YAXISMAX);
    p.rt.DeleteGraphPlot(p.pHandle, ui::GRAPHVideo, -1, VAL_IMMEDIATE_DRAW);
    p.rt.PlotXY(p.pHandle, ui::GRAPHVideo, x, video, 256, kRed);
    p.rt.PlotXY(p.pHandle, ui::GRAPHVideo, x, p.thdArray.data(), 256, kDarkGreen);
}

void PlotVIDEOBarGraph(Program& p) {
    const BarGraphDrawing d = ComputeBarGraph(p);
    WriteDisplays(p);
    const int bar = ui::GRAPHBar;
    p.rt.SetAxisScalingMode(p.pHandle, bar, VAL_XAXIS, VAL_MANUAL, 1.0, p.ccdsubpixel);
    p.rt.SetGraphCursor(p.pHandle, bar, 2, p.eBeg, kCursorHeight);
    p.rt.SetGraphCursor(p.pHandle, bar, 3, p.eEnd, kCursorHeight);
    p.rt.DeleteGraphPlot(p.pHandle, bar, -1, VAL_DELAYED_DRAW);
    p.rt.SetGraphCursor(p.pHandle, bar, 1, d.position, kCursorHeight);
    for (int i = 0; i < d.barCount; ++i)
        p.rt.PlotRectangle(p.pHandle, bar, d.bars[i].from, kBarBottom, d.bars[i].to, kBarTop, kRed,
                           kRed);
    for (int i = 0; i < d.bandCount; ++i)
        p.rt.PlotRectangle(p.pHandle, bar, d.bands[i].from, kBandBottom, d.bands[i].to, kBandTop,
                           kGreen, kGreen);
}
