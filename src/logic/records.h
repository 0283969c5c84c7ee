// The two 16-word records the sensor exchanges, in wire order, each word described once: the
// state member that holds it, the control that shows it, its label in Compare, its name in CSV
// headers and on the command line, its unit and, for parameters, the limit the panel applies.
// Packing, unpacking, the panel exchange, comparisons, file texts and CSV columns all walk these
// two tables; no other place lists the words.
#pragma once

#include <array>
#include <string>

#include "panel_ids.h"
#include "state.h"

inline constexpr int kNoControl = -1;
inline constexpr u16 kNoLimit = 0xFFFF;

// What the panel does to a value out of range: below `min` it becomes `belowMin`, above the top
// it becomes `aboveMax`. The top is `max`, or for the edge limits the sensor's sub-pixel scale
// once a hardware profile has set it (no top before). kToTop replaces a value by the top itself.
struct LimitRule {
    static constexpr u16 kToTop = 0xFFFE;
    u16 min = 0;
    u16 belowMin = 0;
    u16 max = kNoLimit;
    u16 aboveMax = kNoLimit;
    bool topIsSubpixelScale = false;
};

struct RecordWord {
    u16 State::*member;
    int control;        // kNoControl: carried through, no control shows it
    bool shown;         // the control holds the word as it is (the correction factor is converted)
    const char* label;  // Compare's row label, as the panel labels the control
    const char* name;   // CSV header and command-line name
    const char* unit;
    LimitRule limit;
};

// The parameter record (payload of codes 1 to 4).
extern const std::array<RecordWord, PNUM> kParameterRecord;
// The measurement answer (payload of a code-8 answer). Word 3 is the setpoint the sensor works
// with, written into tVal.
extern const std::array<RecordWord, PNUM> kAnswerRecord;

using RecordWords = std::array<u16, PNUM>;

// The words of `record` as the state holds them, and back.
RecordWords RecordOf(const std::array<RecordWord, PNUM>& record, const State& s);
void StoreRecord(const std::array<RecordWord, PNUM>& record, const RecordWords& words, State& s);

// A word as the panel's limit would leave it; `subpixelScale` 0 while no profile is read.
u16 Limited(const LimitRule& rule, u16 value, u16 subpixelScale);
// The allowed range as text, e.g. "0..1000", "50..950", "1..4096" (or "1..scale" with no scale).
std::string RangeText(const LimitRule& rule, u16 subpixelScale);
