// Callbacks of the parameter controls: edge window, tolerance, threshold, target, Teach, Reset,
// Send, Get and the port selector.
#include "Tavrix-VarizA152.h"
#include "com232.h"
#include "edit_marks.h"
#include "gui.h"
#include "panel_ids.h"

using namespace platform;

namespace {

int OnTargetButton(void* callbackData, int event, int button, int buttonTarget) {
    if (event != EVENT_VAL_CHANGED) return 0;
    Program& p = ProgramOf(callbackData);
    int on = 0;
    p.rt.GetCtrlVal(p.pHandle, button, on);
    // Switching a button off falls back to RAM: RAM cannot be switched off by itself.
    SelectTarget(p, on == 1 ? buttonTarget : RAM);
    return 0;
}

}  // namespace

int CC_NEDITEdgeLeft(int, int, int event, void* callbackData, int, int) {
    if (event != EVENT_COMMIT) return 0;
    Program& p = ProgramOf(callbackData);
    u16 v = 0;
    p.rt.GetCtrlVal(p.pHandle, ui::NEDITEdgeLeft, v);
    if (v < p.pixB) p.eBeg = v = p.pixB;
    if (v > p.pixE) p.eBeg = v = static_cast<u16>(p.pixE - 1);
    p.rt.SetCtrlVal(p.pHandle, ui::NEDITEdgeLeft, int{v});
    p.rt.SetGraphCursor(p.pHandle, ui::GRAPHBar, 2, v, 1.0);
    EditMarksValueChanged(p);
    return 0;
}

int CC_NEDITEdgeRight(int, int, int event, void* callbackData, int, int) {
    if (event != EVENT_COMMIT) return 0;
    Program& p = ProgramOf(callbackData);
    u16 v = 0;
    p.rt.GetCtrlVal(p.pHandle, ui::NEDITEdgeRight, v);
    if (v > p.pixE) p.eEnd = v = p.pixE;
    if (v < p.pixB) p.eEnd = v = static_cast<u16>(p.pixB + 1);
    p.rt.SetCtrlVal(p.pHandle, ui::NEDITEdgeRight, int{v});
    p.rt.SetGraphCursor(p.pHandle, ui::GRAPHBar, 3, v, 1.0);
    EditMarksValueChanged(p);
    return 0;
}

int CC_NEDITTolerance(int, int, int event, void* callbackData, int, int) {
    if (event != EVENT_VAL_CHANGED) return 0;
    Program& p = ProgramOf(callbackData);
    u16 v = 0;
    p.rt.GetCtrlVal(p.pHandle, ui::NEDITTolerance, v);
    p.rt.SetCtrlVal(p.pHandle, ui::NUMTolerance, int{v});
    EditMarksValueChanged(p);
    return 0;
}

int CC_NUMVideoThreshold(int, int, int event, void* callbackData, int, int) {
    if (event != EVENT_VAL_CHANGED) return 0;
    Program& p = ProgramOf(callbackData);
    u16 v = 0;
    p.rt.GetCtrlVal(p.pHandle, ui::NUMVideoThreshold, v);
    p.thdArray.fill(v);
    PlotVIDEOCurve(p, p.adcbuf.data(), p.xArray8.data());
    EditMarksValueChanged(p);
    return 0;
}

// What is shown is what is sent: the value snaps to the sensor's 1/1024 steps when it is entered.
int CC_NUMCorr(int, int, int event, void* callbackData, int, int) {
    if (event != EVENT_COMMIT) return 0;
    Program& p = ProgramOf(callbackData);
    double corr = 0.0;
    p.rt.GetCtrlVal(p.pHandle, ui::NUMCorr, corr);
    const double snapped = SnapCorr(corr);
    if (snapped != corr) p.rt.SetCtrlVal(p.pHandle, ui::NUMCorr, snapped);
    EditMarksValueChanged(p);
    return 0;
}

int CC_RBTRam(int, int, int event, void* data, int, int) {
    return OnTargetButton(data, event, ui::RBTRam, RAM);
}
int CC_RBTEeprom(int, int, int event, void* data, int, int) {
    return OnTargetButton(data, event, ui::RBTEeprom, EEPROM);
}
int CC_RBTFile(int, int, int event, void* data, int, int) {
    return OnTargetButton(data, event, ui::RBTFile, DATFILE);
}

int CC_ButtonTeach(int, int, int event, void* callbackData, int, int) {
    if (event == EVENT_COMMIT) PushTEACH(ProgramOf(callbackData));
    return 0;
}

int CC_ButtonReset(int, int, int event, void* callbackData, int, int) {
    if (event == EVENT_COMMIT) PushRESET(ProgramOf(callbackData));
    return 0;
}

// Kept: Send acts the moment the mouse goes down on it, as the people at the line are used to.
int CC_BTNSend(int, int, int event, void* callbackData, int, int) {
    if (event != EVENT_LEFT_CLICK) return 0;
    Program& p = ProgramOf(callbackData);
    ShowText(p, "Transmit...");
    if (p.target != DATFILE)
        PushSEND(p, p.target);
    else if (ParaFilePopup(p, SAVE_POPUP) > 0)
        SendParaToFile(p);
    return 0;
}

int CC_BTNGet(int, int, int event, void* callbackData, int, int) {
    if (event != EVENT_COMMIT) return 0;
    Program& p = ProgramOf(callbackData);
    // A file refused or not chosen leaves the panel as it is, unsent edits included.
    if (p.target != DATFILE || ReadParaFromFile(p)) PushGET(p, p.target);
    return 0;
}

int CC_DropDCom(int, int, int event, void* callbackData, int, int) {
    Program& p = ProgramOf(callbackData);
    PortSelectorEvent(p, event);
    if (event != EVENT_COMMIT && event != EVENT_VAL_CHANGED) return 0;
    p.stop_flag = 1;
    p.rs.CloseCom(p.com);
    p.rt.GetCtrlVal(p.pHandle, ui::DropDCom, p.com);
    ShowText(p, "Init COM-Port ...");
    InitRS232(p, p.com);
    // Identification makes RAM the target; the buttons must not go on showing EEPROM or File.
    SelectTarget(p, p.target);
    return 0;
}
