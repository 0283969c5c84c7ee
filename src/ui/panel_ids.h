// Identifiers of the panels and controls in "Tavrix-VarizA152.ui".
// A control's identifier indexes kControlNames, which holds its object name in the panel file.
#pragma once

namespace ui {

// Panel names inside the panel file (top-level children of the file's root widget).
inline constexpr const char* kPanelFile = "Tavrix-VarizA152.ui";
inline constexpr const char* kMainPanelName = "PANEL";
inline constexpr const char* kPopupPanelName = "POPUP";

enum Ctrl : int {
    BTNRun = 1,
    BTNVideo,
    BTNStop,
    BTNSend,
    BTNGet,
    ButtonTeach,
    ButtonReset,
    RBTRam,
    RBTEeprom,
    RBTFile,
    DropDCom,
    NUMPower,
    NUMPMode,
    NUMVideoThreshold,
    NUMAnaMode,
    NUMPolarity,
    NUMEMode,
    NUMTVal,
    NUMHwMode,
    NUMAverage,
    NUMCorr,
    NEDITEdgeLeft,
    NEDITEdgeRight,
    NEDITTolerance,
    BINSW_OpMode,
    TOGGBTN_ParaII,
    NUMLedge,
    NUMRedge,
    NUMMvalue,
    NUMMvalue2,
    NUMPeakD,
    NUMTolerance,
    NUMAnaMax,
    NUMAnaMin,
    NUMLeftMax,
    NUMRightMax,
    NUMRightMaxX,
    CTRLAnaOutput,
    GRAPHVideo,
    GRAPHBar,
    STRIPRaw,
    BINSW_Zoom,
    TEXTStatus,
    DECOLogo,
    PICLogo,
    kCtrlCount  // one past the last identifier; controls made by NewCtrl get identifiers from here
};

// The acquisition-lock roles are carried by the acquisition buttons themselves: Run and Video are
// dimmed while a loop runs, and Stop is the control released when a loop ends.
inline constexpr int BTNAcqLockA = BTNRun;
inline constexpr int BTNAcqLockB = BTNVideo;
inline constexpr int BTNAcqRelease = BTNStop;

// Object names in the panel file, indexed by identifier (index 0 is unused).
inline constexpr const char* kControlNames[kCtrlCount] = {
    "",
    "BTNRun",
    "BTNVideo",
    "BTNStop",
    "BTNSend",
    "BTNGet",
    "ButtonTeach",
    "ButtonReset",
    "RBTRam",
    "RBTEeprom",
    "RBTFile",
    "DropDCom",
    "NUMPower",
    "NUMPMode",
    "NUMVideoThreshold",
    "NUMAnaMode",
    "NUMPolarity",
    "NUMEMode",
    "NUMTVal",
    "NUMHwMode",
    "NUMAverage",
    "NUMCorr",
    "NEDITEdgeLeft",
    "NEDITEdgeRight",
    "NEDITTolerance",
    "BINSW_OpMode",
    "TOGGBTN_ParaII",
    "NUMLedge",
    "NUMRedge",
    "NUMMvalue",
    "NUMMvalue2",
    "NUMPeakD",
    "NUMTolerance",
    "NUMAnaMax",
    "NUMAnaMin",
    "NUMLeftMax",
    "NUMRightMax",
    "NUMRightMaxX",
    "CTRLAnaOutput",
    "GRAPHVideo",
    "GRAPHBar",
    "STRIPRaw",
    "BINSW_Zoom",
    "TEXTStatus",
    "DECOLogo",
    "PICLogo",
};

}  // namespace ui
