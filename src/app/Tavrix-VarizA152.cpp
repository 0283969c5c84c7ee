#include "Tavrix-VarizA152.h"

#include "close_guard.h"
#include "com232.h"
#include "edit_marks.h"
#include "gui.h"
#include "logo.h"
#include "panel_ids.h"
#include "sensor_view.h"
#include "tolerance_lamp.h"
#include "workbench.h"

using namespace platform;

namespace {

void AssignDefaults(State& s) {
    s.power = 500, s.pMode = 0, s.vThd = 512, s.anaMode = 0, s.polarity = 1, s.eMode = 1;
    s.eBeg = 1, s.eEnd = 1024, s.tVal = 512, s.tTol = 100, s.hwMode = 1;
    s.pixB = 1, s.pixE = 1024, s.pixEBase = 1024, s.leftMax = 1, s.rightMax = 1, s.rightMaxX = 1;
    s.com = 1, s.sync = 0x55, s.order = 1, s.target = RAM, s.rx_flag = 0, s.stop_flag = 1;
    s.ccdmaxpixel = 1024, s.ccdmaxpixelX8 = 8192, s.pcbtype = 0, s.corrX1024 = 1024;
}

}  // namespace

void InitVars(Program& p) {
    AssignDefaults(p);
    SetStatus(p, "InitVars");
    p.szSoftVersion = "V.1.52";
    p.szSoftName = "Tavrix-Didor";
    ShowLogo(p, 2);
    GetPanelValues(p);  // from here on the parameters are the panel's

    const int bar = ui::GRAPHBar;
    // Axes that show the start-up band and cursors before, or without, a sensor.
    p.rt.SetAxisScalingMode(p.pHandle, bar, VAL_XAXIS, VAL_MANUAL, 1.0, GraphTop(p, p.ccdpixE));
    p.rt.SetAxisScalingMode(p.pHandle, ui::GRAPHVideo, VAL_XAXIS, VAL_MANUAL, 1.0,
                            GraphTop(p, p.ccdsubpixel));
    p.rt.SetAxisScalingMode(p.pHandle, ui::GRAPHVideo, VAL_LEFT_YAXIS, VAL_MANUAL, 0.0, p.YAXISMAX);
    p.rt.DeleteGraphPlot(p.pHandle, bar, -1, VAL_DELAYED_DRAW);
    p.rt.SetGraphCursor(p.pHandle, bar, 1, p.tVal, 1.0);
    p.rt.SetGraphCursor(p.pHandle, bar, 2, p.eBeg, 1.0);
    p.rt.SetGraphCursor(p.pHandle, bar, 3, p.eEnd, 1.0);
    const int left = static_cast<int>(p.tVal) - static_cast<int>(p.tTol);
    const int right = static_cast<int>(p.tVal) + static_cast<int>(p.tTol);
    p.rt.PlotRectangle(p.pHandle, bar, left, 0.0, right, 0.25, 0x00FF00, 0x00FF00);
    p.thdArray.fill(p.vThd);
}

void FillPortList(Program& p) {
    StartPortWatch(p);
}

void InstallCallbacks(Program& p) {
    struct Binding {
        int ctrl;
        CtrlCallback cb;
    };
    const Binding bindings[] = {
        {ui::TOGGBTN_ParaII, CC_TOGGBTN_ParaII},
        {ui::BINSW_OpMode, CC_BINSW_OpMode},
        {ui::NEDITEdgeLeft, CC_NEDITEdgeLeft},
        {ui::NEDITEdgeRight, CC_NEDITEdgeRight},
        {ui::NEDITTolerance, CC_NEDITTolerance},
        {ui::NUMVideoThreshold, CC_NUMVideoThreshold},
        {ui::NUMCorr, CC_NUMCorr},
        {ui::RBTRam, CC_RBTRam},
        {ui::RBTEeprom, CC_RBTEeprom},
        {ui::RBTFile, CC_RBTFile},
        {ui::ButtonTeach, CC_ButtonTeach},
        {ui::ButtonReset, CC_ButtonReset},
        {ui::BTNSend, CC_BTNSend},
        {ui::BTNGet, CC_BTNGet},
        {ui::DropDCom, CC_DropDCom},
        {ui::BTNRun, CC_BTNRun},
        {ui::BTNVideo, CC_BTNVideo},
        {ui::BTNStop, CC_BTNStop},
    };
    for (const auto& b : bindings)
        p.rt.InstallCtrlCallback(p.pHandle, b.ctrl, b.cb, &p);
    p.rt.InstallPanelCallback(p.pHandle, CC_PANEL, &p);
    if (p.pPopup > 0) p.rt.InstallPanelCallback(p.pPopup, CC_POPUP, &p);
}

int StartProgram(Program& p) {
    p.pHandle = p.rt.LoadPanel(0, ui::kPanelFile, ui::kMainPanelName);
    if (p.pHandle < 0) return -1;
    // Without the second panel the program still works; its toggle then shows nothing.
    p.pPopup = p.rt.LoadPanel(0, ui::kPanelFile, ui::kPopupPanelName);
    p.proj_dir = p.rt.GetProjectDir();
    InstallCallbacks(p);
    OpenWorkbench(p);
    OpenToleranceLamp(p);
    InitVars(p);
    OpenEditMarks(p);
    OpenSensorView(p);
    FillPortList(p);
    InitRS232(p, p.com);
    GuardSessionEnd(p);
    OfferRecovery(p);
    p.rt.DisplayPanel(p.pHandle);
    return 0;
}

void EndProgram(Program& p) {
    StopGuardingSessionEnd();
    StopPortWatch(p);
    p.rs.CloseCom(p.com);
    p.rt.DiscardPanel(p.pHandle);
}

int WinMain(void* /*hInstance*/, void* /*hPrevInstance*/, char* /*lpszCmdLine*/, int /*nCmdShow*/) {
    Toolkit toolkit;
    if (!toolkit.ok()) return -1;
    Engine engine;
    Rs232 ports(engine);
    Program p(engine, ports);
    if (StartProgram(p) < 0) return -1;
    engine.RunUserInterface();
    EndProgram(p);
    return 0;
}

int CC_PANEL(int /*panel*/, int event, void* callbackData, int, int) {
    if (event != EVENT_CLOSE) return 0;
    RequestClose(ProgramOf(callbackData));
    return 0;
}

int CC_POPUP(int /*panel*/, int event, void* callbackData, int, int) {
    if (event != EVENT_CLOSE) return 0;
    Program& p = ProgramOf(callbackData);
    p.rt.HidePanel(p.pPopup);
    p.rt.SetCtrlVal(p.pHandle, ui::TOGGBTN_ParaII, 0);
    return 0;
}

int CC_TOGGBTN_ParaII(int, int, int event, void* callbackData, int, int) {
    if (event != EVENT_COMMIT) return 0;
    Program& p = ProgramOf(callbackData);
    int shown = 0;
    p.rt.GetCtrlVal(p.pHandle, ui::TOGGBTN_ParaII, shown);
    if (shown == 0)
        p.rt.HidePanel(p.pPopup);
    else
        p.rt.DisplayPanel(p.pPopup);
    return 0;
}

int CC_BINSW_OpMode(int, int, int event, void* callbackData, int, int) {
    if (event != EVENT_COMMIT) return 0;
    Program& p = ProgramOf(callbackData);
    u16 mode = 0;
    p.rt.GetCtrlVal(p.pHandle, ui::BINSW_OpMode, mode);
    p.rt.SetCtrlAttribute(p.pHandle, ui::NUMRightMaxX, ATTR_DIMMED, mode == 1 ? 0 : 1);
    EditMarksValueChanged(p);
    return 0;
}
