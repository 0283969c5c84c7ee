#include "records.h"

namespace {

using R = LimitRule;
constexpr u16 kTop = R::kToTop;

}  // namespace

// Kept: a value out of range is replaced as the panel has always replaced it (power above 1000
// becomes 500, an analogue mode above 7 becomes 0, ...): what Send sends from a given panel or
// parameter file stays what the people at the line know.
const std::array<RecordWord, PNUM> kParameterRecord = {{
    {&State::power, ui::NUMPower, true, "Power", "power", "counts", R{0, 0, 1000, 500}},
    {&State::pMode, ui::NUMPMode, true, "Power mode", "pMode", "", R{0, 0, 1, 0}},
    {&State::vThd, ui::NUMVideoThreshold, true, "Video threshold", "vThd", "counts",
     R{50, 50, 950, 950}},
    {&State::anaMode, ui::NUMAnaMode, true, "Analogue output mode", "anaMode", "", R{0, 0, 7, 0}},
    {&State::polarity, ui::NUMPolarity, true, "Polarity", "polarity", "", R{0, 0, 1, 1}},
    {&State::eMode, ui::NUMEMode, true, "Edge mode", "eMode", "", R{0, 0, 4, 4}},
    {&State::eBeg, ui::NEDITEdgeLeft, true, "Left edge limit", "eBeg", "sub-pixels",
     R{0, 0, kNoLimit, 1, true}},
    {&State::eEnd, ui::NEDITEdgeRight, true, "Right edge limit", "eEnd", "sub-pixels",
     R{1, 1, kNoLimit, kTop, true}},
    {&State::tVal, ui::NUMTVal, true, "Setpoint value", "tVal", "sub-pixels", R{}},
    {&State::tTol, ui::NEDITTolerance, true, "Tolerance", "tTol", "sub-pixels", R{1, 1}},
    {&State::opMode, ui::BINSW_OpMode, true, "Operating mode", "opMode", "", R{0, 0, 1, 0}},
    {&State::hwMode, ui::NUMHwMode, true, "Hardware mode", "hwMode", "", R{0, 0, 3, 3}},
    {&State::para12, kNoControl, false, "Word 12", "para12", "", R{}},
    {&State::para13, kNoControl, false, "Word 13", "para13", "", R{}},
    {&State::average, ui::NUMAverage, true, "Averaging", "average", "measurements",
     R{0, 0, 1024, 1024}},
    {&State::corrX1024, ui::NUMCorr, false, "Correction factor (x1024)", "corrX1024", "1/1024",
     R{}},
}};

const std::array<RecordWord, PNUM> kAnswerRecord = {{
    {&State::Ledge, ui::NUMLedge, true, "Left edge", "Ledge", "sub-pixels", R{}},
    {&State::Redge, ui::NUMRedge, true, "Right edge", "Redge", "sub-pixels", R{}},
    {&State::Mvalue, ui::NUMMvalue, true, "Measured value", "Mvalue", "sub-pixels", R{}},
    {&State::tVal, ui::NUMTVal, true, "Setpoint value", "tVal", "sub-pixels", R{}},
    {&State::tol, ui::NUMTolerance, true, "Tolerance", "tol", "sub-pixels", R{}},
    {&State::pix1, kNoControl, false, "Word 5", "pix1", "counts", R{}},
    {&State::edcnt, kNoControl, false, "Edge count", "edcnt", "counts", R{}},
    {&State::mvstart, kNoControl, false, "Word 7", "mvstart", "counts", R{}},
    {&State::mvend, kNoControl, false, "Word 8", "mvend", "counts", R{}},
    {&State::peakD, ui::NUMPeakD, true, "Peak", "peakD", "counts", R{}},
    {&State::anaMax, ui::NUMAnaMax, true, "Analogue maximum", "anaMax", "sub-pixels", R{}},
    {&State::anaMin, ui::NUMAnaMin, true, "Analogue minimum", "anaMin", "sub-pixels", R{}},
    {&State::leftMax, ui::NUMLeftMax, true, "Left maximum", "leftMax", "counts", R{}},
    {&State::rightMax, ui::NUMRightMax, true, "Right maximum", "rightMax", "counts", R{}},
    {&State::in0, kNoControl, false, "Word 14", "in0", "counts", R{}},
    {&State::rightMaxX, ui::NUMRightMaxX, true, "Right maximum position", "rightMaxX", "sub-pixels",
     R{}},
}};

RecordWords RecordOf(const std::array<RecordWord, PNUM>& record, const State& s) {
    RecordWords words{};
    for (int i = 0; i < PNUM; ++i)
        words[i] = s.*record[i].member;
    return words;
}

void StoreRecord(const std::array<RecordWord, PNUM>& record, const RecordWords& words, State& s) {
    for (int i = 0; i < PNUM; ++i)
        s.*record[i].member = words[i];
}

namespace {

// The top of the rule's range, or kNoLimit when it has none (yet).
u16 Top(const LimitRule& rule, u16 subpixelScale) {
    if (!rule.topIsSubpixelScale) return rule.max;
    // The sub-pixel scale is 0 until a hardware profile has been read: limiting the edge window
    // then would collapse the user's window to 1..1.
    return subpixelScale != 0 ? subpixelScale : kNoLimit;
}

}  // namespace

u16 Limited(const LimitRule& rule, u16 value, u16 subpixelScale) {
    if (value < rule.min) return rule.belowMin;
    const u16 top = Top(rule, subpixelScale);
    if (top == kNoLimit || value <= top) return value;
    return rule.aboveMax == LimitRule::kToTop ? top : rule.aboveMax;
}

std::string RangeText(const LimitRule& rule, u16 subpixelScale) {
    const u16 top = Top(rule, subpixelScale);
    const std::string upper = top != kNoLimit           ? std::to_string(top)
                              : rule.topIsSubpixelScale ? std::string("scale")
                                                        : std::string("65535");
    return std::to_string(rule.min) + ".." + upper;
}
