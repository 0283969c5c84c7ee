// Every exchange with the sensor in one place: the parameter record's read and write, Teach and
// Reset, and the Run and Video loops side by side. Each returns what happened, and the status line
// is chosen from that in one place (ReportOutcome).
#include <algorithm>

#include "com232.h"
#include "gui.h"
#include "panel_ids.h"
#include "sensor_events.h"

using namespace platform;

namespace {

// The status texts of one exchange: what the line shows when the sensor answered, and when not.
struct ExchangeTexts {
    const char* answered;
    const char* failed;
};

ExchangeTexts TextsOf(ExchangeKind kind) {
    switch (kind) {
        case ExchangeKind::Get:
            return {"Parameter-frame received! - Line Ok!", "Timeout-RS-232..."};
        case ExchangeKind::Send:
            // The sensor confirms a stored record with its answer; only that makes the line "Ok".
            return {"Line Ok!", "Timeout-RS-232..."};
        case ExchangeKind::Teach:
            return {nullptr, "Timeout-RS-232..."};  // answered: the Get that follows speaks
        case ExchangeKind::Reset:
            return {"Reset of analog-output Max/Min OK!", "Timeout-RS-232..."};
        case ExchangeKind::Run:
        case ExchangeKind::Video:
            return {nullptr, "Timeout RS232-Line!"};
    }
    return {nullptr, nullptr};
}

// Writes the request for `code` from pp as it stands and waits for its own answer. A request that
// did not leave whole is waited for only when `waitWhenShort` (Get, Teach and Reset always wait
// their time-out; Send gives up at once).
ExchangeOutcome Exchange(Program& p, int code, const char* announcement, bool waitWhenShort) {
    const SentRequest request = WriteRequest(p, code);
    const bool whole = p.nBytesW == FRAME_BYTES;
    if (!whole && !waitWhenShort) return WriteOutcome(p.nBytesW);
    if (whole && announcement != nullptr) ShowText(p, announcement);
    const ExchangeOutcome outcome = AwaitOutcome(p, request);
    return whole || outcome == ExchangeOutcome::Answered ? outcome : WriteOutcome(p.nBytesW);
}

Memory MemoryOf(int target) {
    return target == EEPROM ? Memory::Eeprom : Memory::Ram;
}

}  // namespace

void ReportOutcome(Program& p, ExchangeKind kind, ExchangeOutcome outcome) {
    const ExchangeTexts texts = TextsOf(kind);
    const char* text = outcome == ExchangeOutcome::Answered ? texts.answered : texts.failed;
    if (text == nullptr || outcome == ExchangeOutcome::Stopped) return;
    // A loop's time-out passes; an exchange's outcome stays in the status line.
    if (kind == ExchangeKind::Run || kind == ExchangeKind::Video)
        ShowText(p, text);
    else
        SetStatus(p, text);
}

ExchangeOutcome PushGET(Program& p, int target) {
    if (target != DATFILE && target != RAM && target != EEPROM) return ExchangeOutcome::NotOpen;
    if (target != DATFILE) {
        CopyVarsToPP(p);
        const ExchangeOutcome outcome = Exchange(p, target == RAM ? GET_RAM : GET_EEPROM,
                                                 "Waiting for parameter-frame ...", true);
        if (outcome != ExchangeOutcome::Answered) {
            // The panel is not redrawn: values typed but not sent stay as they are.
            ReportOutcome(p, ExchangeKind::Get, outcome);
            SensorRecordShown(p, MemoryOf(target), outcome);
            return outcome;
        }
        CopyPPtoVars(p);
        p.szStatus = TextsOf(ExchangeKind::Get).answered;
    }
    SetPanelValues(p);
    if (target == DATFILE)
        SensorFileShown(p);
    else
        SensorRecordShown(p, MemoryOf(target), ExchangeOutcome::Answered);
    ShowStatus(p);
    return ExchangeOutcome::Answered;
}

ExchangeOutcome PushSEND(Program& p, int target) {
    p.sync = 0x55;
    GetPanelValues(p);
    CopyVarsToPP(p);
    const ExchangeOutcome outcome =
        Exchange(p, target == EEPROM ? SEND_EEPROM : SEND_RAM, nullptr, false);
    ReportOutcome(p, ExchangeKind::Send, outcome);
    // Only a record the sensor confirmed counts as sent; the model says so.
    SensorRecordSent(p, MemoryOf(target), outcome, PackedRecord(p));
    return outcome;
}

ExchangeOutcome PushTEACH(Program& p) {
    // The request carries pp as it stands; the panel is not read for it.
    const u16 setpoint = p.tVal;
    const ExchangeOutcome outcome = Exchange(p, TEACH, "New setpoint value teached!", true);
    SensorTaught(p, outcome, setpoint);
    if (outcome != ExchangeOutcome::Answered) {
        ReportOutcome(p, ExchangeKind::Teach, outcome);
        return outcome;
    }
    return PushGET(p, RAM);
}

ExchangeOutcome PushRESET(Program& p) {
    const ExchangeOutcome outcome = Exchange(p, RESET_MAXMIN, "Reset Max/Min values...", true);
    ReportOutcome(p, ExchangeKind::Reset, outcome);
    SensorMaxMinReset(p, outcome);
    return outcome;
}

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
    ProbeLoopForRepeats(p);
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

void ReadLineImage(Program& p) {
    p.blockTimedOut = false;
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
