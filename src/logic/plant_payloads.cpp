#include "plant_payloads.h"

#include "json_text.h"
#include "workbench_csv.h"

namespace {

// `name` is one of this file's own identifiers: nothing to escape.
std::string Member(const char* name, const std::string& json) {
    return std::string("\"") + name + "\":" + json;
}

std::string Number(std::uint64_t v) {
    return std::to_string(v);
}

std::string Schema() {
    return Member("schema", std::to_string(kPlantSchema));
}

std::string Head(std::int64_t utcMs) {
    return "{" + Schema() + "," + Member("utc", JsonQuote(IsoUtc(utcMs)));
}

std::string NamedWords(const KnownRecord& words) {
    std::string out = "{";
    for (int i = 0; i < PNUM; ++i) {
        const auto& word = words[static_cast<std::size_t>(i)];
        out += (i ? "," : "") + Member(kParameterRecord[static_cast<std::size_t>(i)].name,
                                       word ? std::to_string(*word) : "null");
    }
    return out + "}";
}

// The identity under the names the sensor's own words have (as `tavrix-cli identify` prints).
std::string IdentityObject(const SensorIdentity& id) {
    return "{" + Member("port", JsonQuote(id.port)) + "," +
           Member("firmware", JsonQuote(id.firmware)) + "," +
           Member("ccdtype", Number(id.sensorType)) + "," +
           Member("ccdmaxpixel", Number(id.pixels)) + "," + Member("pcbtype", Number(id.board)) +
           "," + Member("ccdsubpixel", Number(id.subPixels)) + "," +
           Member("softversion", Number(id.softwareVersion)) + "," +
           Member("identified", JsonQuote(IsoUtc(id.identifiedAt))) + "}";
}

}  // namespace

std::string MeasurementMembers(const PlantMeasurement& m) {
    std::string out =
        Member("cycle", std::to_string(m.cycle)) + "," + Member("utc", JsonQuote(IsoUtc(m.utcMs)));
    for (std::size_t i = 0; i < kAnswerRecord.size(); ++i)
        out += "," + Member(kAnswerRecord[i].name, std::to_string(m.words[i]));
    return out + "," + Member("setpoint", Number(m.setpoint)) + "," +
           Member("tolerance", Number(m.tolerance)) + "," +
           Member("inTolerance", !m.inTolerance   ? "null"
                                 : *m.inTolerance ? "true"
                                                  : "false");
}

std::string MeasurementPayload(const PlantMeasurement& m) {
    return "{" + Schema() + "," + MeasurementMembers(m) + "}";
}

std::string MeasurementBatchPayload(const std::vector<PlantMeasurement>& batch) {
    std::string out = "{" + Schema() + ",\"measurements\":[";
    for (std::size_t i = 0; i < batch.size(); ++i)
        out += (i ? ",{" : "{") + MeasurementMembers(batch[i]) + "}";
    return out + "]}";
}

std::string StatePayload(const PlantState& s) {
    std::string out = Head(s.utcMs) + "," +
                      Member("online", s.link == "offline" ? "false" : "true") + "," +
                      Member("link", JsonQuote(s.link));
    if (s.identity) out += "," + Member("identity", IdentityObject(*s.identity));
    return out + "," + Member("queued", Number(s.queued)) + "," + Member("lost", Number(s.lost)) +
           "," + Member("connects", Number(s.connects)) + "}";
}

std::string OfflineWillPayload() {
    return "{" + Schema() + "," + Member("online", "false") + "," +
           Member("link", JsonQuote("offline")) + "}";
}

bool AnyKnown(const KnownRecord& record) {
    for (const auto& word : record)
        if (word) return true;
    return false;
}

std::string ParametersPayload(std::int64_t utcMs, const KnownRecord& ram,
                              const KnownRecord& eeprom) {
    std::string out = Head(utcMs) + "," + Member("ram", NamedWords(ram));
    if (AnyKnown(eeprom)) out += "," + Member("eeprom", NamedWords(eeprom));
    return out + "}";
}

std::string EventPayload(const ChangeEntry& entry) {
    return "{" + Schema() + "," + ChangeEntryMembers(entry) + "}";
}
