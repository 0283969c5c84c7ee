#include "sensor_model.h"

namespace {

constexpr int kSetpointWord = 8;  // tVal in the parameter record

// The request left whole, so the sensor may have acted on it even though no answer was taken.
bool MayHaveActed(ExchangeOutcome outcome) {
    switch (outcome) {
        case ExchangeOutcome::TimedOut:
        case ExchangeOutcome::WrongSync:
        case ExchangeOutcome::WrongEcho:
        case ExchangeOutcome::RepeatDropped:
        case ExchangeOutcome::PortLost:
        case ExchangeOutcome::ShortData:
            return true;
        default:
            return false;
    }
}

}  // namespace

std::optional<RecordWords> FullyKnown(const KnownRecord& record) {
    RecordWords words{};
    for (int i = 0; i < PNUM; ++i) {
        if (!record[i]) return std::nullopt;
        words[i] = *record[i];
    }
    return words;
}

KnownRecord Known(const RecordWords& words) {
    KnownRecord record;
    for (int i = 0; i < PNUM; ++i)
        record[i] = words[i];
    return record;
}

void SensorModel::OnPortOpening(const std::string& port) {
    *this = SensorModel{};
    identity_.port = port;
    link_ = LinkState::Opening;
}

void SensorModel::OnPortClosed() {
    link_ = LinkState::NoPort;
}

void SensorModel::OnIdentifying() {
    link_ = LinkState::Identifying;
}

void SensorModel::OnIdentified(SensorIdentity identity) {
    identity.port = identity_.port;
    identity_ = std::move(identity);
    link_ = LinkState::Online;
}

void SensorModel::OnOutcome(ExchangeOutcome outcome, UtcMs now) {
    switch (outcome) {
        case ExchangeOutcome::Answered:
            link_ = LinkState::Online;
            break;
        case ExchangeOutcome::TimedOut:
        case ExchangeOutcome::RepeatDropped:
            if (link_ != LinkState::NotAnswering) silentSince_ = now;
            link_ = LinkState::NotAnswering;
            break;
        case ExchangeOutcome::WrongSync:
            link_ = LinkState::WrongDevice;
            break;
        case ExchangeOutcome::PortLost:
            link_ = LinkState::Unplugged;
            break;
        case ExchangeOutcome::NotOpen:
            if (link_ != LinkState::Unplugged) link_ = LinkState::NoPort;
            break;
        case ExchangeOutcome::WrongEcho:
        case ExchangeOutcome::ShortWrite:
        case ExchangeOutcome::ShortData:
        case ExchangeOutcome::Stopped:
            break;
    }
}

void SensorModel::OnRecordRead(Memory memory, ExchangeOutcome outcome, const RecordWords& words,
                               UtcMs now) {
    OnOutcome(outcome, now);
    if (outcome != ExchangeOutcome::Answered) return;
    Of(memory) = Known(words);
    SettleNotStored();
}

void SensorModel::OnRecordSent(Memory memory, ExchangeOutcome outcome, const RecordWords& words,
                               UtcMs now) {
    OnOutcome(outcome, now);
    KnownRecord& record = Of(memory);
    if (outcome == ExchangeOutcome::Answered) {
        record = Known(words);
        if (memory == Memory::Ram) ramNotStored_ = true;
        SettleNotStored();
        return;
    }
    if (!MayHaveActed(outcome)) return;
    for (int i = 0; i < PNUM; ++i)
        if (record[i] != words[i]) record[i].reset();
}

void SensorModel::OnTaught(ExchangeOutcome outcome, UtcMs now) {
    OnOutcome(outcome, now);
    if (outcome != ExchangeOutcome::Answered && !MayHaveActed(outcome)) return;
    ram_[kSetpointWord].reset();
    if (outcome == ExchangeOutcome::Answered) ramNotStored_ = true;
}

void SensorModel::SettleNotStored() {
    const auto ram = FullyKnown(ram_), eeprom = FullyKnown(eeprom_);
    if (ram && eeprom && *ram == *eeprom) ramNotStored_ = false;
}

WordMask SensorModel::Unsent(const RecordWords& panel) const {
    WordMask unsent;
    for (int i = 0; i < PNUM; ++i)
        unsent[static_cast<std::size_t>(i)] = ram_[i] && *ram_[i] != panel[i];
    return unsent;
}

WordMask SensorModel::Unknown() const {
    WordMask unknown;
    for (int i = 0; i < PNUM; ++i)
        unknown[static_cast<std::size_t>(i)] = !ram_[i];
    return unknown;
}

bool SensorModel::NotStored() const {
    if (ramNotStored_) return true;
    for (int i = 0; i < PNUM; ++i)
        if (ram_[i] && eeprom_[i] && *ram_[i] != *eeprom_[i]) return true;
    return false;
}

std::string SensorModel::MemoryState() const {
    return MemoryStateText(FullyKnown(ram_), FullyKnown(eeprom_), ramNotStored_);
}

const char* LinkStateName(LinkState state) {
    switch (state) {
        case LinkState::NoPort:
            return "no port";
        case LinkState::Opening:
            return "opening port";
        case LinkState::Identifying:
            return "identifying";
        case LinkState::Online:
            return "online";
        case LinkState::NotAnswering:
            return "not answering";
        case LinkState::Unplugged:
            return "unplugged";
        case LinkState::WrongDevice:
            return "wrong device";
    }
    return "";
}
