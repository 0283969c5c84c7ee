#include "change_log.h"

#include <chrono>

#include "json_text.h"
#include "workbench_csv.h"

namespace {

// Days since 1970-01-01 of a date; nullopt when there is no such day.
std::optional<long long> DaysOf(unsigned y, unsigned m, unsigned d) {
    using namespace std::chrono;
    const year_month_day ymd{year{static_cast<int>(y)}, month{m}, day{d}};
    if (!ymd.ok()) return std::nullopt;
    return sys_days{ymd}.time_since_epoch().count();
}

// Reads exactly `count` digits at `i`.
bool Digits(const std::string& s, std::size_t& i, int count, unsigned& value) {
    value = 0;
    for (int k = 0; k < count; ++k, ++i) {
        if (i >= s.size() || s[i] < '0' || s[i] > '9') return false;
        value = value * 10 + static_cast<unsigned>(s[i] - '0');
    }
    return true;
}

bool Skip(const std::string& s, std::size_t& i, char c) {
    if (i < s.size() && s[i] == c) return ++i, true;
    return false;
}

// "Z", "+01:00", "+0100", "+01", or nothing: minutes east of UTC.
bool Offset(const std::string& s, std::size_t& i, long long& minutes) {
    minutes = 0;
    if (i == s.size() || Skip(s, i, 'Z')) return true;
    const char sign = s[i];
    if (sign != '+' && sign != '-') return false;
    ++i;
    unsigned h = 0, m = 0;
    if (!Digits(s, i, 2, h) || h > 23) return false;
    if (i < s.size() && (Skip(s, i, ':'), !Digits(s, i, 2, m) || m > 59)) return false;
    minutes = (sign == '-' ? -1 : 1) * static_cast<long long>(h * 60 + m);
    return true;
}

std::string Words(const KnownRecord& record) {
    std::string out = "[";
    for (int i = 0; i < PNUM; ++i) {
        if (i > 0) out += ',';
        out += record[i] ? std::to_string(*record[i]) : "null";
    }
    return out + "]";
}

std::optional<KnownRecord> WordsOf(const JsonValue* array) {
    if (!array || array->kind != JsonValue::Kind::Array || array->items.size() != PNUM)
        return std::nullopt;
    KnownRecord record;
    for (int i = 0; i < PNUM; ++i) {
        const JsonValue& v = array->items[static_cast<std::size_t>(i)];
        if (v.kind == JsonValue::Kind::Null) continue;
        if (v.kind != JsonValue::Kind::Number || v.number < 0 || v.number > 65535)
            return std::nullopt;
        record[i] = static_cast<u16>(v.number);
    }
    return record;
}

std::string TextOf(const JsonValue& entry, const char* name) {
    const JsonValue* v = entry.Field(name);
    return v && v->kind == JsonValue::Kind::String ? v->text : "";
}

std::string Word(const std::optional<u16>& w) {
    return w ? std::to_string(*w) : "?";
}

// "tVal 512->612, tTol ?->50", or "no change".
std::string Changes(const KnownRecord& before, const KnownRecord& after) {
    std::string out;
    for (int i = 0; i < PNUM; ++i) {
        if (before[i] == after[i]) continue;
        out += (out.empty() ? "" : ", ") +
               std::string(kParameterRecord[static_cast<std::size_t>(i)].label) + " " +
               Word(before[i]) + "->" + Word(after[i]);
    }
    return out.empty() ? "no change" : out;
}

}  // namespace

std::optional<UtcMs> ParseIsoTime(const std::string& s) {
    std::size_t i = 0;
    unsigned y = 0, mo = 0, d = 0, h = 0, mi = 0, sec = 0;
    if (!Digits(s, i, 4, y) || !Skip(s, i, '-') || !Digits(s, i, 2, mo) || !Skip(s, i, '-') ||
        !Digits(s, i, 2, d))
        return std::nullopt;
    const auto days = DaysOf(y, mo, d);
    if (!days) return std::nullopt;
    long long ms = 0, offset = 0;
    if (i < s.size()) {
        if (!Skip(s, i, 'T') && !Skip(s, i, ' ')) return std::nullopt;
        if (!Digits(s, i, 2, h) || !Skip(s, i, ':') || !Digits(s, i, 2, mi) || h > 23 || mi > 59)
            return std::nullopt;
        if (Skip(s, i, ':') && (!Digits(s, i, 2, sec) || sec > 60)) return std::nullopt;
        if (Skip(s, i, '.') || Skip(s, i, ',')) {
            long long scale = 100;
            const std::size_t first = i;
            for (; i < s.size() && s[i] >= '0' && s[i] <= '9'; ++i, scale /= 10)
                ms += (s[i] - '0') * scale;
            if (i == first) return std::nullopt;
        }
        if (!Offset(s, i, offset) || i != s.size()) return std::nullopt;
    }
    const long long seconds = *days * 86400 + h * 3600LL + mi * 60LL + sec;
    return (seconds - offset * 60) * 1000 + ms;
}

std::string ChangeEntryLine(const ChangeEntry& e) {
    return "{" + ChangeEntryMembers(e) + "}\n";
}

std::string ChangeEntryMembers(const ChangeEntry& e) {
    return "\"time\":" + JsonQuote(IsoUtc(e.time)) + ",\"program\":" + JsonQuote(e.program) +
           ",\"user\":" + JsonQuote(e.user) + ",\"port\":" + JsonQuote(e.port) +
           ",\"firmware\":" + JsonQuote(e.firmware) + ",\"action\":" + JsonQuote(e.action) +
           ",\"before\":" + Words(e.before) + ",\"after\":" + Words(e.after) +
           ",\"outcome\":" + JsonQuote(OutcomeName(e.outcome)) +
           ",\"details\":" + (e.details.empty() ? "{}" : e.details);
}

namespace {

struct LoggedEntry {
    UtcMs time = 0;
    KnownRecord before{}, after{};
    JsonValue json;
};

// A line of the log read back; nullopt when it is damaged.
std::optional<LoggedEntry> ReadEntry(const std::string& line) {
    auto json = ParseJson(line);
    if (!json || TextOf(*json, "action").empty()) return std::nullopt;
    const auto time = ParseIsoTime(TextOf(*json, "time"));
    const auto before = WordsOf(json->Field("before"));
    const auto after = WordsOf(json->Field("after"));
    if (!time || !before || !after) return std::nullopt;
    return LoggedEntry{*time, *before, *after, std::move(*json)};
}

}  // namespace

ChangeListing ListChanges(std::istream& log, std::optional<UtcMs> since, bool json) {
    ChangeListing listing;
    std::string line;
    while (std::getline(log, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.empty()) continue;
        const auto entry = ReadEntry(line);
        if (!entry) {
            ++listing.skipped;
            continue;
        }
        if (since && entry->time < *since) continue;
        if (json) {
            listing.lines.push_back(line);
            continue;
        }
        const JsonValue& j = entry->json;
        listing.lines.push_back(IsoUtc(entry->time) + "  " + TextOf(j, "action") + "  " +
                                TextOf(j, "outcome") + "  " + TextOf(j, "port") + "  " +
                                TextOf(j, "user") + "  " + Changes(entry->before, entry->after));
    }
    return listing;
}
