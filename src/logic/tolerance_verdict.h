// Whether a measurement is in tolerance, by the bar graph's own bands (gui_shapes.h), mode by mode:
// in edge modes 0, 1, 3 and 4 the value cursor lies in the one band tVal ± tol, clamped as drawn;
// in edge mode 2 each edge lies in its own band; with no edge found there is no verdict on the
// value. The window's lamp and the plant link both judge by this one rule.
#pragma once

#include "state.h"

enum class ToleranceVerdict { InTolerance, OutOfTolerance, NoEdge };

ToleranceVerdict JudgeTolerance(const State& s);
// "In tolerance", "Out of tolerance", "No edge".
const char* VerdictText(ToleranceVerdict verdict);
