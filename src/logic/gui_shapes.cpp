// Pure panel logic: limits, correction factor, result copy, bar graph shapes, strip chart groups.
#include <algorithm>
#include <cmath>

#include "gui_shapes.h"
#include "records.h"

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
    for (const RecordWord& w : kParameterRecord)
        s.*w.member = Limited(w.limit, s.*w.member, s.ccdsubpixel);
}

double GraphTop(const State& s, u16 top) {
    return top > 1 ? top : (s.pixE > 1 ? s.pixE : 1024);
}

void CopyRunResult(State& s) {
    StoreRecord(kAnswerRecord, s.pp, s);
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
    // Kept: the band's floor below 1 goes to 0, the zoom's bottom below 1 to 1 (below), as the
    // strip chart has always drawn them: people compare its pictures across versions.
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
