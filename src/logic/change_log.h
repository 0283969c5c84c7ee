// The change log's entries: every write to the sensor (Send to RAM or EEPROM, Teach, Reset) from
// the window or the command line, one JSON object a line. This is the entries' text both ways:
// writing one, and reading the file back for `tavrix-cli log`. The file itself is the platform's
// (change_log_file.h).
#pragma once

#include <istream>
#include <optional>
#include <string>
#include <vector>

#include "exchange_outcome.h"
#include "sensor_model.h"

struct ChangeEntry {
    UtcMs time = 0;
    std::string program, user, port, firmware;
    std::string action;    // "send-ram", "send-eeprom", "teach", "reset-maxmin"
    KnownRecord before{};  // as the model knew the memory before the write (null: unknown)
    KnownRecord after{};   // as it knows it after
    ExchangeOutcome outcome = ExchangeOutcome::Answered;
    std::string details = "{}";  // an open JSON object for whoever adds to the entry
};

// The entry as one line of JSON, ending in a newline.
std::string ChangeEntryLine(const ChangeEntry& entry);
// The entry's members without the braces, for a message that carries the entry with more.
std::string ChangeEntryMembers(const ChangeEntry& entry);

// An ISO 8601 date ("2026-12-07") or date-time ("2026-12-07T14:02", "...:11", "...:11.5"), in
// UTC unless it ends in an offset ("Z", "+01:00", "-0500"). nullopt when it is none of these.
std::optional<UtcMs> ParseIsoTime(const std::string& text);

// What `tavrix-cli log` prints of a log: the entries from `since` on, a line each (the JSON line
// as it is, or a readable summary), and how many damaged lines were skipped.
struct ChangeListing {
    std::vector<std::string> lines;
    int skipped = 0;
};
ChangeListing ListChanges(std::istream& log, std::optional<UtcMs> since, bool json);
