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

}  // namespace

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
