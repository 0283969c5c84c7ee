// The set-up assistant: a window of its own that proposes the video threshold, the edge window,
// the setpoint and the tolerance from what the sensor sees with its current parameters, in the
// steps Signal, Edges, Setpoint and tolerance, and Apply. Every step can go back.
//
// Only Run and Video go out while it measures (20 Video cycles, 200 Run measurements); Run, Video,
// Send, Get and Teach of the main window are dimmed meanwhile, and Stop ends its loop. Nothing is
// written to the sensor before Apply's "Send to RAM". The proposals go into the panel as unsent
// edits when the Apply step opens, and leave it again on Back or Cancel. Cancel after the Send
// writes the old RAM record back and says so; after "Store in EEPROM" it only closes. Its plots
// are its own: the main window's graphs keep the panel's values and marks.
#pragma once

#include "program.h"

enum class AssistantStep { Signal, Edges, Setpoint, Apply };

// "Set-up assistant..." or Ctrl+Shift+A: makes the window on first use and opens it at Signal. A
// loop that runs is asked to stop after its cycle.
void OpenSetupAssistant(Program& p);
// The step in view (Signal while no assistant was opened).
AssistantStep SetupAssistantStep(const Program& p);
