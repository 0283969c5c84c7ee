// An answer frame from the line, decoded into pp and carried through everything that shows it:
// unpacking, the parameter limits, the result copy, the bar graph and the strip chart group.
#include <algorithm>
#include <cstddef>
#include <cstdint>

#include "com232_codec.h"
#include "gui_shapes.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    State s;
    const std::size_t n = std::min(size, s.szReadBuf.size());
    std::copy(data, data + n, s.szReadBuf.begin());
    GetRxBuf(s, PNUM);

    // The hardware profile comes from a second frame of the same input when there is one.
    State profile;
    if (size >= 2 * FRAME_BYTES) {
        std::copy(data + FRAME_BYTES, data + 2 * FRAME_BYTES, profile.szReadBuf.begin());
        GetRxBuf(profile, PNUM);
    }
    s.pixB = profile.pp[0], s.pixE = profile.pp[1], s.ccdsubpixel = profile.pp[2];
    s.ccdmaxpixelX8 = profile.pp[3];

    CopyPPtoVars(s);
    ApplyParameterLimits(s);
    CopyRunResult(s);
    const BarGraphDrawing d = ComputeBarGraph(s);
    if (d.barCount < 1 || d.barCount > 2 || d.bandCount < 0 || d.bandCount > 2) __builtin_trap();
    ComputeRawGroup(s);
    return 0;
}
