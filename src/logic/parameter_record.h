// The parameter record in wire order: the state member each word holds and the control that
// shows it. Packing, unpacking and the panel exchange all walk this one table.
#pragma once

#include "panel_ids.h"
#include "state.h"

struct RecordWord {
    u16 State::*member;
    int control;  // kNoControl: carried through, no control shows it
    bool shown;   // the control holds the word as it is (the correction factor is converted)
};

inline constexpr int kNoControl = -1;

inline constexpr RecordWord kParameterRecord[PNUM] = {
    {&State::power, ui::NUMPower, true},         {&State::pMode, ui::NUMPMode, true},
    {&State::vThd, ui::NUMVideoThreshold, true}, {&State::anaMode, ui::NUMAnaMode, true},
    {&State::polarity, ui::NUMPolarity, true},   {&State::eMode, ui::NUMEMode, true},
    {&State::eBeg, ui::NEDITEdgeLeft, true},     {&State::eEnd, ui::NEDITEdgeRight, true},
    {&State::tVal, ui::NUMTVal, true},           {&State::tTol, ui::NEDITTolerance, true},
    {&State::opMode, ui::BINSW_OpMode, true},    {&State::hwMode, ui::NUMHwMode, true},
    {&State::para12, kNoControl, false},         {&State::para13, kNoControl, false},
    {&State::average, ui::NUMAverage, true},     {&State::corrX1024, ui::NUMCorr, false},
};

// Each word's state member name, for files and messages that name words ("anaMode").
inline constexpr const char* kRecordWordKeys[PNUM] = {
    "power", "pMode", "vThd",   "anaMode", "polarity", "eMode",  "eBeg",    "eEnd",
    "tVal",  "tTol",  "opMode", "hwMode",  "para12",   "para13", "average", "corrX1024",
};
