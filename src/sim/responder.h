// The simulated sensor's protocol: takes one 36-byte request frame and gives the bytes the sensor
// answers with. No input or output and no clock: the caller passes the time for the request log.
//
// Answers by command code (words big-endian; a frame is 0x00 0xAA, the code echoed, 16 words):
//   1 SEND_RAM      stores the payload in RAM; frame with the stored record
//   2 GET_RAM       frame with the RAM record
//   3 SEND_EEPROM   stores the payload in EEPROM and RAM; frame with the stored record
//   4 GET_EEPROM    frame with the EEPROM record
//   5 LINE_CHECK    frame echoing the request's payload
//   6 TEACH         RAM setpoint (word 8) := the value measured now; frame with the RAM record
//   7 GET_VERSION   72 raw bytes: board 0 sends one word per character (high byte 0, zero words
//                   after the text, at most 36 characters); other boards plain text, zero-padded
//   8 RUN           moves the scene one step; frame with the run result measured with the RAM
//                   record (anaMax/anaMin: extremes of Mvalue since the last reset)
//   9 GET_DATA64    128 raw bytes: 64 image words from the offset in payload word 0 (bytes 4-5);
//                   words past the image's end are 0
//  10 GET_HARDWARE  frame with the hardware profile
//  11               boards 0 and 100: reset of anaMax/anaMin, frame with the RAM record. Other
//                   boards: 512 raw bytes (the whole image) when all 16 payload words are 0,
//                   otherwise the reset
//  A request whose first word is not 0x0055 or whose code is unknown gets no answer (it is logged).
#pragma once

#include <cstdint>
#include <deque>
#include <span>
#include <string>
#include <vector>

#include "protocol.h"
#include "scene.h"

namespace sim {

// What a sensor is: its profile, firmware text and the records it starts with.
struct SensorConfig {
    HardwareProfile profile;
    std::string firmware = "TAVRIX-DIDOR SIM V1.52";
    Words ram = DefaultRecord();
    Words eeprom = DefaultRecord();
    std::uint32_t seed = 1;                  // noise of the scene
    int noise = 6;                           // noise amplitude of the scene
    std::vector<std::uint16_t> blockStarts;  // samples every image block starts with
    SceneKind scene = SceneKind::Moving;
};

enum class AnswerKind {
    None,         // no answer
    FrameAnswer,  // a 36-byte answer frame
    Raw,          // a raw block: version text or line image
};

struct Answer {
    AnswerKind kind = AnswerKind::None;
    std::vector<std::uint8_t> bytes;
};

struct LoggedRequest {
    double time = 0;  // as passed to Respond
    std::uint16_t code = 0;
    Frame bytes{};
};

class Responder {
  public:
    explicit Responder(const SensorConfig& config = {});

    Answer Respond(std::span<const std::uint8_t, kFrameBytes> request, double time = 0);

    const Words& ram() const { return ram_; }
    const Words& eeprom() const { return eeprom_; }
    const HardwareProfile& profile() const { return config_.profile; }
    const std::string& firmware() const { return config_.firmware; }
    const Image& image() const { return scene_.image(); }
    // The run result of the latest RUN (all zero before the first).
    const Words& lastRun() const { return lastRun_; }

    // The most recent requests, oldest first; at most logLimit entries are kept.
    const std::deque<LoggedRequest>& log() const { return log_; }
    // Requests taken since construction, including those dropped from the log.
    long requestCount() const { return requestCount_; }
    void ClearLog() { log_.clear(); }
    void SetLogLimit(std::size_t limit);

    // Replaces the sensor's records (e.g. to carry them over to a new server).
    void SetRecords(const Words& ram, const Words& eeprom);

  private:
    Answer RecordFrame(std::uint16_t code, const Words& words) const;
    Answer Version() const;
    Answer Run();
    Answer ImageWords(int offset, int count) const;
    Answer ResetMaxMin(std::uint16_t code);
    int Factor() const;

    SensorConfig config_;
    Words ram_;
    Words eeprom_;
    Scene scene_;
    Words lastRun_{};
    bool haveMaxMin_ = false;
    std::uint16_t anaMax_ = 0;
    std::uint16_t anaMin_ = 0;
    std::deque<LoggedRequest> log_;
    std::size_t logLimit_ = 10000;
    long requestCount_ = 0;
};

}  // namespace sim
