// Unsent edits: a parameter control whose value differs from the record last received from the
// sensor (Get, the identification's read, Teach's read-back), confirmed by it after a Send, written
// to a file by Send or loaded from a file is marked, and the workbench says how many values are
// not sent. A Get that timed out or a refused file changes no reference, so the marks stay.
//
// The reference is the record as it came, not as the panel's limits mended it: a word the panel
// had to mend on arrival is marked too, since a Send would change it on the sensor.
//
// Work is done on a value change only: 16 words read from the panel and compared.
#pragma once

#include "program.h"
#include "record_diff.h"

// Once at start-up, after the start values are shown and before the sensor is identified: the
// start values are the first reference. Installs the value-change callback of the parameter
// controls that have no callback of their own.
void OpenEditMarks(Program& p);
// The record the panel is now compared with (after a Get, a confirmed Send or a file).
void EditMarksReference(Program& p, const RecordWords& reference);
// A parameter control's value changed: called by its callback after the callback's own work.
void EditMarksValueChanged(Program& p);

// The record the panel holds: what a Send would send now (the controls' values; the words that no
// control shows from the state). Neither the state nor pp change.
RecordWords PanelRecord(const Program& p);
