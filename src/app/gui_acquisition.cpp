// The Run and Video loops side by side.
#include <algorithm>

#include "com232.h"
#include "gui.h"
#include "panel_ids.h"

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

void BeginLoop(Program& p, LoopKind kind, int shownGraph, int hiddenGraph) {
    p.loopRunning = true;
    p.listeners.LoopBegan(p, kind);
    p.rt.SetCtrlAttribute(p.pHandle, hiddenGraph, ATTR_VISIBLE, 0);
    p.rt.SetCtrlAttribute(p.pHandle, shownGraph, ATTR_VISIBLE, 1);
    LockAcquisition(p, 1);
    SelectTarget(p, RAM);
}

// The ending steps: only now may another loop start.
ExchangeOutcome EndLoop(Program& p, ExchangeKind kind, ExchangeOutcome how) {
    ReportOutcome(p, kind, how);
    p.listeners.LoopEnded(p, how);
    p.rx_flag = 0;
    p.graphrefresh = 0;
    LockAcquisition(p, 0);
    p.rt.SetCtrlAttribute(p.pHandle, ui::BTNAcqRelease, ATTR_DIMMED, 0);
    p.loopRunning = false;
    return how;
}

// Run packs the parameters afresh into every request.
SentRequest SendRunRequest(Program& p) {
    CopyVarsToPP(p);
    return WriteRequest(p, RUN);
}

}  // namespace

ExchangeOutcome PushRUN(Program& p) {
    BeginLoop(p, LoopKind::Run, ui::STRIPRaw, ui::GRAPHVideo);
    SentRequest request = SendRunRequest(p);
    if (p.nBytesW == FRAME_BYTES) ShowText(p, "Line Ok!");
    p.stop_flag = 0;

    ExchangeOutcome how = ExchangeOutcome::Stopped;
    for (;;) {
        // The answer is copied out of pp before the next request repacks it; that request leaves
        // before the answer is drawn, so that drawing overlaps the next exchange on the line.
        if (TakeAnswer(p, request)) {
            CopyRunResult(p);  // Kept: the answer's word 3 is the setpoint the sensor works with
            request = SendRunRequest(p);
            p.listeners.Measured(p);
            PlotVIDEOBarGraph(p);
            PlotRAWGraphX8(p);
        }
        p.tdiff = p.rt.Timer() - request.sentAt;
        if (p.tdiff > TIMEOUT) {
            how = ExchangeOutcome::TimedOut;
            p.stop_flag = 1;
            break;
        }
        p.rt.ProcessSystemEvents();
        if (p.stop_flag != 0) break;
    }
    return EndLoop(p, ExchangeKind::Run, how);
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
// and the drawing. Anything but an answer ends the loop; stop_flag is not looked at during the
// wait, so a cycle that has begun completes.
ExchangeOutcome VideoCycle(Program& p) {
    // Packed afresh as in Run: pp may hold the answer of whatever exchange ran last.
    const SentRequest request = SendRunRequest(p);
    const ExchangeOutcome outcome = AwaitOutcome(p, request);
    if (outcome != ExchangeOutcome::Answered) {
        p.stop_flag = 1;
        return outcome;
    }
    CopyRunResult(p);
    p.listeners.Measured(p);
    ReadLineImage(p);
    p.listeners.LineImage(p);
    PlotVIDEOBarGraph(p);
    PlotVIDEOCurve(p, p.adcbuf.data(), p.xArray8.data());
    return outcome;
}

}  // namespace

ExchangeOutcome PushVIDEO(Program& p) {
    BeginLoop(p, LoopKind::Video, ui::GRAPHVideo, ui::STRIPRaw);
    p.rt.SetAxisScalingMode(p.pHandle, ui::GRAPHVideo, VAL_XAXIS, VAL_MANUAL, 1.0,
                            GraphTop(p, p.ccdpixE));
    p.stop_flag = 0;
    ExchangeOutcome how = ExchangeOutcome::Stopped;
    do {
        const ExchangeOutcome cycle = VideoCycle(p);
        if (cycle != ExchangeOutcome::Answered) how = cycle;
        p.rt.ProcessSystemEvents();
    } while (p.stop_flag == 0);
    return EndLoop(p, ExchangeKind::Video, how);
}
