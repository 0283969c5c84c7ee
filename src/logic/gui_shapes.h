// What the panel shows, worked out from the state alone: parameter limits, the correction
// factor, the bar graph's shapes and the strip chart's groups. Pure functions: no panel.
#pragma once

#include "state.h"

// The parameter limits of the record table (records.h). The edge window is limited to the
// sub-pixel full scale only once a hardware profile has set it (ccdsubpixel above 0).
void ApplyParameterLimits(State& s);
// The correction factor between the panel's double and its 1/1024 fixed point (truncating).
u16 CorrToFixed(double c);
double CorrFromFixed(u16 corrX1024);
// The correction factor the sensor gets for `c`: CorrToFixed's whole number of 1/1024 steps.
double SnapCorr(double c);
// The top of a graph's x axis: `top` once a hardware profile has set it (above 1), the start-up
// position range before, so that the start-up band and cursors are in view.
double GraphTop(const State& s, u16 top);
// Copies a measurement answer's 16 words from pp into the result variables (word 3 into tVal).
void CopyRunResult(State& s);

struct Span {
    double from;
    double to;
};

// What the bar graph shows for the current state (pure).
struct BarGraphDrawing {
    int position = 0;  // value cursor, after its clamps
    int barCount = 0;  // red bars, 1 or 2
    Span bars[2]{};
    int bandCount = 0;  // green bands, 0 to 2
    Span bands[2]{};
};
BarGraphDrawing ComputeBarGraph(const State& s);

// One history group of the strip chart and its zoom range (pure).
struct RawGroup {
    int upper, lower, setpoint, measured, analogue;
    int zoomBottom, zoomTop;
};
RawGroup ComputeRawGroup(const State& s);
