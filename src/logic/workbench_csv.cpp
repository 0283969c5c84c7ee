#include "workbench_csv.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "records.h"

namespace {

constexpr const char* kEol = "\r\n";

char Separator(CsvFormat format) {
    return format == CsvFormat::Semicolon ? ';' : ',';
}

// Seconds with millisecond resolution, with the format's decimal mark whatever the locale.
std::string Seconds(double s, CsvFormat format) {
    char text[32];
    const long long ms = static_cast<long long>(s * 1000.0 + (s < 0 ? -0.5 : 0.5));
    std::snprintf(text, sizeof text, "%s%lld%c%03lld", ms < 0 ? "-" : "", std::llabs(ms) / 1000,
                  format == CsvFormat::Semicolon ? ',' : '.', std::llabs(ms) % 1000);
    return text;
}

std::string UnitsLine(CsvFormat format) {
    const std::string sep = std::string(1, Separator(format)) + ' ';
    std::string out = "# units: cycle=counts" + sep + "utc=ISO 8601 UTC" + sep + "seconds=seconds";
    for (const RecordWord& w : kAnswerRecord)
        out += sep + w.name + '=' + w.unit;
    return out + sep + "setpoint=sub-pixels" + sep + "tolerance=sub-pixels" + sep +
           "s0..s255=counts" + kEol;
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

const char* CsvFormatName(CsvFormat format) {
    return format == CsvFormat::Semicolon ? "semicolon" : "rfc4180";
}

bool ParseCsvFormat(const std::string& name, CsvFormat& format) {
    for (CsvFormat f : {CsvFormat::Rfc4180, CsvFormat::Semicolon})
        if (name == CsvFormatName(f)) {
            format = f;
            return true;
        }
    return false;
}

std::string CommentBlock(const RecordingHeader& h, CsvFormat format) {
    std::string out = "# " + Printable(h.title) + kEol;
    out += "# started " + IsoUtc(h.utcMs) + kEol;
    out += "# firmware: " + Printable(h.firmware) + kEol;
    out += "# hardware: " + Printable(h.hardware) + kEol;
    out += "# parameters:";
    for (u16 w : h.parameters)
        out += ' ' + std::to_string(w);
    out += kEol;
    out += format == CsvFormat::Semicolon
               ? "# format: semicolon (';' between fields, ',' as decimal mark)"
               : "# format: rfc4180 (',' between fields, '.' as decimal mark)";
    return out + kEol + UnitsLine(format);
}

std::string MeasurementColumns(CsvFormat format) {
    const char sep = Separator(format);
    std::string out = std::string("cycle") + sep + "utc" + sep + "seconds";
    for (const RecordWord& w : kAnswerRecord)
        out += sep + std::string(w.name);
    return out + sep + "setpoint" + sep + "tolerance" + kEol;
}

std::string MeasurementLine(const MeasurementRow& row, CsvFormat format) {
    const char sep = Separator(format);
    std::string out =
        std::to_string(row.cycle) + sep + IsoUtc(row.utcMs) + sep + Seconds(row.seconds, format);
    for (u16 w : row.words)
        out += sep + std::to_string(w);
    out += sep + std::to_string(row.setpoint) + sep + std::to_string(row.tolerance);
    return out + kEol;
}

std::string ImageColumns(int samples, CsvFormat format) {
    const char sep = Separator(format);
    std::string out = std::string("cycle") + sep + "utc" + sep + "seconds";
    for (int i = 0; i < samples; ++i)
        out += sep + std::string("s") + std::to_string(i);
    return out + kEol;
}

std::string ImageLine(long cycle, std::int64_t utcMs, double seconds, const u16* samples, int count,
                      CsvFormat format) {
    const char sep = Separator(format);
    std::string out = std::to_string(cycle) + sep + IsoUtc(utcMs) + sep + Seconds(seconds, format);
    for (int i = 0; i < count; ++i)
        out += sep + std::to_string(samples[i]);
    return out + kEol;
}
