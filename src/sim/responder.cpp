#include "responder.h"

#include <algorithm>

namespace sim {

Responder::Responder(const SensorConfig& config)
    : config_(config),
      ram_(config.ram),
      eeprom_(config.eeprom),
      scene_(config.seed, config.noise, config.scene) {
    scene_.SetBlockStarts(config.blockStarts);
}

void Responder::SetLogLimit(std::size_t limit) {
    logLimit_ = std::max<std::size_t>(limit, 1);
    while (log_.size() > logLimit_)
        log_.pop_front();
}

void Responder::SetRecords(const Words& ram, const Words& eeprom) {
    ram_ = ram;
    eeprom_ = eeprom;
}

int Responder::Factor() const {
    return SubpixelFactor(config_.profile.ccdsubpixel);
}

Answer Responder::Respond(std::span<const std::uint8_t, kFrameBytes> request, double time) {
    LoggedRequest entry;
    entry.time = time;
    entry.code = GetWord(&request[2]);
    std::copy(request.begin(), request.end(), entry.bytes.begin());
    log_.push_back(entry);
    if (log_.size() > logLimit_) log_.pop_front();
    ++requestCount_;

    if (GetWord(&request[0]) != kRequestSync) return {};
    const Words payload = PayloadOf(request);
    const std::uint16_t code = entry.code;
    switch (code) {
        case SEND_RAM:
            ram_ = payload;
            return RecordFrame(code, ram_);
        case SEND_EEPROM:
            eeprom_ = payload;
            ram_ = payload;
            return RecordFrame(code, eeprom_);
        case GET_RAM:
            return RecordFrame(code, ram_);
        case GET_EEPROM:
            return RecordFrame(code, eeprom_);
        case LINE_CHECK:
            return RecordFrame(code, payload);
        case TEACH:
            ram_[kTVal] = Measure(scene_.image(), ram_, Factor())[kMvalue];
            return RecordFrame(code, ram_);
        case GET_VERSION:
            return Version();
        case RUN:
            return Run();
        case GET_DATA64:
            return ImageWords(payload[0], kBlockWords);
        case GET_HARDWARE:
            return RecordFrame(code, config_.profile.ToWords());
        case RESET_MAXMIN: {
            const std::uint16_t board = config_.profile.pcbtype;
            const bool allZero =
                std::all_of(payload.begin(), payload.end(), [](std::uint16_t w) { return w == 0; });
            if (board != 0 && board != 100 && allZero) return ImageWords(0, kImageSamples);
            return ResetMaxMin(code);
        }
        default:
            return {};
    }
}

Answer Responder::RecordFrame(std::uint16_t code, const Words& words) const {
    const Frame f = MakeFrame(kAnswerSync, code, words);
    return {AnswerKind::FrameAnswer, std::vector<std::uint8_t>(f.begin(), f.end())};
}

Answer Responder::Version() const {
    Answer a{AnswerKind::Raw, std::vector<std::uint8_t>(kVersionBytes, 0)};
    const std::string& text = config_.firmware;
    if (config_.profile.pcbtype == 0) {
        const std::size_t n = std::min<std::size_t>(text.size(), kVersionBytes / 2);
        for (std::size_t i = 0; i < n; ++i)
            a.bytes[2 * i + 1] = static_cast<std::uint8_t>(text[i]);
    } else {
        std::copy_n(text.begin(), std::min<std::size_t>(text.size(), kVersionBytes),
                    a.bytes.begin());
    }
    return a;
}

Answer Responder::Run() {
    scene_.Step(ram_[kPolarity] != 0);
    Words r = Measure(scene_.image(), ram_, Factor());
    const std::uint16_t m = r[kMvalue];
    anaMax_ = haveMaxMin_ ? std::max(anaMax_, m) : m;
    anaMin_ = haveMaxMin_ ? std::min(anaMin_, m) : m;
    haveMaxMin_ = true;
    r[kAnaMax] = anaMax_;
    r[kAnaMin] = anaMin_;
    lastRun_ = r;
    return RecordFrame(RUN, r);
}

Answer Responder::ImageWords(int offset, int count) const {
    Answer a{AnswerKind::Raw, std::vector<std::uint8_t>(2 * count, 0)};
    const Image& img = scene_.image();
    for (int i = 0; i < count && offset + i < kImageSamples; ++i)
        PutWord(&a.bytes[2 * i], img[offset + i]);
    return a;
}

Answer Responder::ResetMaxMin(std::uint16_t code) {
    haveMaxMin_ = false;
    anaMax_ = anaMin_ = 0;
    return RecordFrame(code, ram_);
}

}  // namespace sim
