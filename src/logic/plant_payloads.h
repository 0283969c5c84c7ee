// The plant link's JSON payloads. Every payload carries "schema": 1; a consumer that meets a
// higher number knows the layout changed. Pure: the caller gives the clock's reading.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "records.h"
#include "state.h"

inline constexpr int kPlantSchema = 1;

// One measurement as the plant sees it.
struct PlantMeasurement {
    long cycle = 0;  // counts on over link losses, from 1
    std::int64_t utcMs = 0;
    RecordWords words{};  // the 16 result words
    u16 setpoint = 0, tolerance = 0;
    bool inTolerance = false;
};

// The sensor's identity and hardware profile, as read by the last identification.
struct PlantIdentity {
    std::string port, firmware;
    u16 ccdtype = 0, ccdmaxpixel = 0, ccdresolution = 0, pcbtype = 0, ccdsubpixel = 0;
    u16 softversion = 0, pixB = 0, pixE = 0;
    bool operator==(const PlantIdentity&) const = default;
};

// What the monitor knows of the sensor and of its own link to the broker.
struct PlantState {
    std::string link;                       // "identifying", "answering", "lost" or "offline"
    std::optional<PlantIdentity> identity;  // none before the first identification
    std::uint64_t queued = 0, lost = 0, connects = 0;
    std::int64_t utcMs = 0;
};

struct PlantWordChange {
    int word = 0;  // 0..15
    u16 before = 0, after = 0;
};

// One entry of the change log: a write to the sensor.
struct PlantEvent {
    std::int64_t utcMs = 0;
    std::string action;   // "send", "teach", "reset-maxmin", ...
    std::string memory;   // "ram", "eeprom" or empty
    std::string outcome;  // the exchange's outcome, as OutcomeName gives it
    std::vector<PlantWordChange> changes;
};

// The measurement's fields without braces: cycle, utc, the 16 words by their CSV names, setpoint,
// tolerance, inTolerance.
std::string MeasurementMembers(const PlantMeasurement& m);
std::string MeasurementPayload(const PlantMeasurement& m);
// Several measurements in one message: {"schema":1,"measurements":[{...},...]}.
std::string MeasurementBatchPayload(const std::vector<PlantMeasurement>& batch);
std::string StatePayload(const PlantState& s);
// What the broker publishes for a monitor that died: the state topic's last will.
std::string OfflineWillPayload();
// The RAM record, and the EEPROM record when read, as objects of named words.
std::string ParametersPayload(std::int64_t utcMs, const RecordWords& ram,
                              const std::optional<RecordWords>& eeprom);
std::string EventPayload(const PlantEvent& e);
