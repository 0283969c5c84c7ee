// Nothing is lost unnoticed. Closing the window asks first when the panel holds values the
// sensor's RAM does not, or RAM was written and not stored in EEPROM: the question comes once a
// running loop has stopped and no exchange runs. A desktop logout, which cannot wait, writes the
// panel to a recovery parameter file in the data folder, offered at the next start.
#pragma once

#include <string>

#include "program.h"

// The main panel's close box.
void RequestClose(Program& p);
// At start-up, after the identification: offers a recovery file left by a logout.
void OfferRecovery(Program& p);
// From start-up on, a logout writes the recovery file when something would be lost.
void GuardSessionEnd(Program& p);
// At the end: a logout no longer reaches this program.
void StopGuardingSessionEnd();
// What would be lost by closing now; "" when nothing.
std::string WhatWouldBeLost(Program& p);
// "recovery.dat" in the data folder.
std::string RecoveryFilePath();
