// The video curve and the bar graph.
#include "gui.h"
#include "panel_ids.h"
#include "tolerance_lamp.h"

using namespace platform;

namespace {

constexpr int kRed = 0xFF0000;
constexpr int kDarkGreen = 0x008000;
constexpr int kGreen = 0x00FF00;
constexpr double kCursorHeight = 0.75;
constexpr double kBarBottom = 0.25, kBarTop = 1.0;
constexpr double kBandBottom = 0.0, kBandTop = 0.35;

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

void PlotVIDEOCurve(Program& p, const u16* video, const double* x) {
    p.rt.SetAxisScalingMode(p.pHandle, ui::GRAPHVideo, VAL_LEFT_YAXIS, VAL_MANUAL, 0.0, p.YAXISMAX);
    p.rt.DeleteGraphPlot(p.pHandle, ui::GRAPHVideo, -1, VAL_IMMEDIATE_DRAW);
    p.rt.PlotXY(p.pHandle, ui::GRAPHVideo, x, video, 256, kRed);
    p.rt.PlotXY(p.pHandle, ui::GRAPHVideo, x, p.thdArray.data(), 256, kDarkGreen);
}

void PlotVIDEOBarGraph(Program& p) {
    const BarGraphDrawing d = ComputeBarGraph(p);
    WriteDisplays(p);
    LampMeasured(p);
    const int bar = ui::GRAPHBar;
    p.rt.SetAxisScalingMode(p.pHandle, bar, VAL_XAXIS, VAL_MANUAL, 1.0, GraphTop(p, p.ccdsubpixel));
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
