// The Run and Video loops side by side.
#include <algorithm>

#include "com232.h"
#include "gui.h"
#include "panel_ids.h"
#include "tolerance_lamp.h"
#include "workbench.h"

using namespace platform;

void SelectTarget(Program& p, int target) {
    p.rt.SetCtrlVal(p.pHandle, ui::RBTRam, target == RAM ? 1 : 0);
    p.rt.SetCtrlVal(p.pHandle, ui::RBTEeprom, target == EEPROM ? 1 : 0);
    p.rt.SetCtrlVal(p.pHandle, ui::RBTFile, target == DATFILE ? 1 : 0);
    p.target = target;
}

void LockAcquisition(Program& p, int dimmed) {
    p.rt.SetCtrlAttribute(p.pHandle, ui::BTNAcqLockA, ATTR_DIMMED, dimmed);
    p.rt.SetCtrlAttribute(p.pHandle, ui::BTNAcqLockB, ATTR_DIMMED, dimmed);
}

namespace {

// Each measurement taken in goes on to what records or counts measurements: one call.
void HandOnMeasurement(Program& p) {
    WorkbenchMeasurement(p);
    if (p.measured) p.measured(p);
}

void BeginLoop(Program& p, int shownGraph, int hiddenGraph) {
    p.loopRunning = true;
    WorkbenchLoopBegins(p);
    p.rt.SetCtrlAttribute(p.pHandle, hiddenGraph, ATTR_VISIBLE, 0);
    p.rt.SetCtrlAttribute(p.pHandle, shownGraph, ATTR_VISIBLE, 1);
    LockAcquisition(p, 1);
    SelectTarget(p, RAM);
}

// The ending steps: only now may another loop start.
void EndLoop(Program& p) {
    WorkbenchLoopEnds(p);
    LampLoopEnded(p);
    p.rx_flag = 0;
    p.graphrefresh = 0;
    LockAcquisition(p, 0);
    p.rt.SetCtrlAttribute(p.pHandle, ui::BTNAcqRelease, ATTR_DIMMED, 0);
    p.loopRunning = false;
}

// Run packs the parameters afresh into every request.
SentRequest SendRunRequest(Program& p) {
    CopyVarsToPP(p);
    return WriteRequest(p, RUN);
}

}  // namespace

void PushRUN(Program& p) {
    BeginLoop(p, ui::STRIPRaw, ui::GRAPHVideo);
    SentRequest request = SendRunRequest(p);
    if (p.nBytesW == FRAME_BYTES) ShowText(p, "Line Ok!");
    p.stop_flag = 0;

    for (;;) {
        // The answer is copied out of pp before the next request repacks it; that request leaves
        // before the answer is drawn, so that drawing overlaps the next exchange on the line.
        if (TakeAnswer(p, request)) {
            CopyRunResult(p);  // Kept: the answer's word 3 is the setpoint the sensor works with
            request = SendRunRequest(p);
            HandOnMeasurement(p);
            PlotVIDEOBarGraph(p);
            PlotRAWGraphX8(p);
        }
        p.tdiff = p.rt.Timer() - request.sentAt;
        if (p.tdiff > TIMEOUT) {
            ShowText(p, "Timeout RS232-Line!");
            p.stop_flag = 1;
            break;
        }
        p.rt.ProcessSystemEvents();
        if (p.stop_flag != 0) break;
    }
    EndLoop(p);
}

namespace {

// Bytes that still arrive after the measurement answer (a repeated answer, say) would be read as
// the start of the line image: wait until the line has been quiet for a few byte times.
void AwaitQuietLine(Program& p) {
    const double quiet = std::max(4 * p.rs.ByteSeconds(p.com), 0.002);
    const double end = p.rt.Timer() + 2 * FRAME_BYTES * p.rs.ByteSeconds(p.com) + quiet;
    for (;;) {
        PumpReceived(p);
        const double now = p.rt.Timer();
        if (now > end) return;
        if (!p.router.FramePending() && now - p.router.LastArrival() > quiet) return;
        p.rt.ProcessSystemEvents();
    }
}

void ReadLineImage(Program& p) {
    p.blockTimedOut = false;
    AwaitQuietLine(p);
    if (p.pcbtype == 0 || p.pcbtype == 100) {
        ReadData64(p, 0, 0);
        ReadData64(p, 64, 0);
        ReadData64(p, 128, 0);
        ReadData64(p, 192, 1);
    } else {
        ReadData256(p);
    }
}

// One Video cycle: a measurement request with the parameters in force, its answer, the line image
// and the drawing. A time-out shows its text and ends the loop; stop_flag is not looked at during the
// wait, so a cycle that has begun completes.
void VideoCycle(Program& p) {
    // Packed afresh as in Run: pp may hold the answer of whatever exchange ran last.
    const SentRequest request = SendRunRequest(p);
    if (!AwaitAnswer(p, request)) {
        ShowText(p, "Timeout RS232-Line!");
        p.stop_flag = 1;
        return;
    }
    CopyRunResult(p);
    HandOnMeasurement(p);
    ReadLineImage(p);
    WorkbenchLineImage(p);
    PlotVIDEOBarGraph(p);
    PlotVIDEOCurve(p, p.adcbuf.data(), p.xArray8.data());
}

}  // namespace

void PushVIDEO(Program& p) {
    BeginLoop(p, ui::GRAPHVideo, ui::STRIPRaw);
    p.rt.SetAxisScalingMode(p.pHandle, ui::GRAPHVideo, VAL_XAXIS, VAL_MANUAL, 1.0,
                            GraphTop(p, p.ccdpixE));
    p.stop_flag = 0;
    do {
        VideoCycle(p);
        p.rt.ProcessSystemEvents();
    } while (p.stop_flag == 0);
    EndLoop(p);
}
