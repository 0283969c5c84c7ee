// The program-wide state: one copy of every variable, reached by its name from every module.
// Sensor words are unsigned 16-bit throughout; nothing of 16 bits is ever signed.
#pragma once

#include <array>
#include <cstdint>
#include <string>

using u16 = std::uint16_t;

// --- Fixed values ------------------------------------------------------------------------------
inline constexpr int PNUM = 16;  // words in the parameter record and a frame payload
inline constexpr int FRAME_BYTES = PNUM * 2 + 4;  // 36
inline constexpr int RAM = 1;
inline constexpr int EEPROM = 2;
inline constexpr int DATFILE = 3;
inline constexpr double TIMEOUT = 1.5;          // seconds an answer wait lasts at most
inline constexpr double VERSION_TIMEOUT = 2.0;  // the firmware-text wait
inline constexpr int eventMask = 0x8006;        // LWRS_RXFLAG | LWRS_TXEMPTY | LWRS_RECEIVE
inline constexpr int TEXT_BYTES = 72;           // status, version and name buffers

struct State {
    // --- Sensor parameters (the parameter record) -----------------------------------------------
    u16 power = 0, pMode = 0, vThd = 0, anaMode = 0, polarity = 0, eMode = 0, eBeg = 0, eEnd = 0;
    u16 tVal = 0, tTol = 0, opMode = 0, hwMode = 0, para12 = 0, para13 = 0, average = 0;
    u16 corrX1024 = 0;

    // --- Measurement results --------------------------------------------------------------------
    u16 Ledge = 0, Redge = 0, Mvalue = 0, tol = 0, pix1 = 0, edcnt = 0, mvstart = 0, mvend = 0;
    u16 peakD = 0, anaMax = 0, anaMin = 0, leftMax = 0, rightMax = 0, in0 = 0, rightMaxX = 0;

    // --- Sensor identity and hardware profile ---------------------------------------------------
    u16 ccdtype = 0, ccdmaxpixel = 0, ccdresolution = 0, pcbtype = 0, ccdmaxpixelX8 = 0;
    u16 ccdsubpixel = 0, ccdpixE = 0, softversion = 0, pixB = 0, pixE = 0;
    u16 pixEBase = 0;  // pixE as the sensor type gives it, before a board's factor
    u16 YAXISMAX = 1024;
    std::string szVersion;

    // --- Line-image buffers ---------------------------------------------------------------------
    std::array<u16, 256> adcbuf{};
    std::array<double, 256> xArray8{};
    std::array<u16, 256> thdArray{};
    std::array<double, 500> arrayNORM{};

    // --- Link state -----------------------------------------------------------------------------
    int com = 0;
    int order = 0;
    int target = 0;
    int sync = 0x55;
    std::array<u16, PNUM> pp{};
    std::array<unsigned char, 1024> szWriteBuf{};
    std::array<unsigned char, 1024> szReadBuf{};
    int nBytesW = 0;
    int nBytesR = 0;
    int rx_flag = 0;
    int graphrefresh = 0;
    int stop_flag = 0;
    double tstart = 0.0;
    double tdiff = 0.0;
    int ret = 0;

    // --- Texts and file names -------------------------------------------------------------------
    std::string szStatus;
    std::string szSoftName;
    std::string szSoftVersion;
    std::string proj_dir;
    std::string file_name;

    // --- Panel handles --------------------------------------------------------------------------
    int pHandle = 0;
    int pPopup = 0;
};
