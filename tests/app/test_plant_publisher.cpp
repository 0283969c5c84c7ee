// The plant link's topics and payloads: what each topic carries, with which QoS and retain flag,
// when the sensor model's changes are told, and how measurements are gathered into batches.
#include <gtest/gtest.h>

#include "plant_publisher.h"
#include "tolerance_verdict.h"

namespace {

using O = ExchangeOutcome;

struct Sent {
    std::vector<PlantMessage> messages;
    std::int64_t now = 1765065600000;  // 2025-12-07T00:00:00.000Z

    // The leaves ("state", "parameters", ...) of the messages from `from` on.
    std::vector<std::string> LeavesFrom(std::size_t from) const {
        std::vector<std::string> leaves;
        for (std::size_t i = from; i < messages.size(); ++i)
            leaves.push_back(messages[i].topic.substr(messages[i].topic.rfind('/') + 1));
        return leaves;
    }
};

PlantPublisher Publisher(Sent& sent, int batchMs, int qos) {
    return PlantPublisher(
        {"plant/a", "line+1", batchMs, qos},
        {[&](PlantMessage m) { sent.messages.push_back(std::move(m)); }, [&] { return sent.now; },
         [] {
             return PlantLinkCounts{3, 2, 1};
         }});
}

SensorIdentity Identity() {
    SensorIdentity id;
    id.sensorType = 1, id.pixels = 2, id.subPixels = 3, id.board = 4, id.softwareVersion = 5;
    id.firmware = "V\"1";
    id.identifiedAt = 1765065600000;
    return id;
}

TEST(PlantPublisher, TopicsQosAndRetainByKind) {
    Sent sent;
    PlantPublisher p = Publisher(sent, 0, 1);
    State s;
    s.Mvalue = 700, s.tVal = 512, s.tol = 100, s.rightMaxX = 9;
    p.Measured(s);
    SensorModel model;
    model.OnPortOpening("COM1");
    model.OnIdentified(Identity());
    model.OnRecordRead(Memory::Ram, O::Answered, RecordWords{500}, sent.now);
    p.ModelChanged(model);
    model.OnRecordRead(Memory::Eeprom, O::Answered, RecordWords{501}, sent.now);
    p.ModelChanged(model);
    ChangeEntry entry;
    entry.time = sent.now, entry.action = "send-ram", entry.port = "COM1";
    entry.after[3] = 5;
    p.WriteLogged(entry);
    struct Expected {
        const char* topic;
        int qos;
        bool retain;
        const char* payload;
    };
    const Expected expected[] = {
        {"plant/a/line_1/measurement", 1, false,
         R"({"schema":1,"cycle":1,"utc":"2025-12-07T00:00:00.000Z","Ledge":0,"Redge":0,"Mvalue":700,)"
         R"("tVal":512,"tol":100,"pix1":0,"edcnt":0,"mvstart":0,"mvend":0,"peakD":0,"anaMax":0,)"
         R"("anaMin":0,"leftMax":0,"rightMax":0,"in0":0,"rightMaxX":9,"setpoint":512,)"
         R"("tolerance":100,"inTolerance":null})"},
        {"plant/a/line_1/state", 1, true,
         R"({"schema":1,"utc":"2025-12-07T00:00:00.000Z","online":true,"link":"online",)"
         R"("identity":{"port":"COM1","firmware":"V\"1","ccdtype":1,)"
         R"("ccdmaxpixel":2,"pcbtype":4,"ccdsubpixel":3,"softversion":5,)"
         R"("identified":"2025-12-07T00:00:00.000Z"},"queued":3,"lost":2,"connects":1})"},
        {"plant/a/line_1/parameters", 1, true,
         R"({"schema":1,"utc":"2025-12-07T00:00:00.000Z","ram":{"power":500,"pMode":0,)"},
        {"plant/a/line_1/parameters", 1, true, R"({"schema":1,)"},
        {"plant/a/line_1/events", 1, false,
         R"({"schema":1,"time":"2025-12-07T00:00:00.000Z","program":"","user":"","port":"COM1",)"
         R"("firmware":"","action":"send-ram","before":[null,)"},
    };
    ASSERT_EQ(sent.messages.size(), std::size(expected));
    for (std::size_t i = 0; i < std::size(expected); ++i) {
        const PlantMessage& m = sent.messages[i];
        EXPECT_EQ(m.topic, expected[i].topic);
        EXPECT_EQ(m.qos, expected[i].qos) << m.topic;
        EXPECT_EQ(m.retain, expected[i].retain) << m.topic;
        EXPECT_EQ(m.payload.rfind(expected[i].payload, 0), 0u) << m.payload;
    }
    EXPECT_EQ(sent.messages[2].payload.find("eeprom"), std::string::npos);
    EXPECT_NE(sent.messages[3].payload.find(R"("eeprom":{"power":501,)"), std::string::npos);
    const std::string line = ChangeEntryLine(entry);  // "{...}\n"
    EXPECT_EQ(sent.messages[4].payload, "{\"schema\":1," + line.substr(1, line.size() - 2));
}

// state and parameters are told on a change only; a held retry tells only where it ended.
TEST(PlantPublisher, ModelChangesToldOnceAndHeldRetriesByTheirEnd) {
    Sent sent;
    PlantPublisher p = Publisher(sent, 0, 0);
    SensorModel model;
    struct Step {
        const char* what;
        void (*change)(SensorModel&);
        bool held;
        std::vector<std::string> told;
    };
    const Step steps[] = {
        {"port opening", [](SensorModel& m) { m.OnPortOpening("COM1"); }, false, {"state"}},
        {"identified, RAM read",
         [](SensorModel& m) {
             m.OnIdentified(Identity());
             m.OnRecordRead(Memory::Ram, O::Answered, RecordWords{500}, 0);
         },
         false,
         {"state", "parameters"}},
        {"answered again", [](SensorModel& m) { m.OnOutcome(O::Answered, 0); }, false, {}},
        {"silent", [](SensorModel& m) { m.OnOutcome(O::TimedOut, 0); }, false, {"state"}},
        // A retry forgets the identity and the records; no record known: the retained one stays.
        {"retry in vain",
         [](SensorModel& m) {
             m.OnPortOpening("COM1");
             m.OnIdentifying();
             m.OnOutcome(O::TimedOut, 0);
         },
         true,
         {"state"}},
        {"retry in vain again",
         [](SensorModel& m) {
             m.OnPortOpening("COM1");
             m.OnIdentifying();
             m.OnOutcome(O::TimedOut, 0);
         },
         true,
         {}},
        {"retry answered, same RAM",
         [](SensorModel& m) {
             m.OnPortOpening("COM1");
             m.OnIdentified(Identity());
             m.OnRecordRead(Memory::Ram, O::Answered, RecordWords{500}, 0);
         },
         true,
         {"state"}},
        {"sent to RAM",
         [](SensorModel& m) { m.OnRecordSent(Memory::Ram, O::Answered, RecordWords{600}, 0); },
         false,
         {"parameters"}},
    };
    for (const Step& step : steps) {
        const std::size_t before = sent.messages.size();
        p.HoldModelChanges(step.held);
        step.change(model);
        p.ModelChanged(model);
        EXPECT_EQ(sent.LeavesFrom(before).size(), step.held ? 0u : step.told.size()) << step.what;
        p.HoldModelChanges(false);
        EXPECT_EQ(sent.LeavesFrom(before), step.told) << step.what;
    }
    p.PublishOffline();
    EXPECT_NE(sent.messages.back().payload.find(R"("online":false,"link":"offline","queued")"),
              std::string::npos);
}

// inTolerance is the window's pass/fail verdict; no edge, no verdict.
TEST(PlantPublisher, MeasurementsJudgedByTheWindowsRule) {
    Sent sent;
    PlantPublisher p = Publisher(sent, 0, 0);
    struct Case {
        u16 Redge, edcnt;
        const char* verdict;
    };
    const Case cases[] = {{201, 2, "true"}, {300, 2, "false"}, {201, 0, "null"}};
    for (const Case& c : cases) {
        State s;
        s.pixB = 1, s.pixE = 1024, s.ccdsubpixel = 1024, s.eMode = 1;
        s.Ledge = 100, s.Redge = c.Redge, s.tVal = 200, s.tol = 1, s.edcnt = c.edcnt;
        p.Measured(s);
        const std::string& payload = sent.messages.back().payload;
        EXPECT_NE(payload.find(std::string("\"inTolerance\":") + c.verdict + "}"),
                  std::string::npos)
            << payload;
    }
}

TEST(PlantPublisher, BatchesGatherForTheirTimeAndFlushAtTheLoopsEnd) {
    Sent sent;
    PlantPublisher p = Publisher(sent, 100, 0);
    State s;
    for (int i = 0; i < 5; ++i, sent.now += 40)
        p.Measured(s);  // at 0, 40, 80, 120 (the batch is 100 ms old: sent), 160
    ASSERT_EQ(sent.messages.size(), 1u);
    EXPECT_EQ(sent.messages[0].qos, 0);
    EXPECT_EQ(sent.messages[0].payload.rfind(R"({"schema":1,"measurements":[{"cycle":1,)", 0), 0u);
    EXPECT_NE(sent.messages[0].payload.find(R"(},{"cycle":4,)"), std::string::npos);
    p.LoopEnded(s, ExchangeOutcome::TimedOut);
    ASSERT_EQ(sent.messages.size(), 2u);
    EXPECT_EQ(sent.messages[1].payload.rfind(R"({"schema":1,"measurements":[{"cycle":5,)", 0), 0u);
    p.LoopEnded(s, ExchangeOutcome::Stopped);  // nothing left: nothing sent
    EXPECT_EQ(sent.messages.size(), 2u);
}

}  // namespace
