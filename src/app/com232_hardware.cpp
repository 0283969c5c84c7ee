// Hardware profile: asks the sensor for its profile and adapts scales, limits, axes and controls.
#include <algorithm>

#include "com232.h"
#include "panel_ids.h"
#include "subpixel_scale.h"

using namespace platform;

namespace {

bool IsKnownPixelCount(u16 n) {
    switch (n) {
        case 512:
        case 768:
        case 1024:
        case 1280:
        case 1536:
        case 2048:
            return true;
        default:
            return false;
    }
}

void SetRange(State& s, u16 first, u16 last) {
    s.pixB = first;
    s.pixE = last;
    s.pixEBase = last;
}

void ApplySensorType(Program& p) {
    switch (p.ccdtype) {
        case 1:
            SetRange(p, 1, 1024);
            break;
        case 2:
            if (p.ccdresolution == 350 || p.ccdresolution == 250) {
                SetRange(p, 1, 1024);
                if (p.softversion == 220) p.YAXISMAX = 256;
            }
            break;
        case 3:
        case 4:
            SetRange(p, 1, 512);
            p.rt.SetAxisScalingMode(p.pHandle, ui::STRIPRaw, VAL_LEFT_YAXIS, VAL_MANUAL, 0.0,
                                    p.ccdmaxpixel);
            break;
        case 101:
            SetRange(p, 1, 256);
            break;
        case 102:
            SetRange(p, 1, 768);
            if (p.softversion > 220) p.YAXISMAX = 256;
            break;
        case 103:
            SetRange(p, 1, p.ccdpixE);
            p.rt.SetCtrlAttribute(p.pHandle, ui::BINSW_OpMode, ATTR_OFF_TEXT, "ADC-CNV");
            p.rt.SetCtrlAttribute(p.pHandle, ui::BINSW_OpMode, ATTR_ON_TEXT, "DIG-CMP");
            break;
        case 104:
            SetRange(p, 1, 1536);
            break;
        default:
            SetRange(p, 1, 1024);
            break;
    }
}

void DimAnalogueGroup(Program& p, int dimmed) {
    for (int ctrl : {ui::NUMAnaMode, ui::CTRLAnaOutput, ui::NUMAnaMax, ui::NUMAnaMin})
        p.rt.SetCtrlAttribute(p.pHandle, ctrl, ATTR_DIMMED, dimmed);
}

void ApplyBoardType(Program& p) {
    if (p.pcbtype == 100) {
        DimAnalogueGroup(p, 0);  // NUMPMode stays as a board 400 left it
        // From the sensor type's own value, so that identifying the same sensor again does not
        // multiply once more; saturated, since a wrapped range would make every position invalid.
        p.pixE = static_cast<u16>(std::min(p.pixEBase * 8, 0xFFFF));
    } else if (p.pcbtype == 400) {
        DimAnalogueGroup(p, 1);
        p.rt.SetCtrlAttribute(p.pHandle, ui::NUMPMode, ATTR_DIMMED, 1);
    }
}

}  // namespace

void ApplyHardwareProfile(Program& p) {
    p.pixE = p.pixEBase;  // the sensor types that keep the range keep it without a board's factor
    p.rt.SetAxisScalingMode(p.pHandle, ui::GRAPHVideo, VAL_XAXIS, VAL_MANUAL, 1.0, p.ccdsubpixel);
    if (!IsKnownPixelCount(p.ccdmaxpixel)) p.ccdmaxpixel = 256;
    const int factor = SubpixelFactor(p.ccdsubpixel);
    for (int i = 0; i < 256; ++i)
        p.xArray8[i] = static_cast<double>(factor * i);
    ApplySensorType(p);
    ApplyBoardType(p);
}

int GetHARDWAREInfo(Program& p) {
    p.YAXISMAX = 1024;
    // Only an answer that echoes the request is a profile: any other frame's words would steer
    // the firmware text, the block reads and the edge-window limits.
    if (!AwaitAnswer(p, WriteRequest(p, GET_HARDWARE))) {
        p.szStatus = "Timeout-RS-232...";
        return 0;
    }
    const unsigned char* b = p.szReadBuf.data();
    p.ccdtype = WordAt(b, 4);
    p.ccdmaxpixel = WordAt(b, 6);
    p.ccdresolution = WordAt(b, 8);
    p.pcbtype = WordAt(b, 10);
    p.ccdmaxpixelX8 = WordAt(b, 12);
    p.ccdsubpixel = WordAt(b, 14);
    p.ccdpixE = WordAt(b, 18);
    p.softversion = WordAt(b, 20);

    ApplyHardwareProfile(p);
    return 1;
}
