// The fault table shared by the test_faults_*.cpp programs. Each row switches a fault of the
// simulated sensor on (or takes the port away), runs one exchange of the program against it and
// checks the status line, how long the exchange took, the state it left and the user's
// parameters; then that the program still processes events and can talk to a healthy sensor.
#pragma once

#include <QComboBox>
#include <QCoreApplication>
#include <QTimer>
#include <QtGlobal>
#include <atomic>
#include <cstdio>
#include <fstream>
#include <ostream>
#include <string>
#include <vector>

#include "com232.h"
#include "gui.h"
#include "harness.h"
#include "options.h"
#include "panel_ids.h"

namespace systest::faults {

enum class Exchange { StartUp, Get, Teach, Reset, Run, Video };

// Something done `at` seconds into the exchange, from inside its waits.
enum class During { Nothing, Stop, HangUp, ClosePanel, ChoosePort2 };

// The parameters afterwards, in the state and on the panel.
enum class Params {
    Record,       // the sensor's record as read at start-up
    StartValues,  // the panel's start values: no record was ever read
    Shown,        // the panel shows the record; the state's setpoint holds a measured value
};

struct Probe {
    const Program& p;
    const sim::PtyServer* sensor;  // port 1's sensor, if any
};

// What a row does besides its exchange, and what it checks besides the status and the time.
struct More {
    During during = During::Nothing;
    double at = 0;  // seconds into the exchange
    Params params = Params::Record;
    bool idle = false;   // it waits on a silent or dead line: no busy spin allowed
    bool flood = false;  // resident memory must stay bounded
    void (*extra)(const Probe&) = nullptr;
};

struct Row {
    const char* name;
    const char* sensor;  // options of port 1's sensor; "missing" or "busy" for a broken port
    const char* fault;   // one fault, switched on right before the exchange ("" none)
    Exchange exchange;
    const char* status;  // expected status line; alternatives separated by '|', "*" any
    double minSeconds;   // bounds of the exchange's duration
    double maxSeconds;
    More more = {};
};

// The record both sensors hold: every word differs from the panel's start values.
// clang-format off
inline const sim::Words kRecord = {321, 1, 300, 2, 0, 2, 100, 900, 456, 77, 1, 2, 0x2468, 0x1357, 8, 1536};
inline const sim::Words kStartValues = {500, 0, 512, 0, 1, 1, 1, 1024, 512, 100, 0, 1, 0, 0, 0, 1024};
// clang-format on
inline constexpr const char* kSpareFirmware = "SPARE-SENSOR-COM2";
inline constexpr const char* kRecordRead = "Parameter-frame received! - Line Ok!";

inline const char* ExchangeName(Exchange e) {
    static const char* const names[] = {"start-up", "Get", "Teach", "Reset", "Run", "Video"};
    return names[static_cast<int>(e)];
}

// --- Measurements -----------------------------------------------------------------------------

// AddressSanitizer keeps freed memory in quarantine: resident memory then follows how much was
// allocated, not how much is held, and says nothing about a bounded input queue.
#if defined(__SANITIZE_ADDRESS__)
inline constexpr bool kResidentMemoryTells = false;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
inline constexpr bool kResidentMemoryTells = false;
#else
inline constexpr bool kResidentMemoryTells = true;
#endif
#else
inline constexpr bool kResidentMemoryTells = true;
#endif

inline double ResidentMegabytes() {
    std::ifstream status("/proc/self/status");
    std::string key;
    while (status >> key) {
        if (key == "VmRSS:") {
            double kb = 0;
            status >> kb;
            return kb / 1024.0;
        }
        std::getline(status, key);
    }
    return 0;
}

// Counts the toolkit's warnings and errors while it lives (they are still printed).
class MessageCounter {
  public:
    MessageCounter() {
        count_ = 0;
        previous_ = qInstallMessageHandler(&Handle);
    }
    ~MessageCounter() { qInstallMessageHandler(previous_); }
    int count() const { return count_; }

  private:
    static void Handle(QtMsgType type, const QMessageLogContext& context, const QString& text) {
        if (type != QtDebugMsg && type != QtInfoMsg) ++count_;
        if (previous_) previous_(type, context, text);
    }
    static inline std::atomic<int> count_{0};
    static inline QtMessageHandler previous_ = nullptr;
};

// A 50 ms timer: the longest time between two of its ticks shows whether events kept flowing.
class Ticker {
  public:
    Ticker() {
        QObject::connect(&timer_, &QTimer::timeout, [this] { Tick(); });
        timer_.start(50);
    }
    double LongestGap() {
        Tick();
        return longest_;
    }

  private:
    void Tick() {
        const double now = Now();
        longest_ = std::max(longest_, now - last_);
        last_ = now;
    }
    QTimer timer_;
    double last_ = Now();
    double longest_ = 0;
};

struct Outcome {
    std::string status;
    double seconds = 0;
    double cpuShare = 0;  // CPU seconds per second from the action (or the start) to the end
    double longestGap = 0;
    double residentGrowth = 0;
    int messages = 0;
    bool acted = false;
};

// --- The table printed at the end -------------------------------------------------------------

struct TableLine {
    std::string row, fault, exchange;
    Outcome outcome;
    bool passed;
};

inline std::vector<TableLine>& Table() {
    static std::vector<TableLine> lines;
    return lines;
}

// cpu: CPU seconds per second from the row's action (or the start) to the end of the exchange;
// gap: longest time without event processing; rss: growth of resident memory.
class TablePrinter : public ::testing::Environment {
  public:
    void TearDown() override {
        std::printf("\n%-26s %-18s %-8s %-45s %6s %5s %5s %6s  %s\n", "row", "fault", "exchange",
                    "status", "time s", "cpu", "gap s", "rss MB", "result");
        for (const TableLine& l : Table()) {
            const Outcome& o = l.outcome;
            std::printf("%-26s %-18s %-8s %-45s %6.2f %5.2f %5.2f %6.1f  %s\n", l.row.c_str(),
                        l.fault.c_str(), l.exchange.c_str(), o.status.c_str(), o.seconds,
                        o.cpuShare, o.longestGap, o.residentGrowth, l.passed ? "pass" : "FAIL");
        }
        std::printf("%zu fault rows\n", Table().size());
    }
};

inline ::testing::Environment* const kTablePrinter =
    ::testing::AddGlobalTestEnvironment(new TablePrinter);

// --- The fixture ------------------------------------------------------------------------------

class FaultTest : public ProgramTest, public ::testing::WithParamInterface<Row> {
  protected:
    void TearDown() override {
        ProgramTest::TearDown();
        holder_.reset();
        holderEngine_.reset();
        if (spare_) spare_->Stop();
        spare_.reset();
    }

    void RunRow(const Row& row) {
        Prepare(row);
        if (HasFatalFailure()) return;
        const Outcome outcome = Perform(row);
        if (HasFatalFailure()) return;
        Verify(row, outcome);
        Recover(row);
        Table().push_back({row.name, *row.fault ? row.fault : "-", ExchangeName(row.exchange),
                           outcome, !HasFailure()});
    }

    // Port 2 always has a healthy sensor to change to; port 1 gets the row's sensor.
    void Prepare(const Row& row) {
        StartSpare();
        const std::string kind = row.sensor;
        if (kind == "missing") {
            NoSensor(1);
        } else {
            std::string options = kind == "busy" ? "--baud 0" : kind;
            if (row.exchange == Exchange::StartUp && *row.fault)
                options += std::string(" --fault ") + row.fault;
            StartSensor(options, 1);
            sensor().SetRecords(kRecord, kRecord);
            if (kind == "busy") HoldPort1();
        }
        if (row.exchange == Exchange::StartUp) return;
        StartProgram();
        if (kind != "missing" && kind != "busy") {
            ASSERT_EQ(StateWords(), kRecord) << "start-up did not read the record";
        }
    }

    Outcome Perform(const Row& row) {
        if (row.exchange != Exchange::StartUp && *row.fault)
            sensor().SetFaults({ParsedFault(row.fault)});
        Outcome o;
        MessageCounter messages;
        Ticker ticker;
        const double resident = ResidentMegabytes();
        double markTime = Now(), markCpu = CpuSeconds();
        QTimer action;  // dies with this scope: it cannot fire into a later row
        action.setSingleShot(true);
        action.setTimerType(Qt::PreciseTimer);
        QObject::connect(&action, &QTimer::timeout, [&] {
            markTime = Now(), markCpu = CpuSeconds();
            o.acted = true;
            Act(row.more.during);
        });
        if (row.more.during != During::Nothing) action.start(static_cast<int>(row.more.at * 1000));

        const double start = Now();
        RunExchange(row.exchange);
        o.seconds = Now() - start;
        o.cpuShare = (CpuSeconds() - markCpu) / std::max(Now() - markTime, 1e-3);
        o.longestGap = ticker.LongestGap();
        o.residentGrowth = ResidentMegabytes() - resident;
        o.messages = messages.count();
        o.status = Status();
        return o;
    }

    // Operates the exchange's control; the loops and waits run inside the click.
    void RunExchange(Exchange exchange) {
        switch (exchange) {
            case Exchange::StartUp:
                StartProgram();
                break;
            case Exchange::Get:
                Click(ui::BTNGet);
                break;
            case Exchange::Teach:
                Click(ui::ButtonTeach);
                break;
            case Exchange::Reset:
                Click(ui::ButtonReset);
                break;
            case Exchange::Run:
                Click(ui::BTNRun);
                break;
            case Exchange::Video:
                Click(ui::BTNVideo);
                break;
        }
    }

    void Verify(const Row& row, const Outcome& o) {
        EXPECT_TRUE(StatusMatches(row.status, o.status)) << "status \"" << o.status << "\"";
        EXPECT_GE(o.seconds, row.minSeconds);
        EXPECT_LE(o.seconds, row.maxSeconds);
        if (row.more.during != During::Nothing) {
            EXPECT_TRUE(o.acted) << "the action came too late";
        }
        EXPECT_EQ(p().stop_flag, 1);
        for (int id : {ui::BTNAcqLockA, ui::BTNAcqLockB, ui::BTNAcqRelease})
            EXPECT_FALSE(Dimmed(id)) << ui::kControlNames[id];
        ExpectParameters(row.more.params);
        // Waits on a dead line poll with event processing that sleeps between passes.
        if (row.more.idle) {
            EXPECT_LT(o.cpuShare, 0.5) << "busy spin";
        }
        // Every wait after start-up processes events (the firmware read of a new port blocks
        // them for at most 2 s, the pauses between its steps 0.1 s each).
        if (row.exchange != Exchange::StartUp) {
            const double allowed = row.more.during == During::ChoosePort2 ? 2.6 : 1.0;
            EXPECT_LT(o.longestGap, allowed) << "events were not processed";
        }
        if (row.more.flood && kResidentMemoryTells) {
            EXPECT_LT(o.residentGrowth, 24.0) << "MB more resident memory";
        }
        EXPECT_LE(o.messages, 4) << "toolkit warnings";
        if (row.more.extra) row.more.extra({p(), sensor_.get()});
    }

    // The program still processes events and works with a healthy sensor: on its port if that
    // is still open, else on port 2 chosen in the port selector.
    void Recover(const Row& row) {
        bool fired = false;
        QTimer::singleShot(20, QCoreApplication::instance(), [&] { fired = true; });
        EXPECT_TRUE(PumpUntil([&] { return fired; }, 2.0)) << "events are not processed";
        if (row.more.during == During::ClosePanel) {
            EXPECT_EQ(EventLoopResult(), 0) << "closing the panel did not end the program";
            return;
        }
        if (!p().rs.IsOpen(p().com)) {
            ChoosePort(2);
            EXPECT_EQ(Status(), kSpareFirmware) << "identification on the new port";
        }
        sim::PtyServer& healthy = p().com == 2 ? *spare_ : sensor();
        healthy.SetFaults({});
        // Answers still on their way (late ones, the last of a loop, a flood) must not meet the
        // next exchange: the receive callback would drop its answer behind them.
        const bool loop = row.exchange == Exchange::Run || row.exchange == Exchange::Video;
        Pump(LineBusySeconds(row) + (loop ? 0.5 : 0.1));
        Click(ui::BTNGet);
        EXPECT_EQ(Status(), kRecordRead) << "a new exchange after the fault";
        EXPECT_EQ(StateWords(), healthy.Ram());  // a Teach that reached it changed its setpoint
    }

    void ExpectParameters(Params expected) {
        const sim::Words& words = expected == Params::StartValues ? kStartValues : kRecord;
        sim::Words state = StateWords();
        sim::Words wanted = words;
        if (expected == Params::Shown) state[8] = wanted[8];  // Run copies the setpoint measured
        EXPECT_EQ(state, wanted) << "parameters in the state";
        sim::Words shown = wanted;
        shown[12] = shown[13] = 0;  // carried, never shown
        EXPECT_EQ(PanelWords(), shown) << "parameters on the panel";
    }

    // --- Actions ------------------------------------------------------------------------------

    void Act(During what) {
        switch (what) {
            case During::Nothing:
                break;
            case During::Stop:
                Click(ui::BTNStop);
                break;
            case During::HangUp:
                sensor().HangUp();
                break;
            case During::ClosePanel:
                Ctrl(ui::BTNRun)->window()->close();
                break;
            case During::ChoosePort2:
                ChoosePort(2);
                break;
        }
    }

    // Picks a port in the port selector as the user does (the list reports the pick).
    void ChoosePort(int port) {
        auto* list = CtrlAs<QComboBox>(ui::DropDCom);
        const int index = list->findData(port);
        ASSERT_GE(index, 0) << "port " << port << " is not listed";
        list->setCurrentIndex(index);
        emit list->activated(index);
    }

    // The result of the event loop, which a closed panel must have ended already.
    int EventLoopResult() {
        QTimer guard;
        guard.setSingleShot(true);
        QObject::connect(&guard, &QTimer::timeout, [this] { engine_->QuitUserInterface(-99); });
        guard.start(3000);
        return engine_->RunUserInterface();
    }

    // --- Helpers ------------------------------------------------------------------------------

    void StartSpare() {
        sim::ServerOptions options;
        options.baud = 0;
        sim::SensorConfig config;
        config.firmware = kSpareFirmware;
        config.ram = config.eeprom = kRecord;
        spare_ = std::make_unique<sim::PtyServer>(config, options);
        ASSERT_TRUE(spare_->Start()) << spare_->error();
        setenv("TAVRIX_COM2", spare_->slavePath().c_str(), 1);
    }

    // Another program holds port 1's device.
    void HoldPort1() {
        holderEngine_ = std::make_unique<platform::Engine>();
        holder_ = std::make_unique<platform::Rs232>(*holderEngine_);
        ASSERT_EQ(holder_->OpenComConfig(1, "", 19200, 0, 8, 1, 4096, 4096), 0);
    }

    static sim::Fault ParsedFault(const std::string& spec) {
        std::string error;
        const auto fault = sim::ParseFault(spec, &error);
        EXPECT_TRUE(fault.has_value()) << error;
        return fault.value_or(sim::Fault{});
    }

    // How long the row's fault keeps bytes coming after a request.
    static double LineBusySeconds(const Row& row) {
        if (!*row.fault) return 0;
        const sim::Fault f = ParsedFault(row.fault);
        return f.kind == sim::FaultKind::Flood || f.kind == sim::FaultKind::Delay ? f.value : 0;
    }

    static bool StatusMatches(const std::string& expected, const std::string& actual) {
        if (expected == "*") return true;
        std::size_t from = 0;
        for (;;) {
            const std::size_t bar = expected.find('|', from);
            if (expected.substr(from, bar - from) == actual) return true;
            if (bar == std::string::npos) return false;
            from = bar + 1;
        }
    }

    sim::Words StateWords() {
        State copy = p();
        CopyVarsToPP(copy);
        return copy.pp;
    }

    // What the panel shows, read as Send reads it.
    sim::Words PanelWords() {
        Program shown(*engine_, *ports_);
        shown.pHandle = p().pHandle;
        GetPanelValues(shown);
        CopyVarsToPP(shown);
        return shown.pp;
    }

    std::unique_ptr<sim::PtyServer> spare_;
    std::unique_ptr<platform::Engine> holderEngine_;
    std::unique_ptr<platform::Rs232> holder_;
};

// gtest shows a row by its name.
inline void PrintTo(const Row& row, std::ostream* out) {
    *out << row.name;
}

inline std::string RowName(const ::testing::TestParamInfo<Row>& info) {
    return info.param.name;
}

}  // namespace systest::faults
