// The change log of the window and the command line: an entry for every write to the sensor
// (Send to RAM or EEPROM, Teach, Reset), appended after the write's outcome is known. A log that
// cannot be written never stops a write; its first failure is kept in p.changeLog.failure for
// the caller to report once.
#pragma once

#include <string>

#include "program.h"

// Appends the entry of a write. `before` is the memory as the model knew it before the write;
// the words after are the model's now. Returns the failure text when this was the log's first
// failure, else "".
std::string LogSensorWrite(Program& p, const char* action, Memory memory, const KnownRecord& before,
                           ExchangeOutcome outcome);
