// The fault table shared by the test_faults_*.cpp programs. Each row switches a fault of the
// simulated sensor on (or takes port 1 away), runs one exchange against it and checks the status,
// the time taken, the state left behind and the user's parameters; then that the program still
// processes events and can talk to a healthy sensor.
#pragma once

#include <sys/stat.h>
#include <unistd.h>

#include <QComboBox>
#include <QCoreApplication>
#include <QTimer>
#include <algorithm>
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

enum class Exchange { StartUp, Get, Teach, Reset, Run, Video, Send };
// Get, Teach, Reset and Send: pressed inside the running loop, which is stopped a second later.
enum class During { Nothing, Stop, HangUp, ClosePanel, ChoosePort2, Get, Teach, Reset, Send };

struct Row {
    const char* name;
    const char* sensor;  // port 1's sensor options, or "missing" / "busy" / "forbidden"
    const char* fault;   // switched on right before the exchange ("" none)
    Exchange exchange;
    const char* status;  // alternatives separated by '|'; of the nested exchange, if there is one
    double minSeconds, maxSeconds;
    During during = During::Nothing;  // done `at` seconds into the exchange
    double at = 0;
};

// clang-format off
inline const sim::Words kRecord = {321, 1, 300, 2, 0, 2, 100, 900, 456, 77, 1, 2, 0x2468, 0x1357, 8, 1536};
inline const sim::Words kStartValues = {500, 0, 512, 0, 1, 1, 1, 1024, 512, 100, 0, 1, 0, 0, 0, 1024};
// clang-format on
inline constexpr const char* kSpareFirmware = "SPARE-SENSOR-COM2";
inline constexpr const char* kRecordRead = "Parameter-frame received! - Line Ok!";
inline constexpr const char* kTimeout = "Timeout-RS-232...";
inline constexpr const char* kNotInSync = "read error - not sync byte 0xAA!";
inline constexpr const char* kLoopTimeout = "Timeout RS232-Line!";
inline constexpr const char* kLineOk = "Line Ok!";
inline constexpr const char* kResetOk = "Reset of analog-output Max/Min OK!";
inline constexpr const char* kPlain = "--baud 19200";
inline constexpr const char* kPaced = "--baud 19200";
inline constexpr const char* kBoard400 = "--baud 19200 --board 400";

// Under AddressSanitizer resident memory follows allocations (freed memory sits in quarantine).
#if defined(__has_feature)
#if __has_feature(address_sanitizer)
#define TAVRIX_FAULTS_ASAN
#endif
#endif
#if defined(__SANITIZE_ADDRESS__) || defined(TAVRIX_FAULTS_ASAN)
inline constexpr bool kResidentMemoryTells = false;
#else
inline constexpr bool kResidentMemoryTells = true;
#endif

inline double ResidentMegabytes() {
    std::ifstream status("/proc/self/status");
    std::string key;
    double kb = 0;
    while (status >> key && key != "VmRSS:")
        std::getline(status, key);
    status >> kb;
    return kb / 1024.0;
}

// The toolkit's warnings and errors, counted (and still printed): a dead port must not flood them.
inline std::atomic<int> gToolkitWarnings{0};
inline void CountWarning(QtMsgType type, const QMessageLogContext& context, const QString& text);
inline const QtMessageHandler gPreviousHandler = qInstallMessageHandler(&CountWarning);
inline void CountWarning(QtMsgType type, const QMessageLogContext& context, const QString& text) {
    if (type != QtDebugMsg && type != QtInfoMsg) ++gToolkitWarnings;
    if (gPreviousHandler) gPreviousHandler(type, context, text);
}

struct Outcome {
    std::string status;
    double seconds = 0, cpuShare = 0, cpuWindow = 0, longestGap = 0, residentGrowth = 0;
    bool acted = false;
};

struct TableLine {
    std::string row, fault;
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
        const char* format = "%-26s %-18s %-45s %6s %5s %5s %6s  %s\n";
        std::printf(format, "row", "fault", "status", "time s", "cpu", "gap s", "rss MB", "result");
        for (const TableLine& l : Table()) {
            const Outcome& o = l.outcome;
            std::printf("%-26s %-18s %-45s %6.2f %5.2f %5.2f %6.1f  %s\n", l.row.c_str(),
                        l.fault.c_str(), o.status.c_str(), o.seconds, o.cpuShare, o.longestGap,
                        o.residentGrowth, l.passed ? "pass" : "FAIL");
        }
        std::printf("%zu fault rows\n", Table().size());
    }
};

inline ::testing::Environment* const kTablePrinter =
    ::testing::AddGlobalTestEnvironment(new TablePrinter);

class FaultTest : public ProgramTest, public ::testing::WithParamInterface<Row> {
  protected:
    void TearDown() override {
        ProgramTest::TearDown();
        holder_.reset();
        holderEngine_.reset();
        if (spare_) spare_->Stop();
    }

    void RunRow(const Row& row) {
        Prepare(row);
        if (HasFatalFailure() || IsSkipped()) return;
        const Outcome outcome = Perform(row);
        Verify(row, outcome);
        Recover(row);
        Table().push_back({row.name, *row.fault ? row.fault : "-", outcome, !HasFailure()});
    }

    // Port 2 always has a healthy sensor to change to; port 1 gets the row's sensor.
    void Prepare(const Row& row) {
        StartSpare();
        const bool startUp = row.exchange == Exchange::StartUp;
        std::string options = row.sensor;
        if (startUp && *row.fault) options += std::string(" --fault ") + row.fault;
        if (options == "missing") {
            NoSensor(1);
        } else {
            StartSensor(NoPort(row) ? kPlain : options, 1);
            sensor().SetRecords(kRecord, kRecord);
            if (options == "busy") HoldPort1();
            if (options == "forbidden") ForbidPort1();
        }
        if (startUp) return;
        StartProgram();
        ASSERT_TRUE(NoPort(row) || StateWords() == kRecord) << "start-up did not read the record";
        if (*row.fault) sensor().SetFaults({ParsedFault(row.fault)});
    }

    Outcome Perform(const Row& row) {
        Outcome o;
        double lastTick = Now(), markTime = Now(), markCpu = CpuSeconds();
        QTimer ticker, action;  // die with this scope: they cannot fire into a later row
        QObject::connect(&ticker, &QTimer::timeout, [&] {
            o.longestGap = std::max(o.longestGap, Now() - lastTick);
            lastTick = Now();
        });
        ticker.start(50);
        action.setSingleShot(true);
        action.setTimerType(Qt::PreciseTimer);
        QObject::connect(&action, &QTimer::timeout, [&] {
            markTime = Now(), markCpu = CpuSeconds(), o.acted = true;
            Act(row.during);
        });
        if (row.during != During::Nothing) action.start(static_cast<int>(row.at * 1000));
        gToolkitWarnings = 0;
        const double resident = ResidentMegabytes(), start = Now();
        static const int kControls[] = {0,          ui::BTNGet,   ui::ButtonTeach, ui::ButtonReset,
                                        ui::BTNRun, ui::BTNVideo, ui::BTNSend};
        if (row.exchange == Exchange::StartUp)
            StartProgram();
        else
            Click(kControls[static_cast<int>(row.exchange)]);  // loops run inside the click
        o.seconds = Now() - start;
        o.cpuWindow = Now() - markTime;
        o.cpuShare = (CpuSeconds() - markCpu) / std::max(o.cpuWindow, 1e-3);
        o.longestGap = std::max(o.longestGap, Now() - lastTick);
        o.residentGrowth = ResidentMegabytes() - resident;
        o.status = Nested(row.during) ? nestedStatus_ : Status();
        return o;
    }

    static bool Nested(During d) { return d >= During::Get; }

    void Verify(const Row& row, const Outcome& o) {
        EXPECT_TRUE(StatusMatches(row.status, o.status)) << "status \"" << o.status << "\"";
        EXPECT_GE(o.seconds, row.minSeconds);
        EXPECT_LE(o.seconds, row.maxSeconds);
        EXPECT_EQ(o.acted, row.during != During::Nothing) << "the action came too late";
        EXPECT_EQ(p().stop_flag, 1);
        for (int id : {ui::BTNRun, ui::BTNVideo, ui::BTNStop})
            EXPECT_FALSE(Dimmed(id)) << ui::kControlNames[id];
        EXPECT_LE(gToolkitWarnings.load(), 4) << "toolkit warnings";
        // A line check that failed, or a port that did not open, ends the identification.
        const bool lineFailed = o.status == kTimeout || o.status == kNotInSync;
        if (row.exchange == Exchange::StartUp && sensor_ && (lineFailed || NoPort(row))) {
            EXPECT_EQ(RequestCodes(), std::vector<int>(lineFailed, LINE_CHECK));
        }
        ExpectParameters(row);
        ExpectRunRequestsCarryTheParameters();
        const bool flood = std::string(row.fault).starts_with("flood");
        // A second or more without a flood is spent waiting on a dead line: no busy spin.
        EXPECT_TRUE(flood || o.cpuWindow < 1.0 || o.cpuShare < 0.5) << "busy spin";
        EXPECT_TRUE(!flood || !kResidentMemoryTells || o.residentGrowth < 24.0) << "memory grew";
        // The firmware read of a newly chosen port blocks events for up to 2 s.
        const double allowedGap = row.during == During::ChoosePort2 ? 2.6 : 1.0;
        EXPECT_TRUE(row.exchange == Exchange::StartUp || o.longestGap < allowedGap)
            << "events were not processed";
        const bool portGone = row.during == During::HangUp || row.during == During::ClosePanel;
        EXPECT_FALSE(portGone && p().rs.IsOpen(1));
        EXPECT_TRUE(row.during != During::ChoosePort2 ||
                    (p().com == 2 && p().rs.IsOpen(2) && !p().rs.IsOpen(1)));
    }

    // Still processing events; then a Get on a healthy sensor (port 2 if port 1 is closed).
    void Recover(const Row& row) {
        bool fired = false;
        QTimer::singleShot(20, QCoreApplication::instance(), [&] { fired = true; });
        EXPECT_TRUE(PumpUntil([&] { return fired; }, 2.0)) << "events are not processed";
        if (row.during == During::ClosePanel) {
            EXPECT_EQ(EventLoopResult(), 0) << "closing the panel did not end the program";
            return;
        }
        if (!p().rs.IsOpen(p().com)) {
            ChoosePort(2);
            EXPECT_EQ(Status(), kSpareFirmware) << "identification on the new port";
        }
        sim::PtyServer& healthy = p().com == 2 ? *spare_ : sensor();
        healthy.SetFaults({});
        // Answers still on their way (late, last of a loop, a flood) must not meet the next Get.
        const bool loop = row.exchange == Exchange::Run || row.exchange == Exchange::Video;
        Pump(LineBusySeconds(row) + (loop ? 0.5 : 0.1));
        Click(ui::BTNGet);
        EXPECT_EQ(Status(), kRecordRead) << "a new exchange after the fault";
        EXPECT_EQ(StateWords(), healthy.Ram());  // a Teach that reached it changed its setpoint
    }

    // Wholly the record or (never read) the start values; a loop may hold a measured setpoint.
    void ExpectParameters(const Row& row) {
        sim::Words state = StateWords();
        const bool read = !NoPort(row) && (row.exchange != Exchange::StartUp || state == kRecord);
        sim::Words wanted = read ? kRecord : kStartValues;
        if (row.during == During::Teach) wanted[8] = sensor().Ram()[8];  // the taught setpoint
        if (row.exchange == Exchange::Run || row.exchange == Exchange::Video) state[8] = wanted[8];
        EXPECT_EQ(state, wanted) << "parameters in the state";
        sim::Words shown = wanted;
        shown[12] = shown[13] = 0;  // carried, never shown
        EXPECT_EQ(PanelWords(), shown) << "parameters on the panel";
    }

    // Every measurement request carries the parameters in force, with the setpoint the loop keeps
    // from the sensor's answers: never words of another exchange's answer.
    void ExpectRunRequestsCarryTheParameters() {
        if (!sensor_) return;
        const sim::Words ram = sensor().Ram();
        for (const auto& r : sensor().Log()) {
            if (r.code != RUN) continue;
            sim::Words sent{};
            for (int i = 0; i < PNUM; ++i)
                sent[i] = WordAt(r.bytes.data(), 4 + 2 * i);
            const bool setpoint = sent[8] == kRecord[8] || sent[8] == ram[8];
            sent[8] = kRecord[8];
            ASSERT_TRUE(setpoint && sent == kRecord) << "a measurement request carried other words";
        }
    }

    void Act(During what) {
        if (Nested(what)) {
            static const int kButtons[] = {ui::BTNGet, ui::ButtonTeach, ui::ButtonReset,
                                           ui::BTNSend};
            runsBeforeNested_ = RunRequests();
            Click(kButtons[static_cast<int>(what) - static_cast<int>(During::Get)]);
            nestedStatus_ = Status();
            After(1.0, [this] {
                EXPECT_GT(RunRequests(), runsBeforeNested_ + 1) << "the loop did not go on";
                Click(ui::BTNStop);
            });
        }
        if (what == During::Stop) Click(ui::BTNStop);
        if (what == During::HangUp) sensor().HangUp();
        if (what == During::ClosePanel) Ctrl(ui::BTNRun)->window()->close();
        if (what == During::ChoosePort2) ChoosePort(2);
    }

    // As the user picks it: the list reports the pick.
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

    void StartSpare() {
        sim::ServerOptions options;
        options.baud = 19200;
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

    // The device's access rights shut this user out; root is not shut out by them.
    void ForbidPort1() {
        if (::getuid() == 0) GTEST_SKIP() << "root opens a device whatever its access rights";
        ASSERT_EQ(::chmod(sensor().slavePath().c_str(), 0), 0);
    }

    static bool NoPort(const Row& row) { return !std::string(row.sensor).starts_with("--"); }

    static sim::Fault ParsedFault(const std::string& text) {
        std::string error;
        const auto fault = sim::ParseFault(text, &error);
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
        for (std::size_t from = 0;;) {
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

    long RunRequests() {
        const auto codes = RequestCodes();
        return std::count(codes.begin(), codes.end(), RUN);
    }

    std::string nestedStatus_;
    long runsBeforeNested_ = 0;
    std::unique_ptr<sim::PtyServer> spare_;
    std::unique_ptr<platform::Engine> holderEngine_;
    std::unique_ptr<platform::Rs232> holder_;
};

TEST_P(FaultTest, Row) {
    RunRow(GetParam());
}

inline void PrintTo(const Row& row, std::ostream* out) {
    *out << row.name;
}

inline std::string RowName(const ::testing::TestParamInfo<Row>& info) {
    return info.param.name;
}

}  // namespace systest::faults
