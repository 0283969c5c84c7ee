// The plant link's topics and payloads: what each topic carries, with which QoS and retain flag,
// and how measurements are gathered into batches.
#include <gtest/gtest.h>

#include "plant_publisher.h"

namespace {

struct Sent {
    std::vector<PlantMessage> messages;
    std::int64_t now = 1765065600000;  // 2025-12-07T00:00:00.000Z
};

PlantPublisher Publisher(Sent& sent, int batchMs, int qos) {
    return PlantPublisher({"plant/a", "line+1", batchMs, qos},
                          {[&](PlantMessage m) { sent.messages.push_back(std::move(m)); },
                           [&] { return sent.now; }, [](const State& s) { return s.Mvalue < 600; },
                           [] {
                               return PlantLinkCounts{3, 2, 1};
                           }});
}

TEST(PlantPublisher, TopicsQosAndRetainByKind) {
    Sent sent;
    PlantPublisher p = Publisher(sent, 0, 1);
    State s;
    s.Mvalue = 700, s.tVal = 512, s.tTol = 100, s.rightMaxX = 9;
    p.Measured(s);
    p.PublishState("answering", PlantIdentity{"/dev/ttyUSB0", "V\"1", 1, 2, 3, 4, 5, 6, 7, 8});
    p.PublishParameters(RecordWords{500}, RecordWords{501});
    p.PublishEvent({sent.now, "send", "ram", "answered", {{3, 0, 5}}});
    struct Expected {
        const char* topic;
        int qos;
        bool retain;
        const char* payload;
    };
    const Expected expected[] = {
        {"plant/a/line_1/measurement", 1, false,
         R"({"schema":1,"cycle":1,"utc":"2025-12-07T00:00:00.000Z","Ledge":0,"Redge":0,"Mvalue":700,)"
         R"("tVal":512,"tol":0,"pix1":0,"edcnt":0,"mvstart":0,"mvend":0,"peakD":0,"anaMax":0,)"
         R"("anaMin":0,"leftMax":0,"rightMax":0,"in0":0,"rightMaxX":9,"setpoint":512,)"
         R"("tolerance":100,"inTolerance":false})"},
        {"plant/a/line_1/state", 1, true,
         R"({"schema":1,"utc":"2025-12-07T00:00:00.000Z","online":true,"link":"answering",)"
         R"("identity":{"port":"/dev/ttyUSB0","firmware":"V\"1","ccdtype":1,"ccdmaxpixel":2,)"
         R"("ccdresolution":3,"pcbtype":4,"ccdsubpixel":5,"softversion":6,"pixB":7,"pixE":8},)"
         R"("queued":3,"lost":2,"connects":1})"},
        {"plant/a/line_1/parameters", 1, true,
         R"({"schema":1,"utc":"2025-12-07T00:00:00.000Z","ram":{"power":500,"pMode":0,)"},
        {"plant/a/line_1/events", 1, false,
         R"({"schema":1,"utc":"2025-12-07T00:00:00.000Z","action":"send","memory":"ram",)"
         R"("outcome":"answered","changes":[{"word":3,"name":"anaMode","before":0,"after":5}]})"},
    };
    ASSERT_EQ(sent.messages.size(), std::size(expected));
    for (std::size_t i = 0; i < std::size(expected); ++i) {
        const PlantMessage& m = sent.messages[i];
        EXPECT_EQ(m.topic, expected[i].topic);
        EXPECT_EQ(m.qos, expected[i].qos) << m.topic;
        EXPECT_EQ(m.retain, expected[i].retain) << m.topic;
        EXPECT_EQ(m.payload.rfind(expected[i].payload, 0), 0u) << m.payload;
    }
    EXPECT_NE(sent.messages[2].payload.find(R"("eeprom":{"power":501,)"), std::string::npos);
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
