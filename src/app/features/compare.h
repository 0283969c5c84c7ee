// The compare view: the parameter record as the panel holds it beside the sensor's RAM and EEPROM
// records and, if the user adds one, a parameter file, word by word, with differing values tinted
// and a line at the top that says whether RAM was saved to EEPROM.
//
// The sensor's records are read into the sensor model (ReadRecordOnly), and the view shows what
// the model knows: the panel, the parameter variables and pp stay as they are. Reading is refused
// while Run or Video runs, whose exchanges then keep the line busy.
#pragma once

#include <optional>
#include <string>

#include "compare_panel.h"
#include "program.h"
#include "record_diff.h"

enum class CompareRead {
    Read,      // both records read
    Refused,   // Run or Video runs: nothing was asked
    Busy,      // a read is under way already (asked again from inside its wait)
    TimedOut,  // a record did not come; the view shows "-" for what was not read
};

struct CompareView {
    explicit CompareView(Program& p);
    platform::ComparePanel panel;
    RecordWords panelWords{};
    std::optional<RecordWords> ram, eeprom, file;  // ram, eeprom: the model's, when wholly known
    std::string memoryState;                       // the model's memory-state text
    std::string fileName;                          // the added file's name, without its folder
    bool reading = false;
};

// "Compare...": makes the view on first use, shows it and reads the sensor's records.
void OpenCompareView(Program& p);
// Reads RAM, then EEPROM, into the view and redraws it. The outcome is in the view's status line;
// a refusal or a time-out is shown in the main status line as well (shown, not stored).
CompareRead ReadSensorIntoView(Program& p);
// The panel's record changed: the view's Panel column follows (nothing while no view was opened).
void CompareViewPanelChanged(Program& p, const RecordWords& panel);
