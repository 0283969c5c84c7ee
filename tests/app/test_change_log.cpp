// The change log's entries: the dates `log --since` takes, an entry written and read back, and
// damaged lines skipped and counted.
#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>

#include "change_log.h"
#include "json_text.h"
#include "workbench_csv.h"

namespace {

constexpr UtcMs kDec7 = 1796601600000;  // 2026-12-07T00:00:00Z

TEST(ChangeLog, IsoDatesAndTimes) {
    struct Case {
        const char* text;
        std::optional<UtcMs> utc;
    };
    const Case cases[] = {
        {"2026-12-07", kDec7},
        {"2026-12-07T14:02", kDec7 + (14 * 60 + 2) * 60000},
        {"2026-12-07T14:02:11Z", kDec7 + ((14 * 60 + 2) * 60 + 11) * 1000},
        {"2026-12-07T14:02:11.5", kDec7 + ((14 * 60 + 2) * 60 + 11) * 1000 + 500},
        {"2026-12-07T15:02:11+01:00", kDec7 + ((14 * 60 + 2) * 60 + 11) * 1000},
        {"2026-12-06T19:00-0500", kDec7},
        {"2024-02-29", 1709164800000},
        {"2026-02-29", std::nullopt},
        {"2026-13-01", std::nullopt},
        {"2026-12-07T24:00", std::nullopt},
        {"07.12.2026", std::nullopt},
        {"2026-12-07T14:02x", std::nullopt},
        {"", std::nullopt},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ParseIsoTime(c.text), c.utc) << c.text;
    EXPECT_EQ(IsoUtc(kDec7 + 50531123), "2026-12-07T14:02:11.123Z");
}

TEST(ChangeLog, EntryIsOneJsonLineThatLogListsBack) {
    ChangeEntry e;
    e.time = kDec7 + 3600000;
    e.program = "tavrix-didor 1.52", e.user = "J\xC3\xB6rg \"op\"", e.port = "/dev/ttyS0";
    e.firmware = "V1.52\tboard 0 \xB5", e.action = "send-eeprom";
    for (int i = 0; i < PNUM; ++i)
        e.after[i] = static_cast<u16>(i);
    e.before = e.after;
    e.before[8] = 512, e.after[8] = 612, e.before[9].reset();
    e.outcome = ExchangeOutcome::TimedOut;
    const std::string line = ChangeEntryLine(e);
    ASSERT_EQ(line.back(), '\n');
    const auto parsed = ParseJson(line);
    ASSERT_TRUE(parsed);
    EXPECT_TRUE(std::all_of(line.begin(), line.end(), [](char c) { return c > 0; })) << line;
    EXPECT_EQ(parsed->Field("user")->text, e.user);  // every byte back as it was
    EXPECT_EQ(parsed->Field("firmware")->text, e.firmware);
    EXPECT_EQ(parsed->Field("before")->items[9].kind, JsonValue::Kind::Null);
    EXPECT_EQ(parsed->Field("details")->kind, JsonValue::Kind::Object);

    std::istringstream log(line + "{\"time\":\"2026-12-07\"\n" + "garbage\n\n" + line);
    const ChangeListing text = ListChanges(log, std::nullopt, false);
    EXPECT_EQ(text.skipped, 2);
    ASSERT_EQ(text.lines.size(), 2u);
    EXPECT_EQ(text.lines[0],
              "2026-12-07T01:00:00.000Z  send-eeprom  timed out  /dev/ttyS0  J\xC3\xB6rg \"op\"  "
              "Setpoint value 512->612, Tolerance ?->9");
    std::istringstream again(line);
    EXPECT_EQ(ListChanges(again, kDec7 + 3600001, true).lines.size(), 0u);
    std::istringstream json(line);
    EXPECT_EQ(ListChanges(json, kDec7, true).lines.at(0) + "\n", line);
}

}  // namespace
