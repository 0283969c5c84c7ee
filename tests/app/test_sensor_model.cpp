// The sensor model, driven by sequences of exchange outcomes: what it then knows of RAM and
// EEPROM, whether RAM is stored, the memory-state text and the link state.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "sensor_model.h"

namespace {

using O = ExchangeOutcome;

RecordWords Words(u16 base) {
    RecordWords w{};
    for (int i = 0; i < PNUM; ++i)
        w[i] = static_cast<u16>(base + i);
    return w;
}
const RecordWords A = Words(100), B = Words(200);

using Step = std::function<void(SensorModel&)>;
Step Read(Memory m, O o, const RecordWords& w) {
    return [=](SensorModel& s) { s.OnRecordRead(m, o, w, 1000); };
}
Step Sent(Memory m, O o, const RecordWords& w) {
    return [=](SensorModel& s) { s.OnRecordSent(m, o, w, 1000); };
}
Step Taught(O o) {
    return [=](SensorModel& s) { s.OnTaught(o, 1000); };
}

// How many RAM words are known and whether they are those of `w`.
std::string RamIs(const SensorModel& s, const RecordWords& w) {
    const auto ram = FullyKnown(s.Ram());
    if (!ram) return std::to_string(PNUM - s.Unknown().count()) + " known";
    return *ram == w ? "A" : *ram == B ? "B" : "other";
}

TEST(SensorModel, RecordsAndStoredStateFollowTheOutcomes) {
    struct Case {
        const char* name;
        std::vector<Step> steps;
        const char* ram;  // "A", "B", or "<n> known"
        bool notStored;
        const char* memoryState;
    };
    const Case cases[] = {
        {"start-up read of RAM",
         {Read(Memory::Ram, O::Answered, A)},
         "A",
         false,
         "EEPROM not read"},
        {"silent start-up",
         {Read(Memory::Ram, O::TimedOut, A)},
         "0 known",
         false,
         "EEPROM not read"},
        {"send to RAM",
         {Read(Memory::Ram, O::Answered, A), Sent(Memory::Ram, O::Answered, B)},
         "B",
         true,
         "RAM written, not stored in EEPROM"},
        {"send to RAM, then the same to EEPROM",
         {Sent(Memory::Ram, O::Answered, B), Sent(Memory::Eeprom, O::Answered, B)},
         "B",
         false,
         "RAM and EEPROM match"},
        {"EEPROM write leaves RAM as known",
         {Read(Memory::Ram, O::Answered, A), Sent(Memory::Eeprom, O::Answered, B)},
         "A",
         true,
         "RAM differs from EEPROM in 16 values"},
        {"both read and matching clear the written flag",
         {Sent(Memory::Ram, O::Answered, A), Read(Memory::Eeprom, O::Answered, A)},
         "A",
         false,
         "RAM and EEPROM match"},
        {"send to RAM of what EEPROM holds is stored",
         {Read(Memory::Eeprom, O::Answered, A), Sent(Memory::Ram, O::Answered, A)},
         "A",
         false,
         "RAM and EEPROM match"},
        {"unanswered send: the words it would change are unknown",
         {Read(Memory::Ram, O::Answered, A), Sent(Memory::Ram, O::TimedOut, B)},
         "0 known",
         false,
         "EEPROM not read"},
        {"request that never left changes nothing",
         {Read(Memory::Ram, O::Answered, A), Sent(Memory::Ram, O::NotOpen, B),
          Sent(Memory::Ram, O::ShortWrite, B)},
         "A",
         false,
         "EEPROM not read"},
        {"teach makes the setpoint unknown until read back",
         {Read(Memory::Ram, O::Answered, A), Read(Memory::Eeprom, O::Answered, A),
          Taught(O::Answered)},
         "15 known",
         true,
         "RAM written, not stored in EEPROM"},
        {"teach read back",
         {Read(Memory::Ram, O::Answered, A), Read(Memory::Eeprom, O::Answered, A),
          Taught(O::Answered), Read(Memory::Ram, O::Answered, B)},
         "B",
         true,
         "RAM differs from EEPROM in 16 values"},
        {"EEPROM read alone",
         {Read(Memory::Eeprom, O::Answered, A)},
         "0 known",
         false,
         "RAM not read"},
    };
    for (const Case& c : cases) {
        SensorModel s;
        s.OnPortOpening("/dev/ttyUSB0");
        for (const Step& step : c.steps)
            step(s);
        EXPECT_EQ(RamIs(s, A), c.ram) << c.name;
        EXPECT_EQ(s.NotStored(), c.notStored) << c.name;
        EXPECT_EQ(s.MemoryState(), c.memoryState) << c.name;
    }
}

TEST(SensorModel, UnsentIsThePanelAgainstKnownRamWords) {
    SensorModel s;
    RecordWords panel = A;
    EXPECT_EQ(s.Unsent(panel).count(), 0u);  // nothing known: nothing to be unsent against
    EXPECT_EQ(s.Unknown().count(), 16u);
    s.OnRecordRead(Memory::Ram, O::Answered, A, 0);
    panel[3] = 7, panel[9] = 7;
    EXPECT_EQ(s.Unsent(panel).to_ulong(), (1u << 3) | (1u << 9));
    EXPECT_EQ(s.Unknown().count(), 0u);
}

TEST(SensorModel, LinkStateFollowsOutcomesAndANewPortForgets) {
    struct Case {
        std::vector<O> outcomes;
        LinkState link;
        UtcMs silentSince;
    };
    const Case cases[] = {
        {{O::Answered}, LinkState::Online, 0},
        {{O::Answered, O::TimedOut, O::TimedOut}, LinkState::NotAnswering, 1},
        {{O::TimedOut, O::Answered}, LinkState::Online, 0},
        {{O::WrongSync}, LinkState::WrongDevice, 0},
        {{O::PortLost, O::NotOpen}, LinkState::Unplugged, 0},  // "unplugged" says more
        {{O::NotOpen}, LinkState::NoPort, 0},
        {{O::Answered, O::Stopped, O::ShortWrite}, LinkState::Online, 0},
    };
    for (const Case& c : cases) {
        SensorModel s;
        s.OnPortOpening("sim");
        UtcMs now = 0;
        for (O o : c.outcomes)
            s.OnOutcome(o, ++now);
        EXPECT_EQ(LinkStateName(s.Link()), std::string(LinkStateName(c.link)));
        if (c.link == LinkState::NotAnswering) {
            EXPECT_EQ(s.SilentSince(), c.silentSince + 1);
        }
    }
    SensorModel s;
    s.OnPortOpening("COM1");
    s.OnIdentified({"", 3, 1024, 8192, 0, 152, "V1.52", 99});
    s.OnRecordRead(Memory::Ram, O::Answered, A, 0);
    EXPECT_EQ(s.Identity().port, "COM1");
    EXPECT_EQ(s.Link(), LinkState::Online);
    s.OnPortOpening("COM2");
    EXPECT_EQ(s.Identity().identifiedAt, 0);
    EXPECT_EQ(s.Unknown().count(), 16u);
    EXPECT_EQ(s.Link(), LinkState::Opening);
}

}  // namespace
