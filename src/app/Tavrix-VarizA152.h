// The main module: program entry, start-up values and the callbacks of the main panel.
// Every callback acts on its own event code(s), returns 0 and ignores every other event; the
// callback data is the Program.
#pragma once

#include "program.h"

// Program entry (the command line is ignored): -1 when the toolkit or the main panel cannot be
// started, 0 after the main panel was closed.
int WinMain(void* hInstance, void* hPrevInstance, char* lpszCmdLine, int nCmdShow);

// Start-up without the event loop: loads both panels from the panel file in the program's
// directory, installs the callbacks, gives every variable its start value, opens the port and
// identifies the sensor, then shows the main panel. -1 when the main panel cannot be loaded.
int StartProgram(Program& p);
// The end after the event loop: closes the port and discards the main panel.
void EndProgram(Program& p);
void InitVars(Program& p);
void InstallCallbacks(Program& p);
// Fills the port selector with the ports that can be chosen, selects `com` and from then on keeps
// the list up to date with the hardware (port_watch.h).
void FillPortList(Program& p);

// --- Main and second panel ---
int CC_PANEL(int panel, int event, void* callbackData, int eventData1, int eventData2);
int CC_POPUP(int panel, int event, void* callbackData, int eventData1, int eventData2);
int CC_TOGGBTN_ParaII(int panel, int control, int event, void* callbackData, int eventData1,
                      int eventData2);
int CC_BINSW_OpMode(int panel, int control, int event, void* callbackData, int eventData1,
                    int eventData2);

// --- Parameter controls ---
#define TAVRIX_CTRL_CALLBACK(name) \
    int name(int panel, int control, int event, void* callbackData, int eventData1, int eventData2)
TAVRIX_CTRL_CALLBACK(CC_NEDITEdgeLeft);      // EVENT_COMMIT: limit to pixB..pixE, cursor 2
TAVRIX_CTRL_CALLBACK(CC_NEDITEdgeRight);     // EVENT_COMMIT: limit to pixB..pixE, cursor 3
TAVRIX_CTRL_CALLBACK(CC_NEDITTolerance);     // EVENT_VAL_CHANGED: mirror into NUMTolerance
TAVRIX_CTRL_CALLBACK(CC_NUMVideoThreshold);  // EVENT_VAL_CHANGED: redraw the threshold line
TAVRIX_CTRL_CALLBACK(CC_NUMCorr);            // EVENT_COMMIT: snap to the sensor's 1/1024 steps
TAVRIX_CTRL_CALLBACK(CC_RBTRam);             // EVENT_VAL_CHANGED: target selection
TAVRIX_CTRL_CALLBACK(CC_RBTEeprom);
TAVRIX_CTRL_CALLBACK(CC_RBTFile);
TAVRIX_CTRL_CALLBACK(CC_ButtonTeach);  // EVENT_COMMIT: teach, then read the record back
TAVRIX_CTRL_CALLBACK(CC_ButtonReset);  // EVENT_COMMIT: reset the analogue max/min
TAVRIX_CTRL_CALLBACK(CC_BTNSend);      // EVENT_LEFT_CLICK: record to RAM, EEPROM or file
TAVRIX_CTRL_CALLBACK(CC_BTNGet);       // EVENT_COMMIT: record from RAM, EEPROM or file
// EVENT_COMMIT and EVENT_VAL_CHANGED: reopen the port; EVENT_LIST_OPENING: the list looks again
TAVRIX_CTRL_CALLBACK(CC_DropDCom);

// --- Acquisition ---
TAVRIX_CTRL_CALLBACK(CC_BTNRun);    // EVENT_COMMIT: the Run loop
TAVRIX_CTRL_CALLBACK(CC_BTNVideo);  // EVENT_COMMIT: the Video loop
TAVRIX_CTRL_CALLBACK(CC_BTNStop);   // EVENT_LEFT_CLICK: ends the running loop
#undef TAVRIX_CTRL_CALLBACK
