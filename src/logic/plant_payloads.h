// The plant link's JSON payloads. Every payload carries "schema": 1; a consumer that meets a
// higher number knows the layout changed. Pure: the caller gives the clock's reading.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "change_log.h"
#include "records.h"
#include "sensor_model.h"
#include "state.h"

inline constexpr int kPlantSchema = 1;

// One measurement as the plant sees it.
struct PlantMeasurement {
    long cycle = 0;  // counts on over link losses, from 1
    std::int64_t utcMs = 0;
    RecordWords words{};  // the 16 result words
    u16 setpoint = 0, tolerance = 0;
    std::optional<bool> inTolerance;  // the window's pass/fail verdict; none without an edge
};

// The sensor model's link and identity, and the plant link's own figures.
struct PlantState {
    std::string link;  // LinkStateName's texts, or "offline" when the publisher ends
    std::optional<SensorIdentity> identity;  // none before the first identification
    std::uint64_t queued = 0, lost = 0, connects = 0;
    std::int64_t utcMs = 0;
};

// The measurement's fields without braces: cycle, utc, the 16 words by their CSV names, setpoint,
// tolerance, inTolerance (true, false, or null when no edge was found).
std::string MeasurementMembers(const PlantMeasurement& m);
std::string MeasurementPayload(const PlantMeasurement& m);
// Several measurements in one message: {"schema":1,"measurements":[{...},...]}.
std::string MeasurementBatchPayload(const std::vector<PlantMeasurement>& batch);
std::string StatePayload(const PlantState& s);
// What the broker publishes for a monitor that died: the state topic's last will.
std::string OfflineWillPayload();
// The RAM record, and the EEPROM record when any of it is known, as objects of named words (null:
// not known).
std::string ParametersPayload(std::int64_t utcMs, const KnownRecord& ram,
                              const KnownRecord& eeprom);
// Whether any word of the record is known.
bool AnyKnown(const KnownRecord& record);
// A change log entry, as the log holds it, with the schema.
std::string EventPayload(const ChangeEntry& entry);
