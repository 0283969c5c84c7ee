// Pure program logic: parameter limits, correction factor, bar graph shapes, strip chart groups,
// the array routines and record comparison.
#include <gtest/gtest.h>

#include "arrayops.h"
#include "com232_codec.h"
#include "gui_shapes.h"
#include "record_diff.h"
#include "records.h"
#include "tolerance_verdict.h"

namespace {

TEST(ParameterLimits, BoundsAreUnsignedAndReplacedAsDocumented) {
    struct Case {
        u16 State::*var;
        u16 in, out;
    };
    const Case cases[] = {
        {&State::power, 1000, 1000},  {&State::power, 1001, 500},    {&State::power, 65535, 500},
        {&State::pMode, 1, 1},        {&State::pMode, 2, 0},         {&State::vThd, 0, 50},
        {&State::vThd, 50, 50},       {&State::vThd, 950, 950},      {&State::vThd, 951, 950},
        {&State::anaMode, 7, 7},      {&State::anaMode, 8, 0},       {&State::polarity, 5, 1},
        {&State::eMode, 9, 4},        {&State::tTol, 0, 1},          {&State::tTol, 65535, 65535},
        {&State::hwMode, 4, 3},       {&State::average, 2000, 1024}, {&State::average, 1024, 1024},
        {&State::opMode, 2, 0},       {&State::eBeg, 0, 0},          {&State::eBeg, 1025, 1},
        {&State::eBeg, 1024, 1024},   {&State::eEnd, 1025, 1024},    {&State::eEnd, 0, 1},
        {&State::tVal, 65535, 65535},
    };
    for (const auto& c : cases) {
        State s;
        s.ccdsubpixel = 1024;
        s.vThd = 512, s.tTol = 100, s.eEnd = 1024;
        s.*c.var = c.in;
        ApplyParameterLimits(s);
        EXPECT_EQ(s.*c.var, c.out) << "input " << c.in;
    }
}

TEST(ParameterLimits, CorrectionFactorTruncatesToTenthOfThousandths) {
    EXPECT_EQ(CorrToFixed(1.0), 1024);
    EXPECT_EQ(CorrToFixed(1.25), 1280);
    EXPECT_EQ(CorrToFixed(0.9999), 1023);
    EXPECT_EQ(CorrToFixed(0.0009), 0);
    EXPECT_DOUBLE_EQ(CorrFromFixed(CorrToFixed(0.9999)), 0.9990234375);
}

State BarState() {
    State s;
    s.pixB = 1, s.pixE = 1024, s.ccdsubpixel = 1024;
    s.Ledge = 100, s.Redge = 201, s.tVal = 512, s.tol = 20, s.edcnt = 2;
    return s;
}

// Both records in wire order, written out here by hand: a swapped pair in the tables would show in
// the displays, the files, the CSV columns and the command line at once.
TEST(Records, BothTablesFollowTheWireLayoutByName) {
    State s;
    for (int i = 0; i < PNUM; ++i)
        s.pp[i] = static_cast<u16>(100 + i);
    CopyRunResult(s);
    const std::vector<u16> answer = {
        s.Ledge, s.Redge, s.Mvalue, s.tVal,   s.tol,     s.pix1,     s.edcnt, s.mvstart,
        s.mvend, s.peakD, s.anaMax, s.anaMin, s.leftMax, s.rightMax, s.in0,   s.rightMaxX};
    CopyPPtoVars(s);
    const std::vector<u16> parameters = {
        s.power, s.pMode, s.vThd,   s.anaMode, s.polarity, s.eMode,  s.eBeg,    s.eEnd,
        s.tVal,  s.tTol,  s.opMode, s.hwMode,  s.para12,   s.para13, s.average, s.corrX1024};
    const char* answerNames[PNUM] = {
        "Ledge", "Redge", "Mvalue", "tVal",   "tol",     "pix1",     "edcnt", "mvstart",
        "mvend", "peakD", "anaMax", "anaMin", "leftMax", "rightMax", "in0",   "rightMaxX"};
    const char* parameterNames[PNUM] = {
        "power", "pMode", "vThd",   "anaMode", "polarity", "eMode",  "eBeg",    "eEnd",
        "tVal",  "tTol",  "opMode", "hwMode",  "para12",   "para13", "average", "corrX1024"};
    for (int i = 0; i < PNUM; ++i) {
        const auto k = static_cast<std::size_t>(i);
        EXPECT_EQ(answer[k], 100 + i) << "answer word " << i;
        EXPECT_EQ(parameters[k], 100 + i) << "parameter word " << i;
        EXPECT_STREQ(kAnswerRecord[k].name, answerNames[i]);
        EXPECT_STREQ(kParameterRecord[k].name, parameterNames[i]);
    }
    EXPECT_EQ(RangeText(kParameterRecord[2].limit, 0), "50..950");
    EXPECT_EQ(RangeText(kParameterRecord[7].limit, 0), "1..scale");
    EXPECT_EQ(RangeText(kParameterRecord[7].limit, 4096), "1..4096");
}

TEST(BarGraph, MeasuredPositionByEdgeModeAndClamps) {
    struct Case {
        u16 eMode, Ledge, Redge, pixB, pixE;
        int position;
    };
    const Case cases[] = {
        {0, 100, 201, 1, 1024, 100}, {1, 100, 201, 1, 1024, 201},   {2, 100, 201, 1, 1024, 150},
        {3, 100, 201, 1, 1024, 150}, {9, 100, 201, 1, 1024, 150},   {2, 0, 201, 1, 1024, 1},
        {2, 0, 201, 5, 1024, 5},     {1, 100, 2000, 1, 1024, 1024},
    };
    for (const auto& c : cases) {
        State s = BarState();
        s.eMode = c.eMode, s.Ledge = c.Ledge, s.Redge = c.Redge, s.pixB = c.pixB, s.pixE = c.pixE;
        EXPECT_EQ(ComputeBarGraph(s).position, c.position) << "eMode " << c.eMode;
    }
}

TEST(BarGraph, RedBarsFollowEdgeCount) {
    State s = BarState();
    s.edcnt = 1, s.mvstart = 1, s.mvend = 2;
    auto d = ComputeBarGraph(s);
    ASSERT_EQ(d.barCount, 1);
    EXPECT_EQ(d.bars[0].from, 100);
    EXPECT_EQ(d.bars[0].to, 1024);

    s.mvstart = s.mvend = 2;
    d = ComputeBarGraph(s);
    ASSERT_EQ(d.barCount, 1);
    EXPECT_EQ(d.bars[0].from, 1);
    EXPECT_EQ(d.bars[0].to, 100);

    s.edcnt = 0;
    d = ComputeBarGraph(s);
    ASSERT_EQ(d.barCount, 2);
    EXPECT_EQ(d.bars[1].from, 201);
    EXPECT_EQ(d.bars[1].to, 1024);
}

TEST(BarGraph, ToleranceBands) {
    State s = BarState();
    s.eMode = 0, s.tVal = 10, s.tol = 20;
    auto d = ComputeBarGraph(s);
    ASSERT_EQ(d.bandCount, 1);
    EXPECT_EQ(d.bands[0].from, 1);  // negative lower limit starts at 1
    EXPECT_EQ(d.bands[0].to, 30);

    s.tVal = 1020, s.tol = 10;  // past the last position: to full scale
    d = ComputeBarGraph(s);
    EXPECT_EQ(d.bands[0].to, 1024);

    s.eMode = 2, s.Ledge = 450, s.Redge = 550, s.tVal = 200, s.tol = 11;
    d = ComputeBarGraph(s);
    ASSERT_EQ(d.bandCount, 2);
    EXPECT_EQ(d.bands[0].from, 395);
    EXPECT_EQ(d.bands[0].to, 405);
    EXPECT_EQ(d.bands[1].from, 595);
    EXPECT_EQ(d.bands[1].to, 605);

    s.edcnt = 0;
    EXPECT_EQ(ComputeBarGraph(s).bandCount, 0);
    s.eMode = 3;  // centre cursor, single band
    EXPECT_EQ(ComputeBarGraph(s).bandCount, 1);
}

// The lamp follows the bands as the bar graph draws them, clamps included.
TEST(ToleranceLamp, VerdictByModeValueAndBand) {
    using V = ToleranceVerdict;
    struct Case {
        u16 eMode, Ledge, Redge, tVal, tol, edcnt;
        V verdict;
    };
    const Case cases[] = {
        {0, 100, 201, 110, 10, 2, V::InTolerance},     // left edge on the band's lower end
        {0, 100, 201, 111, 10, 2, V::OutOfTolerance},  // one below it
        {1, 100, 201, 200, 1, 2, V::InTolerance},      // right edge on the upper end
        {1, 100, 2000, 1020, 10, 2, V::InTolerance},   // cursor and band clamped to full scale
        {3, 100, 200, 150, 0, 2, V::InTolerance},      // centre, zero tolerance
        {4, 100, 202, 150, 0, 2, V::OutOfTolerance},   // centre one past it
        {2, 400, 600, 200, 10, 2, V::InTolerance},     // each edge in its own band
        {2, 400, 612, 200, 10, 2, V::OutOfTolerance},  // the distance 12 too wide
        {2, 400, 600, 200, 10, 0, V::NoEdge},         {0, 100, 201, 110, 10, 0, V::NoEdge},
    };
    for (const auto& c : cases) {
        State s = BarState();
        s.eMode = c.eMode, s.Ledge = c.Ledge, s.Redge = c.Redge, s.tVal = c.tVal, s.tol = c.tol;
        s.edcnt = c.edcnt;
        EXPECT_EQ(JudgeTolerance(s), c.verdict) << "eMode " << c.eMode << " Redge " << c.Redge;
    }
    EXPECT_STREQ(VerdictText(V::InTolerance), "In tolerance");
    EXPECT_STREQ(VerdictText(V::OutOfTolerance), "Out of tolerance");
    EXPECT_STREQ(VerdictText(V::NoEdge), "No edge");
}

TEST(StripChart, GroupsAndZoomRange) {
    struct Case {
        u16 tVal, tol, Mvalue;
        int upper, lower, bottom, top;
    };
    const Case cases[] = {
        {300, 5, 310, 305, 295, 280, 320},  {300, 5, 330, 305, 295, 280, 340},
        {300, 50, 300, 350, 250, 200, 400}, {300, 10, 300, 310, 290, 280, 320},
        {10, 30, 10, 40, 0, 1, 70},         {8190, 20, 8190, 8191, 8170, 8150, 8191},
    };
    for (const auto& c : cases) {
        State s;
        s.ccdmaxpixelX8 = 8192;
        s.tVal = c.tVal, s.tol = c.tol, s.Mvalue = c.Mvalue;
        const RawGroup g = ComputeRawGroup(s);
        EXPECT_EQ(g.upper, c.upper) << c.tVal << "/" << c.tol;
        EXPECT_EQ(g.lower, c.lower) << c.tVal << "/" << c.tol;
        EXPECT_EQ(g.zoomBottom, c.bottom) << c.tVal << "/" << c.tol << "/" << c.Mvalue;
        EXPECT_EQ(g.zoomTop, c.top) << c.tVal << "/" << c.tol << "/" << c.Mvalue;
    }
}

TEST(StripChart, AnalogueTraceByMode) {
    State s;
    s.ccdmaxpixelX8 = 8192;
    s.Mvalue = 100, s.anaMax = 200, s.anaMin = 8191;
    const int expected[] = {100, 100, 200, 1, 100, 200, 1, 100, 0};
    for (u16 mode = 0; mode <= 8; ++mode) {
        s.anaMode = mode;
        EXPECT_EQ(ComputeRawGroup(s).analogue, expected[mode]) << mode;
    }
    s.anaMode = 3, s.anaMin = 40;
    EXPECT_EQ(ComputeRawGroup(s).analogue, 40);
}

TEST(ArrayOps, ShiftAndCopy) {
    double a[4] = {1, 2, 3, 4};
    double out[4] = {9, 9, 9, 9};
    EXPECT_EQ(Shift(a, 0, 1, out), kArrayCountTooSmall);
    EXPECT_EQ(Shift(a, 4, 4, out), kArrayShiftTooLarge);
    EXPECT_EQ(Shift(a, 4, -4, out), kArrayShiftTooLarge);
    EXPECT_EQ(out[0], 9);  // nothing written on error

    EXPECT_EQ(Shift(a, 4, 2, out), 0);
    EXPECT_EQ(std::vector<double>(out, out + 4), (std::vector<double>{0, 0, 1, 2}));
    EXPECT_EQ(Shift(a, 4, -1, a), 0);  // in place
    EXPECT_EQ(std::vector<double>(a, a + 4), (std::vector<double>{2, 3, 4, 0}));
    EXPECT_EQ(Shift(a, 4, 0, out), 0);
    EXPECT_EQ(std::vector<double>(out, out + 4), (std::vector<double>{2, 3, 4, 0}));

    EXPECT_EQ(Copy1D(a, 0, out), kArrayCountTooSmall);
    double in[2] = {5, 6};
    EXPECT_EQ(Copy1D(in, 2, out), 0);
    EXPECT_EQ(out[1], 6);
}

}  // namespace

TEST(RecordDiff, TableTintsWhatDiffersFromThePanelAndEepromFromRam) {
    RecordWords panel{}, ram{}, eeprom{};
    ram[0] = 1;                 // RAM alone differs from the panel and from EEPROM
    eeprom[1] = ram[1] = 2;     // both differ from the panel, agree with each other
    eeprom[2] = 3, ram[2] = 4;  // all three differ
    const CompareGrid t = BuildCompareTable({panel, ram, eeprom, std::nullopt, "File a.dat"});
    ASSERT_EQ(t.header.size(), 5u);
    const bool expected[][4] = {{false, true, true, false},  // panel, RAM, EEPROM, file
                                {false, true, true, false},
                                {false, true, true, false},
                                {false, false, false, false}};
    for (int w = 0; w < 4; ++w)
        for (int c = 0; c < 4; ++c)
            EXPECT_EQ(t.rows[w][c + 1].differs, expected[w][c]) << "word " << w << " col " << c;
    EXPECT_EQ(t.rows[0][4].text, "-");
    EXPECT_EQ(UnsentText(0) + "|" + UnsentText(1) + "|" + UnsentText(3),
              "No unsent edits|1 value not sent|3 values not sent");
}
