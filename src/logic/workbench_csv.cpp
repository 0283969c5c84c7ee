#include "workbench_csv.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>

#include "records.h"

namespace {

constexpr const char* kEol = "\r\n";

// Seconds with millisecond resolution, always with '.', whatever the locale.
std::string Seconds(double s) {
    char text[32];
    const long long ms = static_cast<long long>(s * 1000.0 + (s < 0 ? -0.5 : 0.5));
    std::snprintf(text, sizeof text, "%s%lld.%03lld", ms < 0 ? "-" : "", std::llabs(ms) / 1000,
                  std::llabs(ms) % 1000);
    return text;
}

std::string Printable(const std::string& text) {
    std::string out = text;
    for (char& c : out)
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) c = ' ';
    while (!out.empty() && out.back() == ' ')
        out.pop_back();
    return out;
}

struct UtcParts {
    int year;
    unsigned month, day, hour, minute, second, ms;
};

UtcParts Split(std::int64_t utcMs) {
    using namespace std::chrono;
    const sys_time<milliseconds> t{milliseconds{utcMs}};
    const sys_days day = floor<days>(t);
    const year_month_day ymd{day};
    const hh_mm_ss clock{t - day};
    return {int(ymd.year()),
            unsigned(ymd.month()),
            unsigned(ymd.day()),
            unsigned(clock.hours().count()),
            unsigned(clock.minutes().count()),
            unsigned(clock.seconds().count()),
            unsigned(clock.subseconds().count())};
}

}  // namespace

std::string IsoUtc(std::int64_t utcMs) {
    const UtcParts u = Split(utcMs);
    char text[40];
    std::snprintf(text, sizeof text, "%04d-%02u-%02uT%02u:%02u:%02u.%03uZ", u.year, u.month, u.day,
                  u.hour, u.minute, u.second, u.ms);
    return text;
}

std::string CompactUtc(std::int64_t utcMs) {
    const UtcParts u = Split(utcMs);
    char text[32];
    std::snprintf(text, sizeof text, "%04d%02u%02u-%02u%02u%02u", u.year, u.month, u.day, u.hour,
                  u.minute, u.second);
    return text;
}

std::string CommentBlock(const RecordingHeader& h) {
    std::string out = "# " + Printable(h.title) + kEol;
    out += "# started " + IsoUtc(h.utcMs) + kEol;
    out += "# firmware: " + Printable(h.firmware) + kEol;
    out += "# hardware: " + Printable(h.hardware) + kEol;
    out += "# parameters:";
    for (u16 w : h.parameters)
        out += ' ' + std::to_string(w);
    return out + kEol;
}

std::string MeasurementColumns() {
    std::string out = "cycle,utc,seconds";
    for (const RecordWord& w : kAnswerRecord)
        out += std::string(",") + w.name;
    return out + ",setpoint,tolerance" + kEol;
}

std::string MeasurementLine(const MeasurementRow& row) {
    std::string out =
        std::to_string(row.cycle) + ',' + IsoUtc(row.utcMs) + ',' + Seconds(row.seconds);
    for (u16 w : row.words)
        out += ',' + std::to_string(w);
    out += ',' + std::to_string(row.setpoint) + ',' + std::to_string(row.tolerance);
    return out + kEol;
}

std::string ImageColumns(int samples) {
    std::string out = "cycle,utc,seconds";
    for (int i = 0; i < samples; ++i)
        out += ",s" + std::to_string(i);
    return out + kEol;
}

std::string ImageLine(long cycle, std::int64_t utcMs, double seconds, const u16* samples,
                      int count) {
    std::string out = std::to_string(cycle) + ',' + IsoUtc(utcMs) + ',' + Seconds(seconds);
    for (int i = 0; i < count; ++i)
        out += ',' + std::to_string(samples[i]);
    return out + kEol;
}
