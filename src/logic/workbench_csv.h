// Measurement rows as CSV and the comment block that opens a recording. Two formats: RFC 4180
// (comma-separated, '.' as decimal mark; the default) and, for spreadsheets set to a comma-decimal
// locale, ';' between fields with ',' as decimal mark (only `seconds` has decimals). CRLF line
// ends in both. Comment lines begin with '#', as spreadsheet and data tools take them; the block
// names the format and each column's unit. Every field is a number or an ISO time, so none ever
// needs quoting.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "state.h"

enum class CsvFormat { Rfc4180, Semicolon };

// "rfc4180" or "semicolon", as the command line and the settings name them.
const char* CsvFormatName(CsvFormat format);
// False (and `format` unchanged) for any other name.
bool ParseCsvFormat(const std::string& name, CsvFormat& format);

// One measurement as it is recorded.
struct MeasurementRow {
    long cycle = 0;
    std::int64_t utcMs = 0;  // milliseconds since 1970-01-01 UTC
    double seconds = 0;      // since the recording (or the exported window) began
    std::array<u16, PNUM> words{};
    u16 setpoint = 0, tolerance = 0;
};

// What names the sensor in a file's comment block.
struct RecordingHeader {
    std::string title;                   // what the file holds
    std::string firmware;                // the sensor's firmware text
    std::string hardware;                // its hardware profile, as text
    std::array<u16, PNUM> parameters{};  // the parameter record at the start
    std::int64_t utcMs = 0;
};

// "2026-12-07T00:15:02.345Z".
std::string IsoUtc(std::int64_t utcMs);
// "20261207-001502", for file names.
std::string CompactUtc(std::int64_t utcMs);

// The comment block: every line starts with "# "; control characters in the texts become spaces,
// so a sensor's text can never break a line.
std::string CommentBlock(const RecordingHeader& h, CsvFormat format = CsvFormat::Rfc4180);
std::string MeasurementColumns(CsvFormat format = CsvFormat::Rfc4180);
std::string MeasurementLine(const MeasurementRow& row, CsvFormat format = CsvFormat::Rfc4180);
// The line image of a cycle: cycle, UTC time, seconds, then the samples s0..s255.
std::string ImageColumns(int samples, CsvFormat format = CsvFormat::Rfc4180);
std::string ImageLine(long cycle, std::int64_t utcMs, double seconds, const u16* samples, int count,
                      CsvFormat format = CsvFormat::Rfc4180);
