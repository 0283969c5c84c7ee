// Pure panel logic: limits, correction factor, result copy, bar graph shapes, strip chart groups.
#include <algorithm>
#include <cmath>

#include "gui_shapes.h"

namespace {

int MeasuredPosition(const State& s) {
    switch (s.eMode) {
        case 0:
            return s.Ledge;
        case 1:
            return s.Redge;
        default:
            return (s.Ledge == 0 || s.Redge == 0) ? 1 : (s.Ledge + s.Redge) / 2;
    }
}

int ClampPosition(const State& s, int position) {
    if (position < s.pixB) position = s.pixB;
    if (position > s.pixE) position = s.pixE;
    if (position < 1) position = 1;
    if (position > s.ccdsubpixel) position = s.ccdsubpixel;
    return position;
}

// A negative lower limit starts at 1; an upper limit past the last position ends at full scale.
Span ClampedBand(const State& s, int lower, int upper) {
    if (lower < 0) lower = 1;
    if (upper > s.ccdsubpixel - 1) upper = s.ccdsubpixel;
    return {static_cast<double>(lower), static_cast<double>(upper)};
}

void AddBars(const State& s, BarGraphDrawing& d) {
    const double first = 1.0, last = s.pixE;
    if (s.edcnt == 1 && s.mvstart < s.mvend) {
        d.bars[d.barCount++] = {static_cast<double>(s.Ledge), last};
    } else if (s.edcnt == 1) {
        d.bars[d.barCount++] = {first, static_cast<double>(s.Ledge)};
    } else {
        d.bars[d.barCount++] = {first, static_cast<double>(s.Ledge)};
        d.bars[d.barCount++] = {static_cast<double>(s.Redge), last};
    }
}

void AddBands(const State& s, BarGraphDrawing& d) {
    const int tVal = s.tVal, tol = s.tol;
    if (s.eMode != 2) {
        d.bands[d.bandCount++] = ClampedBand(s, tVal - tol, tVal + tol);
        return;
    }
    if (s.edcnt == 0) return;
    // tVal is the nominal distance between the edges, centred on the measured position.
    const int P = d.position, halfDistance = tVal / 2, halfTol = tol / 2;
    d.bands[d.bandCount++] = ClampedBand(s, P - halfDistance - halfTol, P - halfDistance + halfTol);
    d.bands[d.bandCount++] = {static_cast<double>(P + halfDistance - halfTol),
                              static_cast<double>(P + halfDistance + halfTol)};
}

int AnalogueValue(const State& s) {
    switch (s.anaMode) {
        case 0:
        case 1:
        case 4:
        case 7:
            return s.Mvalue;
        case 2:
        case 5:
            return s.anaMax;
        case 3:
        case 6:
            return s.anaMin == s.ccdmaxpixelX8 - 1 ? 1 : s.anaMin;
        default:
            return 0;
    }
}

}  // namespace

u16 CorrToFixed(double c) {
    return static_cast<u16>(static_cast<long long>(std::trunc(c * 1024.0)) & 0xFFFF);
}

double CorrFromFixed(u16 corrX1024) {
    return corrX1024 / 1024.0;
}

// The conversion Send uses: what is shown after the snap is what is sent.
double SnapCorr(double c) {
    return CorrFromFixed(CorrToFixed(std::clamp(c, 0.0, 65535.0 / 1024.0)));
}

void ApplyParameterLimits(State& s) {
    if (s.power > 1000) s.power = 500;
    if (s.pMode > 1) s.pMode = 0;
    if (s.vThd > 950) s.vThd = 950;
    if (s.vThd < 50) s.vThd = 50;
    if (s.anaMode > 7) s.anaMode = 0;
    if (s.polarity > 1) s.polarity = 1;
    if (s.eMode > 4) s.eMode = 4;
    if (s.tTol == 0) s.tTol = 1;
    // ccdsubpixel is 0 until a hardware profile has been read: the full scale is unknown then,
    // and limiting the edge window to it would collapse the user's window to 1..1.
    if (s.ccdsubpixel != 0) {
        if (s.eBeg > s.ccdsubpixel) s.eBeg = 1;
        if (s.eEnd > s.ccdsubpixel) s.eEnd = s.ccdsubpixel;
    }
    if (s.eEnd == 0) s.eEnd = 1;
    if (s.hwMode > 3) s.hwMode = 3;
    if (s.average > 1024) s.average = 1024;
    if (s.opMode > 1) s.opMode = 0;
}

WordRange ParameterRange(int index, u16 ccdsubpixel) {
    const u16 edgeTop = ccdsubpixel != 0 ? ccdsubpixel : u16{65535};
    // In record order, as ApplyParameterLimits limits the words.
    static constexpr WordRange kRanges[PNUM] = {
        {0, 1000},  {0, 1},     {50, 950}, {0, 7}, {0, 1},     {0, 4},     {0, 0},    {1, 0},
        {0, 65535}, {1, 65535}, {0, 1},    {0, 3}, {0, 65535}, {0, 65535}, {0, 1024}, {0, 65535}};
    if (index < 0 || index >= PNUM) return {0, 65535};
    WordRange range = kRanges[index];
    if (index == 6 || index == 7) range.max = edgeTop;  // eBeg, eEnd
    return range;
}

double GraphTop(const State& s, u16 top) {
    return top > 1 ? top : (s.pixE > 1 ? s.pixE : 1024);
}

void CopyRunResult(State& s) {
    u16* const words[PNUM] = {&s.Ledge,   &s.Redge,    &s.Mvalue, &s.tVal,     &s.tol,    &s.pix1,
                              &s.edcnt,   &s.mvstart,  &s.mvend,  &s.peakD,    &s.anaMax, &s.anaMin,
                              &s.leftMax, &s.rightMax, &s.in0,    &s.rightMaxX};
    for (int i = 0; i < PNUM; ++i)
        *words[i] = s.pp[i];
}

BarGraphDrawing ComputeBarGraph(const State& s) {
    BarGraphDrawing d;
    d.position = ClampPosition(s, MeasuredPosition(s));
    AddBars(s, d);
    AddBands(s, d);
    return d;
}

RawGroup ComputeRawGroup(const State& s) {
    const int tVal = s.tVal, tol = s.tol, mvalue = s.Mvalue, top = s.ccdmaxpixelX8 - 1;
    RawGroup g{};
    g.analogue = AnalogueValue(s);
    g.upper = tVal + tol;
    g.lower = tVal - tol;
    if (g.upper > top) g.upper = top;
    if (g.lower < 1) g.lower = 0;
    g.setpoint = tVal;
    g.measured = mvalue;

    const int halfRange = tol < 10 ? 20 : 2 * tol;
    g.zoomBottom = tVal - halfRange;
    g.zoomTop = tVal + halfRange;
    if (mvalue > g.zoomTop) g.zoomTop = mvalue + 10;
    if (mvalue < g.zoomBottom) g.zoomBottom = mvalue - 10;
    if (g.zoomTop > top) g.zoomTop = top;
    if (g.zoomBottom < 1) g.zoomBottom = 1;
    return g;
}
