// Panel value exchange: the parameter set between the panel and the state.
#include "gui.h"
#include "panel_ids.h"
#include "records.h"

using namespace platform;

namespace {

constexpr int kGrey = 0xA0A0A0;
constexpr int kGreen = 0x00FF00;

}  // namespace

void GetPanelValues(Program& p) {
    ReadPanelValues(p, p);
}

void ReadPanelValues(const Program& p, State& into) {
    for (const RecordWord& w : kParameterRecord)
        if (w.shown) p.rt.GetCtrlVal(p.pHandle, w.control, into.*w.member);
    double corr = 0.0;
    p.rt.GetCtrlVal(p.pHandle, ui::NUMCorr, corr);
    into.corrX1024 = CorrToFixed(corr);
}

void SetPanelValues(Program& p) {
    ApplyParameterLimits(p);
    for (const RecordWord& w : kParameterRecord)
        if (w.shown) p.rt.SetCtrlVal(p.pHandle, w.control, static_cast<int>(p.*w.member));
    p.rt.SetCtrlVal(p.pHandle, ui::NUMTolerance, static_cast<int>(p.tTol));
    p.rt.SetCtrlVal(p.pHandle, ui::NUMCorr, CorrFromFixed(p.corrX1024));
    p.rt.SetCtrlAttribute(p.pHandle, ui::NUMRightMaxX, ATTR_DIMMED, p.opMode == 1 ? 0 : 1);

    p.thdArray.fill(p.vThd);
    p.rt.SetAxisScalingMode(p.pHandle, ui::GRAPHBar, VAL_XAXIS, VAL_MANUAL, 1.0,
                            GraphTop(p, p.ccdpixE));
    PlotVIDEOCurve(p, p.adcbuf.data(), p.xArray8.data());

    p.rt.SetGraphCursor(p.pHandle, ui::GRAPHBar, 2, p.eBeg, 0.75);
    p.rt.SetGraphCursor(p.pHandle, ui::GRAPHBar, 3, p.eEnd, 0.75);
    p.rt.PlotRectangle(p.pHandle, ui::GRAPHBar, 0.0, 0.0, p.ccdmaxpixelX8, 1.0, kGrey, kGrey);
    const int left = static_cast<int>(p.tVal) - static_cast<int>(p.tTol);
    const int right = static_cast<int>(p.tVal) + static_cast<int>(p.tTol);
    p.rt.PlotRectangle(p.pHandle, ui::GRAPHBar, left, 0.0, right, 0.25, kGreen, kGreen);
}
