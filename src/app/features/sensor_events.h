// Where the exchanges hand their outcomes on, with one call each: the sensor model changes, the
// change log gets its entry, the model's watchers hear of both (sensor_watchers.h), and the sensor
// box, the marks and the undo history follow.
#pragma once

#include "program.h"

// --- The port and the identification (InitRS232) ---
void SensorPortOpening(Program& p);
void SensorPortNotOpened(Program& p);
void SensorIdentifying(Program& p);
// The identification ended: identified when the line check, the profile and the record read
// were answered.
void SensorIdentificationEnded(Program& p, bool identified);
// Any other exchange's outcome (line check, profile, firmware text, the loops, a port found
// gone).
void SensorOutcome(Program& p, ExchangeOutcome outcome);

// --- Records ---
// Get: the record read from `memory` and, answered, shown on the panel (one undo step).
void SensorRecordShown(Program& p, Memory memory, ExchangeOutcome outcome);
// A read that does not touch the panel (Compare).
void SensorRecordRead(Program& p, Memory memory, ExchangeOutcome outcome, const RecordWords& words);
// A parameter file was loaded onto the panel (one undo step).
void SensorFileShown(Program& p);

// --- Writes: each is logged ---
void SensorRecordSent(Program& p, Memory memory, ExchangeOutcome outcome, const RecordWords& words);
// Teach, before its read-back: `setpointBefore` is the setpoint the panel held.
void SensorTaught(Program& p, ExchangeOutcome outcome, u16 setpointBefore);
void SensorMaxMinReset(Program& p, ExchangeOutcome outcome);

// What an exchange that tells only whether it was answered came to (the line check, the profile,
// Compare's reads).
ExchangeOutcome OutcomeOf(Program& p, bool answered);
