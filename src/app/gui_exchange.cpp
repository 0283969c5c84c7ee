// The parameter read and the Run loop.
#include "com232.h"
#include "gui.h"
#include "panel_ids.h"
#include "workbench.h"

using namespace platform;

void SelectRamTarget(Program& p) {
    p.rt.SetCtrlVal(p.pHandle, ui::RBTRam, 1);
    p.target = RAM;
    p.rt.SetCtrlVal(p.pHandle, ui::RBTEeprom, 0);
    p.rt.SetCtrlVal(p.pHandle, ui::RBTFile, 0);
}

void LockAcquisition(Program& p, int dimmed) {
    p.rt.SetCtrlAttribute(p.pHandle, ui::BTNAcqLockA, ATTR_DIMMED, dimmed);
    p.rt.SetCtrlAttribute(p.pHandle, ui::BTNAcqLockB, ATTR_DIMMED, dimmed);
}

void PushGET(Program& p, int target) {
    if (target != DATFILE) {
        if (target == RAM) p.order = GET_RAM;
        if (target == EEPROM) p.order = GET_EEPROM;
        CopyVarsToPP(p);
        if (SendFrame(p, p.com, p.order) == FRAME_BYTES)
            ShowText(p, "Waiting for parameter-frame ...");
        // Only the answer to this request may replace the parameters: a late answer to an earlier
        // request (e.g. the last one of a Run loop) or a frame shifted by stray bytes would
        // otherwise overwrite the user's parameter set with measurement or garbage words.
        if (AwaitAnswerTo(p, p.order)) {
            GetRxBuf(p, PNUM);
            CopyPPtoVars(p);
            p.szStatus = "Parameter-frame received! - Line Ok!";
        } else {
            p.szStatus = "Timeout-RS-232...";
        }
    }
    SetPanelValues(p);
    ShowStatus(p);
}

namespace {

// Packs the parameters afresh into pp and sends the measurement request.
int SendRunRequest(Program& p) {
    CopyVarsToPP(p);
    return SendFrame(p, p.com, RUN);
}

}  // namespace

void PushRUN(Program& p) {
    p.rt.SetCtrlAttribute(p.pHandle, ui::GRAPHVideo, ATTR_VISIBLE, 0);
    p.rt.SetCtrlAttribute(p.pHandle, ui::STRIPRaw, ATTR_VISIBLE, 1);
    LockAcquisition(p, 1);
    SelectRamTarget(p);

    if (SendRunRequest(p) == FRAME_BYTES) ShowText(p, "Line Ok!");
    p.tstart = p.rt.Timer();
    p.stop_flag = 0;
    p.graphrefresh = 0;
    WorkbenchLoopBegins(p);

    for (;;) {
        // The answer is copied out of pp before the next request repacks it; that request leaves
        // before the answer is drawn, so that drawing overlaps the next exchange on the line.
        const bool draw = p.graphrefresh == 1;
        if (draw) CopyRunResult(p);
        if (p.rx_flag == 1) SendRunRequest(p);
        if (draw) {
            WorkbenchMeasurement(p);
            PlotVIDEOBarGraph(p);
            PlotRAWGraphX8(p);
            p.graphrefresh = 0;
        }
        p.tdiff = p.rt.Timer() - p.tstart;
        if (p.tdiff > TIMEOUT) {
            ShowText(p, "Timeout RS232-Line!");
            p.stop_flag = 1;
            break;
        }
        p.rt.ProcessSystemEvents();
        if (p.stop_flag != 0) break;
    }

    WorkbenchLoopEnds(p);
    p.rx_flag = 0;
    p.rs.FlushInQ(p.com);
    p.rs.FlushOutQ(p.com);
    p.graphrefresh = 0;
    LockAcquisition(p, 0);
    p.rt.SetCtrlAttribute(p.pHandle, ui::BTNAcqRelease, ATTR_DIMMED, 0);
}
