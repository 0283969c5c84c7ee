// What the window shows of the sensor model: the sensor box in the side panel, the marks on the
// parameter controls (amber: not sent; grey-blue: not read from the sensor), and the panel's undo
// history, whose steps are the panel's changes.
#pragma once

#include <string>

#include "panel_history.h"
#include "program.h"
#include "sensor_box.h"

struct SensorView {
    explicit SensorView(Program& p);
    platform::SensorBox box;
    platform::PanelHistory history;
    RecordWords shown{};  // the panel's record as the history saw it last
    RecordWords start{};  // the panel's record once the start-up identification ended
    std::string result;   // the latest write's result, kept until the next write
};

// Once at start-up, after the workbench is open and the start values are shown.
void OpenSensorView(Program& p);
// Redraws the box and the marks from the model and the panel.
void ShowSensorView(Program& p);
// The panel changed (an edit, a Get, a file): one undo step named `what` when the record
// differs from the one the history saw last; then the box and the marks follow.
void PanelChanged(Program& p, const char* what);
// "14:02" in local time.
std::string ClockText(UtcMs time);
