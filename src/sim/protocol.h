// The sensor's wire format: 36-byte frames of big-endian 16-bit words, the command codes and the
// records the sensor keeps. Shared by the simulator's responder, its server and the tests.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

namespace sim {

inline constexpr int kWords = 16;                      // payload words of a frame
inline constexpr int kFrameBytes = 4 + 2 * kWords;     // 36
inline constexpr std::uint16_t kRequestSync = 0x0055;  // first word of every request
inline constexpr std::uint16_t kAnswerSync = 0x00AA;   // first word of every answer frame
inline constexpr int kImageSamples = 256;              // samples of the line image
inline constexpr int kBlockWords = 64;                 // words of a GET_DATA64 block
inline constexpr int kVersionBytes = 72;               // bytes of the firmware-version answer

enum Code : std::uint16_t {
    SEND_RAM = 1,
    GET_RAM = 2,
    SEND_EEPROM = 3,
    GET_EEPROM = 4,
    LINE_CHECK = 5,
    TEACH = 6,
    GET_VERSION = 7,
    RUN = 8,
    GET_DATA64 = 9,
    GET_HARDWARE = 10,
    RESET_MAXMIN = 11,  // also the 256-word line-image read on boards other than 0 and 100
};

using Words = std::array<std::uint16_t, kWords>;
using Frame = std::array<std::uint8_t, kFrameBytes>;

// Words of the parameter record.
enum RecordWord : int {
    kPower = 0,
    kPMode,
    kVThd,
    kAnaMode,
    kPolarity,
    kEMode,
    kEBeg,
    kEEnd,
    kTVal,
    kTTol,
    kOpMode,
    kHwMode,
    kPara12,
    kPara13,
    kAverage,
    kCorrX1024,
};

// Words of the run result (answer to RUN).
enum RunWord : int {
    kLedge = 0,
    kRedge,
    kMvalue,
    kRunTVal,
    kTol,
    kPix1,
    kEdcnt,
    kMvStart,
    kMvEnd,
    kPeakD,
    kAnaMax,
    kAnaMin,
    kLeftMax,
    kRightMax,
    kIn0,
    kRightMaxX,
};

// The hardware profile as sent in the answer to GET_HARDWARE (words 0..8; 6 unused).
struct HardwareProfile {
    std::uint16_t ccdtype = 1;           // sensor type
    std::uint16_t ccdmaxpixel = 1024;    // pixel count
    std::uint16_t ccdresolution = 750;   // resolution code (looked at for sensor type 2)
    std::uint16_t pcbtype = 0;           // board type
    std::uint16_t ccdmaxpixelX8 = 8192;  // eight-fold pixel count
    std::uint16_t ccdsubpixel = 1024;    // full scale of edge positions
    std::uint16_t ccdpixE = 1024;        // last valid position
    std::uint16_t softversion = 152;     // firmware version number

    Words ToWords() const;
    bool operator==(const HardwareProfile&) const = default;
};

// The record a fresh sensor holds in RAM and EEPROM.
Words DefaultRecord();

// Sub-pixel units per line-image sample for a sub-pixel full scale (1 when not recognised).
int SubpixelFactor(std::uint16_t ccdsubpixel);

// Big-endian word access into byte buffers. No bounds checks: callers pass valid offsets.
inline std::uint16_t GetWord(const std::uint8_t* bytes) {
    return static_cast<std::uint16_t>(bytes[0] << 8 | bytes[1]);
}
inline void PutWord(std::uint8_t* bytes, std::uint16_t word) {
    bytes[0] = static_cast<std::uint8_t>(word >> 8);
    bytes[1] = static_cast<std::uint8_t>(word & 0xFF);
}

// A 36-byte frame: sync word, code word, 16 payload words.
Frame MakeFrame(std::uint16_t sync, std::uint16_t code, const Words& payload);
// The 16 payload words of a frame.
Words PayloadOf(std::span<const std::uint8_t, kFrameBytes> frame);
// Human-readable command name ("RUN", "code 42" for unknown codes).
std::string CodeName(std::uint16_t code);

}  // namespace sim
