#include "tolerance_verdict.h"

#include "gui_shapes.h"

namespace {

bool Within(double position, const Span& band) {
    return position >= band.from && position <= band.to;
}

}  // namespace

ToleranceVerdict JudgeTolerance(const State& s) {
    if (s.edcnt == 0) return ToleranceVerdict::NoEdge;
    const BarGraphDrawing d = ComputeBarGraph(s);
    bool in = false;
    if (s.eMode == 2)
        in = d.bandCount == 2 && Within(s.Ledge, d.bands[0]) && Within(s.Redge, d.bands[1]);
    else
        in = d.bandCount == 1 && Within(d.position, d.bands[0]);
    return in ? ToleranceVerdict::InTolerance : ToleranceVerdict::OutOfTolerance;
}

const char* VerdictText(ToleranceVerdict verdict) {
    switch (verdict) {
        case ToleranceVerdict::InTolerance:
            return "In tolerance";
        case ToleranceVerdict::OutOfTolerance:
            return "Out of tolerance";
        case ToleranceVerdict::NoEdge:
            break;
    }
    return "No edge";
}
