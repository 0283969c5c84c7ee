#include "plant_payloads.h"

#include "records.h"
#include "workbench_csv.h"

namespace {

std::string Quoted(const std::string& text) {
    std::string out = "\"";
    for (const char c : text) {
        const auto u = static_cast<unsigned char>(c);
        if (c == '"' || c == '\\') {
            out += '\\';
            out += c;
        } else if (u < 0x20 || u == 0x7F) {
            out += ' ';  // a sensor's text never breaks the JSON
        } else {
            out += c;
        }
    }
    return out + '"';
}

std::string Member(const char* name, const std::string& json) {
    return std::string("\"") + name + "\":" + json;
}

std::string Number(std::uint64_t v) {
    return std::to_string(v);
}

std::string Head(std::int64_t utcMs) {
    return "{" + Member("schema", std::to_string(kPlantSchema)) + "," +
           Member("utc", Quoted(IsoUtc(utcMs)));
}

std::string NamedWords(const RecordWords& words) {
    std::string out = "{";
    for (int i = 0; i < PNUM; ++i)
        out += (i ? "," : "") + Member(kParameterRecord[static_cast<std::size_t>(i)].name,
                                       std::to_string(words[static_cast<std::size_t>(i)]));
    return out + "}";
}

std::string IdentityObject(const PlantIdentity& id) {
    return "{" + Member("port", Quoted(id.port)) + "," + Member("firmware", Quoted(id.firmware)) +
           "," + Member("ccdtype", Number(id.ccdtype)) + "," +
           Member("ccdmaxpixel", Number(id.ccdmaxpixel)) + "," +
           Member("ccdresolution", Number(id.ccdresolution)) + "," +
           Member("pcbtype", Number(id.pcbtype)) + "," +
           Member("ccdsubpixel", Number(id.ccdsubpixel)) + "," +
           Member("softversion", Number(id.softversion)) + "," + Member("pixB", Number(id.pixB)) +
           "," + Member("pixE", Number(id.pixE)) + "}";
}

}  // namespace

std::string MeasurementMembers(const PlantMeasurement& m) {
    std::string out =
        Member("cycle", std::to_string(m.cycle)) + "," + Member("utc", Quoted(IsoUtc(m.utcMs)));
    for (std::size_t i = 0; i < kAnswerRecord.size(); ++i)
        out += "," + Member(kAnswerRecord[i].name, std::to_string(m.words[i]));
    return out + "," + Member("setpoint", Number(m.setpoint)) + "," +
           Member("tolerance", Number(m.tolerance)) + "," +
           Member("inTolerance", m.inTolerance ? "true" : "false");
}

std::string MeasurementPayload(const PlantMeasurement& m) {
    return "{" + Member("schema", std::to_string(kPlantSchema)) + "," + MeasurementMembers(m) + "}";
}

std::string MeasurementBatchPayload(const std::vector<PlantMeasurement>& batch) {
    std::string out = "{" + Member("schema", std::to_string(kPlantSchema)) + ",\"measurements\":[";
    for (std::size_t i = 0; i < batch.size(); ++i)
        out += (i ? ",{" : "{") + MeasurementMembers(batch[i]) + "}";
    return out + "]}";
}

std::string StatePayload(const PlantState& s) {
    std::string out = Head(s.utcMs) + "," +
                      Member("online", s.link == "offline" ? "false" : "true") + "," +
                      Member("link", Quoted(s.link));
    if (s.identity) out += "," + Member("identity", IdentityObject(*s.identity));
    return out + "," + Member("queued", Number(s.queued)) + "," + Member("lost", Number(s.lost)) +
           "," + Member("connects", Number(s.connects)) + "}";
}

std::string OfflineWillPayload() {
    return "{" + Member("schema", std::to_string(kPlantSchema)) + "," + Member("online", "false") +
           "," + Member("link", Quoted("offline")) + "}";
}

std::string ParametersPayload(std::int64_t utcMs, const RecordWords& ram,
                              const std::optional<RecordWords>& eeprom) {
    std::string out = Head(utcMs) + "," + Member("ram", NamedWords(ram));
    if (eeprom) out += "," + Member("eeprom", NamedWords(*eeprom));
    return out + "}";
}

std::string EventPayload(const PlantEvent& e) {
    std::string out = Head(e.utcMs) + "," + Member("action", Quoted(e.action)) + "," +
                      Member("memory", Quoted(e.memory)) + "," +
                      Member("outcome", Quoted(e.outcome)) + ",\"changes\":[";
    for (std::size_t i = 0; i < e.changes.size(); ++i) {
        const PlantWordChange& c = e.changes[i];
        const bool known = c.word >= 0 && c.word < PNUM;
        out +=
            std::string(i ? "," : "") + "{" + Member("word", std::to_string(c.word)) + "," +
            Member("name",
                   Quoted(known ? kParameterRecord[static_cast<std::size_t>(c.word)].name : "")) +
            "," + Member("before", Number(c.before)) + "," + Member("after", Number(c.after)) + "}";
    }
    return out + "]}";
}
