// Run, Video and Stop.
#include "Tavrix-VarizA152.h"
#include "com232.h"
#include "gui.h"
#include "panel_ids.h"
#include "workbench.h"

using namespace platform;

namespace {

// Sends the measurement request with pp as it stands (the previous answer from the second cycle
// on) and waits for the answer. A time-out shows its text and ends the loop; stop_flag is not
// looked at during this wait. An answer taken in during the pass that reaches the time-out is
// still used by the cycle.
bool RequestMeasurement(Program& p) {
    SendFrame(p, p.com, RUN);
    while (p.rx_flag != 1) {
        p.rt.ProcessSystemEvents();
        p.tdiff = p.rt.Timer() - p.tstart;
        if (p.tdiff > TIMEOUT) {
            ShowText(p, "Timeout RS232-Line!");
            p.stop_flag = 1;
            break;
        }
    }
    return p.rx_flag == 1;
}

// Reads the line image with the receive callback removed, so the raw block stays in the queue.
void ReadLineImage(Program& p) {
    RemoveRxCallback(p);
    p.rs.FlushInQ(p.com);
    p.rs.FlushOutQ(p.com);
    if (p.pcbtype == 0 || p.pcbtype == 100) {
        ReadData64(p, 0, 0);
        ReadData64(p, 64, 0);
        ReadData64(p, 128, 0);
        ReadData64(p, 192, 1);
    } else {
        ReadData256(p);
    }
    InstallRxCallback(p);
}

void VideoCycle(Program& p) {
    if (!RequestMeasurement(p)) return;
    CopyRunResult(p);
    WorkbenchMeasurement(p);
    ReadLineImage(p);
    WorkbenchLineImage(p);
    PlotVIDEOBarGraph(p);
    PlotVIDEOCurve(p, p.adcbuf.data(), p.xArray8.data());
}

}  // namespace

int CC_BTNRun(int, int, int event, void* callbackData, int, int) {
    if (event != EVENT_COMMIT) return 0;
    PushRUN(ProgramOf(callbackData));
    return 0;
}

int CC_BTNVideo(int, int, int event, void* callbackData, int, int) {
    if (event != EVENT_COMMIT) return 0;
    Program& p = ProgramOf(callbackData);
    p.rt.SetCtrlAttribute(p.pHandle, ui::STRIPRaw, ATTR_VISIBLE, 0);
    p.rt.SetCtrlAttribute(p.pHandle, ui::GRAPHVideo, ATTR_VISIBLE, 1);
    LockAcquisition(p, 1);
    SelectRamTarget(p);
    p.rt.SetAxisScalingMode(p.pHandle, ui::GRAPHVideo, VAL_XAXIS, VAL_MANUAL, 1.0, p.ccdpixE);
    p.stop_flag = 0;
    WorkbenchLoopBegins(p);
    do {
        VideoCycle(p);
        p.rt.ProcessSystemEvents();
    } while (p.stop_flag == 0);
    WorkbenchLoopEnds(p);

    LockAcquisition(p, 0);
    p.rt.SetCtrlAttribute(p.pHandle, ui::BTNAcqRelease, ATTR_DIMMED, 0);
    InstallRxCallback(p);
    p.rs.FlushOutQ(p.com);
    p.rs.FlushInQ(p.com);
    return 0;
}

int CC_BTNStop(int, int, int event, void* callbackData, int, int) {
    if (event != EVENT_LEFT_CLICK) return 0;
    Program& p = ProgramOf(callbackData);
    p.stop_flag = 1;
    p.rt.SetCtrlAttribute(p.pHandle, ui::BTNAcqLockB, ATTR_DIMMED, 0);
    p.rt.SetCtrlAttribute(p.pHandle, ui::BTNAcqLockA, ATTR_DIMMED, 0);
    return 0;
}
