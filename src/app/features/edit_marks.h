// The marks on the parameter controls: a value that differs from the sensor's RAM as the model
// knows it is marked amber ("not sent"), a value whose RAM word is not known is marked grey-blue
// with the tooltip "not read from the sensor", and the workbench says how many values are not
// sent. Files loaded or saved, Gets, Sends and edits all end in the same comparison.
//
// Work is done on a change only: 16 words read from the panel and compared.
#pragma once

#include "program.h"
#include "record_diff.h"

// Once at start-up: installs the value-change callback of the parameter controls that have no
// callback of their own.
void OpenEditMarks(Program& p);
// A parameter control's value changed: called by its callback after the callback's own work. The
// change is a step of the undo history.
void EditMarksValueChanged(Program& p);
// Marks the controls from the model and the panel as they are now.
void ShowEditMarks(Program& p);

// The record the panel holds: what a Send would send now (the controls' values; the words that no
// control shows from the state). Neither the state nor pp change.
RecordWords PanelRecord(const Program& p);
