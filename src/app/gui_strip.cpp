// The strip chart of the last 100 measurements, at eight-fold resolution.
#include "arrayops.h"
#include "gui.h"
#include "panel_ids.h"

using namespace platform;

namespace {

constexpr int kGroups = 100;
constexpr int kTraces = 5;
constexpr int kWindow = kGroups * kTraces;  // arrayNORM's size
constexpr int kTraceColors[kTraces] = {0x008000, 0x008000, 0x000000, 0xFF0000, 0xFF0000};

int AnalogueValue(const State& s) {
    switch (s.anaMode) {
        case 0:
        case 1:
        case 4:
        case 7:
            return s.Mvalue;
        case 2:
        case 5:
            return s.anaMax;
        case 3:
        case 6:
            return s.anaMin == s.ccdmaxpixelX8 - 1 ? 1 : s.anaMin;
        default:
            return 0;
    }
}

}  // namespace

RawGroup ComputeRawGroup(const State& s) {
    const int tVal = s.tVal, tol = s.tol, mvalue = s.Mvalue, top = s.ccdmaxpixelX8 - 1;
    RawGroup g{};
    g.analogue = AnalogueValue(s);
    g.upper = tVal + tol;
    g.lower = tVal - tol;
    if (g.upper > top) g.upper = top;
    if (g.lower < 1) g.lower = 0;
    g.setpoint = tVal;
    g.measured = mvalue;

    const int halfRange = tol < 10 ? 20 : 2 * tol;
    g.zoomBottom = tVal - halfRange;
    g.zoomTop = tVal + halfRange;
    if (mvalue > g.zoomTop) g.zoomTop = mvalue + 10;
    if (mvalue < g.zoomBottom) g.zoomBottom = mvalue - 10;
    if (g.zoomTop > top) g.zoomTop = top;
    if (g.zoomBottom < 1) g.zoomBottom = 1;
    return g;
}

void PlotRAWGraphX8(Program& p) {
    const RawGroup g = ComputeRawGroup(p);
    Shift(p.arrayNORM.data(), kWindow, -kTraces, p.arrayNORM.data());
    double* newest = p.arrayNORM.data() + kWindow - kTraces;
    newest[0] = g.upper;
    newest[1] = g.lower;
    newest[2] = g.setpoint;
    newest[3] = g.measured;
    newest[4] = g.analogue;

    const int strip = ui::STRIPRaw;
    p.rt.SetCtrlAttribute(p.pHandle, strip, ATTR_POINTS_PER_SCREEN, kGroups + 1);
    p.rt.SetCtrlAttribute(p.pHandle, strip, ATTR_STRIP_WINDOW_MODE, 1);
    int zoom = 0;
    p.rt.GetCtrlVal(p.pHandle, ui::BINSW_Zoom, zoom);
    if (zoom == 0)
        p.rt.SetAxisScalingMode(p.pHandle, strip, VAL_LEFT_YAXIS, VAL_MANUAL, 0.0, p.ccdmaxpixelX8);
    else
        p.rt.SetAxisScalingMode(p.pHandle, strip, VAL_LEFT_YAXIS, VAL_MANUAL, g.zoomBottom,
                                g.zoomTop);
    for (int trace = 1; trace <= kTraces; ++trace)
        p.rt.SetTraceAttribute(p.pHandle, strip, trace, ATTR_TRACE_COLOR, kTraceColors[trace - 1]);
    p.rt.SetCtrlAttribute(p.pHandle, strip, ATTR_NUM_TRACES, kTraces);
    p.rt.PlotStripChart(p.pHandle, strip, p.arrayNORM.data(), kWindow, 0, 0);
}
