// Parameter records side by side, word by word: which words differ and the texts that say so.
// Pure: the unsent-edit marks and the compare view both build on it.
#pragma once

#include <array>
#include <bitset>
#include <optional>
#include <string>
#include <vector>

#include "records.h"

using WordMask = std::bitset<PNUM>;

// The words in which `a` and `b` differ.
WordMask DifferingWords(const RecordWords& a, const RecordWords& b);
// How many values the panel holds that were not sent: "No unsent edits", "1 value not sent",
// "3 values not sent".
std::string UnsentText(int count);
// Whether RAM was saved to EEPROM, in the texts the sensor box and Compare share: "RAM and EEPROM
// match", "RAM differs from EEPROM in 3 values", and while EEPROM is not known "RAM written, not
// stored in EEPROM" after a write to RAM, else "EEPROM not read"; "RAM not read" while RAM alone is
// not known.
std::string MemoryStateText(const std::optional<RecordWords>& ram,
                            const std::optional<RecordWords>& eeprom, bool ramWrittenNotStored);

// --- The compare view's table ---
struct CompareInput {
    RecordWords panel{};
    std::optional<RecordWords> ram, eeprom, file;  // missing: not read (yet)
    std::string fileTitle;                         // the file column's header; none without it
};
struct CompareCell {
    std::string text;
    bool differs = false;
};
struct CompareGrid {
    std::vector<std::string> header;             // "Word", "Panel", "Sensor RAM", ...
    std::vector<std::vector<CompareCell>> rows;  // per word: its name, then a cell per column
};
// One row per word. A cell differs when its word differs from the panel's; an EEPROM cell also
// when it differs from RAM's. A column not read shows "-" and nothing differs in it. The file
// column is there only when fileTitle is given.
CompareGrid BuildCompareTable(const CompareInput& in);
