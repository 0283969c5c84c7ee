#include "protocol.h"

namespace sim {

Words HardwareProfile::ToWords() const {
    Words w{};
    w[0] = ccdtype;
    w[1] = ccdmaxpixel;
    w[2] = ccdresolution;
    w[3] = pcbtype;
    w[4] = ccdmaxpixelX8;
    w[5] = ccdsubpixel;
    w[7] = ccdpixE;
    w[8] = softversion;
    return w;
}

Words DefaultRecord() {
    Words r{};
    r[kPower] = 500;
    r[kPMode] = 0;
    r[kVThd] = 512;
    r[kAnaMode] = 0;
    r[kPolarity] = 1;
    r[kEMode] = 1;
    r[kEBeg] = 1;
    r[kEEnd] = 1024;
    r[kTVal] = 512;
    r[kTTol] = 100;
    r[kOpMode] = 0;
    r[kHwMode] = 1;
    r[kPara12] = 0x1234;  // not shown by the tool: non-zero so that carrying it is visible
    r[kPara13] = 0x00C8;
    r[kAverage] = 0;
    r[kCorrX1024] = 1024;
    return r;
}

int SubpixelFactor(std::uint16_t ccdsubpixel) {
    switch (ccdsubpixel) {
        case 512:
            return 2;
        case 768:
            return 3;
        case 1024:
            return 4;
        case 1180:
        case 1280:
            return 5;
        case 1536:
            return 6;
        case 2048:
            return 8;
        case 2360:
        case 2560:
            return 10;
        case 8192:
            return 32;
        default:
            return 1;
    }
}

Frame MakeFrame(std::uint16_t sync, std::uint16_t code, const Words& payload) {
    Frame f{};
    PutWord(&f[0], sync);
    PutWord(&f[2], code);
    for (int i = 0; i < kWords; ++i)
        PutWord(&f[4 + 2 * i], payload[i]);
    return f;
}

Words PayloadOf(std::span<const std::uint8_t, kFrameBytes> frame) {
    Words w{};
    for (int i = 0; i < kWords; ++i)
        w[i] = GetWord(&frame[4 + 2 * i]);
    return w;
}

std::string CodeName(std::uint16_t code) {
    static const char* const kNames[] = {
        "",      "SEND_RAM",    "GET_RAM", "SEND_EEPROM", "GET_EEPROM",   "LINE_CHECK",
        "TEACH", "GET_VERSION", "RUN",     "GET_DATA64",  "GET_HARDWARE", "RESET_MAXMIN"};
    if (code >= 1 && code <= 11) return kNames[code];
    return "code " + std::to_string(code);
}

}  // namespace sim
