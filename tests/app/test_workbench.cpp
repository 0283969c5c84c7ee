// The workbench's pure logic: live statistics against a two-pass reference, the answer rate, and
// the CSV text of recordings.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>
#include <vector>

#include "workbench_csv.h"
#include "workbench_stats.h"

namespace {

SeriesFigures Reference(const std::vector<std::uint16_t>& v) {
    SeriesFigures f;
    f.count = static_cast<long>(v.size());
    if (v.empty()) return f;
    double sum = 0;
    for (auto x : v)
        sum += x;
    f.mean = sum / static_cast<double>(v.size());
    double squares = 0;
    for (auto x : v)
        squares += (x - f.mean) * (x - f.mean);
    f.sd = v.size() > 1 ? std::sqrt(squares / static_cast<double>(v.size() - 1)) : 0;
    const auto [lo, hi] = std::minmax_element(v.begin(), v.end());
    f.min = *lo, f.max = *hi, f.range = f.max - f.min;
    return f;
}

void ExpectNear(const SeriesFigures& got, const SeriesFigures& want, const char* what) {
    EXPECT_EQ(got.count, want.count) << what;
    EXPECT_NEAR(got.mean, want.mean, 1e-9 * (1 + want.mean)) << what;
    EXPECT_NEAR(got.sd, want.sd, 1e-7 * (1 + want.sd)) << what;
    EXPECT_EQ(got.min, want.min) << what;
    EXPECT_EQ(got.max, want.max) << what;
    EXPECT_EQ(got.range, want.range) << what;
}

// High values with a small spread are where naive sums of squares lose every digit.
TEST(LoopStats, WindowAndTotalMatchATwoPassReference) {
    std::mt19937 random(7);
    const struct {
        const char* name;
        int count;
        int base, spread;
    } cases[] = {{"one", 1, 500, 0},
                 {"short", 37, 4000, 300},
                 {"constant", 250, 1234, 0},
                 {"high, narrow", 5000, 65000, 3},
                 {"full scale", 1000, 0, 65535}};
    for (const auto& c : cases) {
        LoopStats stats;
        std::array<std::vector<std::uint16_t>, kSeriesCount> series;
        for (int i = 0; i < c.count; ++i) {
            std::array<std::uint16_t, kSeriesCount> values{};
            for (int s = 0; s < kSeriesCount; ++s) {
                values[s] = static_cast<std::uint16_t>(c.base + random() % (c.spread + 1) - s);
                series[s].push_back(values[s]);
            }
            stats.Add(values, i * 0.01);
        }
        const LoopFigures f = stats.Get();
        for (int s = 0; s < kSeriesCount; ++s) {
            const auto& all = series[s];
            const std::vector<std::uint16_t> window(all.end() - std::min<int>(c.count, 100),
                                                    all.end());
            ExpectNear(f.total[s], Reference(all), c.name);
            ExpectNear(f.window[s], Reference(window), c.name);
        }
    }
}

TEST(LoopStats, RateCountsTheLatestTwoSeconds) {
    RateMeter rate;
    EXPECT_EQ(rate.Rate(), 0.0);
    for (int i = 0; i < 100; ++i)  // 1 s at 100 Hz, then 3 s at 26.67 Hz (a 19200-baud Run)
        rate.Add(i * 0.01);
    EXPECT_NEAR(rate.Rate(), 100.0, 1e-9);
    for (int i = 1; i <= 80; ++i)
        rate.Add(0.99 + i * 0.0375);
    EXPECT_NEAR(rate.Rate(), 1 / 0.0375, 1e-9);
}

TEST(RecordingCsv, TimesRowsAndHeader) {
    EXPECT_EQ(IsoUtc(0), "1970-01-01T00:00:00.000Z");
    EXPECT_EQ(IsoUtc(1796601302345), "2026-12-06T23:55:02.345Z");
    EXPECT_EQ(IsoUtc(951868799999), "2000-02-29T23:59:59.999Z");
    EXPECT_EQ(CompactUtc(1796601302345), "20261206-235502");

    MeasurementRow row;
    row.cycle = 12, row.utcMs = 1796601302345, row.seconds = 1.0005;
    for (int i = 0; i < PNUM; ++i)
        row.words[i] = static_cast<u16>(i == 15 ? 65535 : i * 100);
    row.setpoint = 512, row.tolerance = 100;
    EXPECT_EQ(MeasurementLine(row),
              "12,2026-12-06T23:55:02.345Z,1.001,0,100,200,300,400,500,600,700,800,900,1000,"
              "1100,1200,1300,1400,65535,512,100\r\n");
    const std::string columns = MeasurementColumns();
    EXPECT_EQ(std::count(columns.begin(), columns.end(), ','), 20);
    const u16 samples[3] = {1, 2, 1023};
    EXPECT_EQ(ImageLine(3, 0, 0.25, samples, 3), "3,1970-01-01T00:00:00.000Z,0.250,1,2,1023\r\n");

    RecordingHeader h;
    h.title = "T";
    h.firmware = "V1.0\r\n\x01x";  // a sensor's text must not end the comment line
    h.parameters[0] = 7;
    const std::string block = CommentBlock(h);
    EXPECT_EQ(block.substr(0, block.find("# format")),
              "# T\r\n# started 1970-01-01T00:00:00.000Z\r\n# firmware: V1.0   x\r\n"
              "# hardware: \r\n# parameters: 7 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0\r\n");
    EXPECT_NE(block.find("# format: rfc4180"), std::string::npos);
    EXPECT_NE(block.find("seconds=seconds, Ledge=sub-pixels"), std::string::npos);
}

// A row written for a comma-decimal spreadsheet and read back as one would: ';' splits the
// fields, ',' is the decimal mark. Every number comes back as written.
TEST(RecordingCsv, SemicolonRowsReadBackToTheSameNumbers) {
    MeasurementRow row;
    row.cycle = 7, row.utcMs = 1796601302345, row.seconds = 12.3456;
    for (int i = 0; i < PNUM; ++i)
        row.words[i] = static_cast<u16>(i * 4099 + 1);
    row.setpoint = 65535, row.tolerance = 3;
    const auto fields = [](const std::string& line, char sep) {
        std::vector<std::string> out(1);
        for (char c : line.substr(0, line.size() - 2))  // without CRLF
            if (c == sep)
                out.emplace_back();
            else
                out.back().push_back(c);
        return out;
    };
    const auto comma = fields(MeasurementLine(row), ',');
    const auto semicolon = fields(MeasurementLine(row, CsvFormat::Semicolon), ';');
    ASSERT_EQ(semicolon.size(), comma.size());
    EXPECT_EQ(semicolon[2], "12,346");  // seconds, the one field with decimals
    for (size_t k = 0; k < comma.size(); ++k) {
        std::string value = semicolon[k];
        if (k == 2) value[value.find(',')] = '.';
        EXPECT_EQ(value, comma[k]) << "column " << k;
    }
    EXPECT_EQ(fields(MeasurementColumns(CsvFormat::Semicolon), ';'),
              fields(MeasurementColumns(), ','));
    EXPECT_NE(CommentBlock({}, CsvFormat::Semicolon).find("# format: semicolon"),
              std::string::npos);
    CsvFormat format = CsvFormat::Rfc4180;
    EXPECT_TRUE(ParseCsvFormat("semicolon", format));
    EXPECT_EQ(format, CsvFormat::Semicolon);
    EXPECT_FALSE(ParseCsvFormat("excel", format));
    EXPECT_EQ(format, CsvFormat::Semicolon);
}

}  // namespace
