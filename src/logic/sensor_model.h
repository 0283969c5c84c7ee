// What the program knows about the sensor on its port: the link, the sensor's identity, and its
// RAM and EEPROM parameter records word by word. It changes only through the outcomes of
// exchanges; everything that shows or logs sensor state (the sensor box, the marks, Compare, the
// close question, the change log, the command line) reads it here.
//
// The panel is not held here: the program's parameter state stays the master copy, and the
// derived views (unsent, not stored) take the panel's record from the caller.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>

#include "exchange_outcome.h"
#include "record_diff.h"
#include "sensor_memory.h"

using UtcMs = std::int64_t;  // milliseconds since 1970-01-01 UTC

enum class LinkState {
    NoPort,        // no port open
    Opening,       // the port is being opened
    Identifying,   // the identification steps run
    Online,        // the last exchange was answered
    NotAnswering,  // requests leave, no answer comes (since silentSince)
    Unplugged,     // the port went away
    WrongDevice,   // a frame without the answer sync word came: another device answers
};

struct SensorIdentity {
    std::string port;
    u16 sensorType = 0, pixels = 0, subPixels = 0, board = 0, softwareVersion = 0;
    std::string firmware;
    UtcMs identifiedAt = 0;  // 0: not identified on this port
    bool operator==(const SensorIdentity&) const = default;
};

// A record as far as it is known: an empty word was never read, or a request that may have
// changed it went unanswered.
using KnownRecord = std::array<std::optional<u16>, PNUM>;

// The record when every word is known.
std::optional<RecordWords> FullyKnown(const KnownRecord& record);
KnownRecord Known(const RecordWords& words);

class SensorModel {
  public:
    // --- Link: port and identification ---
    // A port is being opened: everything known of the previous one is forgotten.
    void OnPortOpening(const std::string& port);
    // The port could not be opened, or was closed.
    void OnPortClosed();
    void OnIdentifying();
    // The identification completed (line check, profile and record read answered).
    void OnIdentified(SensorIdentity identity);
    // Any exchange's outcome: moves the link state. Answered: online; no answer: not answering
    // (since the first silent one); a wrong sync: wrong device; the port gone: unplugged. A port
    // found not open keeps "unplugged", which says more.
    void OnOutcome(ExchangeOutcome outcome, UtcMs now);

    // --- Records ---
    // A Get (or Compare's read) of `memory`: answered, the words are what it holds.
    void OnRecordRead(Memory memory, ExchangeOutcome outcome, const RecordWords& words, UtcMs now);
    // A Send of `words` to `memory`. Answered (echo 1 RAM, echo 3 EEPROM): the memory holds them;
    // RAM is then written and not stored until EEPROM holds the same. A request that left without
    // an answer may have been taken: the words it would change become unknown.
    void OnRecordSent(Memory memory, ExchangeOutcome outcome, const RecordWords& words, UtcMs now);
    // Teach moves the setpoint in RAM: its word is unknown until read back.
    void OnTaught(ExchangeOutcome outcome, UtcMs now);

    // --- What is known ---
    LinkState Link() const { return link_; }
    UtcMs SilentSince() const { return silentSince_; }
    const SensorIdentity& Identity() const { return identity_; }
    const KnownRecord& Ram() const { return ram_; }
    const KnownRecord& Eeprom() const { return eeprom_; }
    bool RamWrittenNotStored() const { return ramNotStored_; }

    // --- Derived ---
    // Panel words that differ from a known RAM word.
    WordMask Unsent(const RecordWords& panel) const;
    // RAM words not known.
    WordMask Unknown() const;
    // RAM differs from EEPROM where both are known, or RAM was written and not stored.
    bool NotStored() const;
    // "RAM and EEPROM match", "RAM differs from EEPROM in N values", "EEPROM not read" or
    // "RAM written, not stored in EEPROM".
    std::string MemoryState() const;

  private:
    KnownRecord& Of(Memory memory) { return memory == Memory::Ram ? ram_ : eeprom_; }
    void SettleNotStored();

    LinkState link_ = LinkState::NoPort;
    UtcMs silentSince_ = 0;
    SensorIdentity identity_;
    KnownRecord ram_{}, eeprom_{};
    bool ramNotStored_ = false;
};

// The link state's lamp text: "online", "not answering", "unplugged", "wrong device", "no port",
// "opening port", "identifying".
const char* LinkStateName(LinkState state);
