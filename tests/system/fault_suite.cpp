#include "fault_suite.h"

#include <sys/stat.h>
#include <unistd.h>

#include <QComboBox>
#include <QCoreApplication>
#include <QTimer>
#include <algorithm>
#include <atomic>
#include <set>

#include "com232.h"
#include "compare.h"
#include "gui.h"
#include "options.h"
#include "panel_ids.h"

namespace systest::faults {
namespace {

// clang-format off
const sim::Words kRecord = {321, 1, 300, 2, 0, 2, 100, 900, 456, 77, 1, 2, 0x2468, 0x1357, 8, 1536};
const sim::Words kStartValues = {500, 0, 512, 0, 1, 1, 1, 1024, 512, 100, 0, 1, 0, 0, 0, 1024};
// clang-format on

RowObserver* observer = nullptr;
constexpr double kUnwritten = -1.0;  // strip-chart history no loop has written

// The toolkit's warnings and errors, counted (and still printed): a dead port must not flood them.
std::atomic<int> toolkitWarnings{0};
QtMessageHandler previousHandler = nullptr;

void CountWarning(QtMsgType type, const QMessageLogContext& context, const QString& text) {
    if (type != QtDebugMsg && type != QtInfoMsg) ++toolkitWarnings;
    if (previousHandler) previousHandler(type, context, text);
}

bool Nested(During d) {
    return d >= During::Get;
}

bool NoPort(const Row& row) {
    return !std::string(row.sensor).starts_with("--");
}

bool IsLoop(Exchange e) {
    return e == Exchange::Run || e == Exchange::Video || e == Exchange::Walk;
}

// A loop whose answers all come from port 1's sensor.
bool LoopOnOwnSensor(const Row& row) {
    const bool otherPort = row.during == During::ChoosePort2 || row.during == During::HangUp ||
                           row.during == During::ClosePanel;
    return !NoPort(row) && IsLoop(row.exchange) && !otherPort;
}

// What port 1's sensor answered, replayed from its log on a sensor of its kind: the measurements
// in order, and each line-image block with the place of its first sample.
struct Answered {
    std::vector<sim::Words> measurements;
    std::set<std::pair<int, std::vector<std::uint16_t>>> blocks;
};

Answered Replayed(const Row& row, const std::vector<sim::LoggedRequest>& log) {
    sim::Responder fresh(sim::ParseOptionString(row.sensor).options.sensor);
    fresh.SetRecords(kRecord, kRecord);
    Answered answered;
    for (const auto& r : log) {
        const sim::Answer a = fresh.Respond(r.bytes);
        const std::size_t words = a.bytes.size() / 2;
        if (r.code == RUN) answered.measurements.push_back(FrameWords(a.bytes.data()));
        if (a.kind != sim::AnswerKind::Raw || (words != 64 && words != 256)) continue;
        std::vector<std::uint16_t> block(words);
        for (std::size_t i = 0; i < words; ++i)
            block[i] = sim::GetWord(&a.bytes[2 * i]);
        const int start = words == 64 ? sim::GetWord(&r.bytes[4]) : 0;
        answered.blocks.insert({start, std::move(block)});
    }
    return answered;
}

sim::Fault ParsedFault(const std::string& text) {
    std::string error;
    const auto fault = sim::ParseFault(text, &error);
    EXPECT_TRUE(fault.has_value()) << error;
    return fault.value_or(sim::Fault{});
}

// How long the row's fault keeps bytes coming after a request.
double LineBusySeconds(const Row& row) {
    if (!*row.fault) return 0;
    const sim::Fault f = ParsedFault(row.fault);
    const bool busy = f.kind == sim::FaultKind::Flood || f.kind == sim::FaultKind::Delay ||
                      f.kind == sim::FaultKind::DelayFirst;
    return busy ? f.value : 0;
}

bool Has(const char* fault, const char* name) {
    return std::string(fault).find(name) != std::string::npos;
}

bool StatusMatches(const std::string& expected, const std::string& actual) {
    for (std::size_t from = 0;;) {
        const std::size_t bar = expected.find('|', from);
        if (expected.substr(from, bar - from) == actual) return true;
        if (bar == std::string::npos) return false;
        from = bar + 1;
    }
}

// Named members, not the packing table: a word packed into the wrong place must show.
sim::Words RecordOf(const State& s) {
    return {s.power, s.pMode, s.vThd,   s.anaMode, s.polarity, s.eMode,  s.eBeg,    s.eEnd,
            s.tVal,  s.tTol,  s.opMode, s.hwMode,  s.para12,   s.para13, s.average, s.corrX1024};
}

}  // namespace

void SetRowObserver(RowObserver* o) {
    observer = o;
}

void FaultTest::SetUp() {
    ProgramTest::SetUp();
    previousHandler = qInstallMessageHandler(&CountWarning);
}

void FaultTest::TearDown() {
    ProgramTest::TearDown();
    qInstallMessageHandler(previousHandler);
    holder_.reset();
    holderEngine_.reset();
    if (spare_) spare_->Stop();
}

void FaultTest::RunRow(const Row& row) {
    Prepare(row);
    if (HasFatalFailure() || IsSkipped()) return;
    const Outcome outcome = Perform(row);
    Verify(row, outcome);
    Recover(row);
    if (observer) observer->RowDone(row, outcome, !HasFailure());
}

// Port 2 always has a healthy sensor to change to; port 1 gets the row's sensor.
void FaultTest::Prepare(const Row& row) {
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
    p().arrayNORM.fill(kUnwritten);
    ASSERT_TRUE(NoPort(row) || StateWords() == kRecord) << "start-up did not read the record";
    if (*row.fault) sensor().SetFaults({ParsedFault(row.fault)});
}

namespace {

// Every measurement the loops take, as the answer words that carried it, and every line image.
class AnswerLog : public MeasurementListener {
  public:
    explicit AnswerLog(Outcome& into) : into_(into) {}
    void Measured(const State& s) override {
        into_.measurements.push_back(FrameWords(s.szReadBuf.data()));
    }
    void LineImage(const State& s) override { into_.images.push_back(s.adcbuf); }

  private:
    Outcome& into_;
};

}  // namespace

Outcome FaultTest::Perform(const Row& row) {
    Outcome o;
    AnswerLog log(o);
    if (row.exchange != Exchange::StartUp) {
        o.images.push_back(p().adcbuf);
        p().listeners.Add(&log);
    }
    double lastTick = Now();
    QTimer ticker, action;  // die with this scope: they cannot fire into a later row
    QObject::connect(&ticker, &QTimer::timeout, [&] {
        o.longestGap = std::max(o.longestGap, Now() - lastTick);
        lastTick = Now();
    });
    ticker.start(50);
    action.setSingleShot(true);
    action.setTimerType(Qt::PreciseTimer);
    QObject::connect(&action, &QTimer::timeout, [&] {
        o.acted = true;
        if (observer) observer->ActionStarts();
        Act(row.during);
    });
    if (row.during != During::Nothing) action.start(static_cast<int>(row.at * 1000));
    toolkitWarnings = 0;
    if (observer) observer->ExchangeStarts();
    const double start = Now();
    // The exchange functions the buttons forward to, called directly for their outcome.
    std::string walked;
    switch (row.exchange) {
        case Exchange::StartUp:
            StartProgram();
            break;
        case Exchange::Get:
            o.exchange = PushGET(p(), p().target);
            break;
        case Exchange::Teach:
            o.exchange = PushTEACH(p());
            break;
        case Exchange::Reset:
            o.exchange = PushRESET(p());
            break;
        case Exchange::Run:
            o.exchange = PushRUN(p());
            break;
        case Exchange::Video:
            o.exchange = PushVIDEO(p());
            break;
        case Exchange::Send:
            o.exchange = PushSEND(p(), p().target);
            break;
        case Exchange::Walk:
            walked = Walk(row);
            break;
    }
    o.seconds = Now() - start;
    if (observer) observer->ExchangeEnded();
    o.longestGap = std::max(o.longestGap, Now() - lastTick);
    o.status = Nested(row.during) ? nestedStatus_ : walked.empty() ? Status() : walked;
    if (program_) p().listeners.Remove(&log);
    return o;
}

namespace {

// The outcome says what the status line says: an exchange answered exactly when its success text
// shows; a loop ended by a fault shows the loop's time-out, one ended by the user nothing.
void ExpectOutcomeAgrees(const Row& row, const Outcome& o) {
    if (row.exchange == Exchange::StartUp || row.exchange == Exchange::Walk || Nested(row.during))
        return;
    const bool loop = row.exchange == Exchange::Run || row.exchange == Exchange::Video;
    if (loop) {
        const bool faulted = o.exchange != ExchangeOutcome::Stopped;
        EXPECT_EQ(faulted, o.status == kLoopTimeout) << OutcomeName(o.exchange);
        EXPECT_NE(o.exchange, ExchangeOutcome::Answered);
        return;
    }
    const bool success = o.status == kRecordRead || o.status == kLineOk || o.status == kResetOk;
    EXPECT_EQ(o.exchange == ExchangeOutcome::Answered, success) << OutcomeName(o.exchange);
}

}  // namespace

// Get, Send, Teach, Reset, then a second of Run and a second and a half of Video; the first step
// whose status is not as wanted ends it.
std::string FaultTest::Walk(const Row& row) {
    struct Step {
        int button;
        const char* status;
    };
    const Step steps[] = {
        {ui::BTNGet, kRecordRead},      {ui::BTNSend, kLineOk},
        {ui::ButtonTeach, kRecordRead}, {ui::ButtonReset, kResetOk},
        {ui::BTNRun, kLineOk},          {ui::BTNVideo, "Data[64] block received!"}};
    for (const Step& step : steps) {
        if (step.button == ui::BTNRun || step.button == ui::BTNVideo)
            Loop(step.button, step.button == ui::BTNRun ? 1.0 : 1.5);
        else
            Click(step.button);
        if (Status() != step.status) return ui::kControlNames[step.button] + (": " + Status());
    }
    (void)row;
    return kWalked;
}

void FaultTest::Loop(int button, double seconds) {
    After(seconds, [this] { Click(ui::BTNStop); });
    Click(button);
}

void FaultTest::Verify(const Row& row, const Outcome& o) {
    EXPECT_TRUE(StatusMatches(row.status, o.status)) << "status \"" << o.status << "\"";
    ExpectOutcomeAgrees(row, o);
    EXPECT_GE(o.seconds, row.minSeconds);
    EXPECT_LE(o.seconds, row.maxSeconds);
    EXPECT_EQ(o.acted, row.during != During::Nothing) << "the action came too late";
    EXPECT_EQ(p().stop_flag, 1);
    for (int id : {ui::BTNRun, ui::BTNVideo, ui::BTNStop})
        EXPECT_FALSE(Dimmed(id)) << ui::kControlNames[id];
    EXPECT_LE(toolkitWarnings.load(), 4) << "toolkit warnings";
    // A line check that failed, or a port that did not open, ends the identification.
    const bool lineFailed = o.status == kTimeout || o.status == kNotInSync;
    if (row.exchange == Exchange::StartUp && sensor_ && (lineFailed || NoPort(row))) {
        EXPECT_EQ(RequestCodes(), std::vector<int>(lineFailed, LINE_CHECK));
    }
    if (row.outer) {
        EXPECT_TRUE(StatusMatches(row.outer, Status())) << "status \"" << Status() << "\"";
    }
    ExpectParameters(row);
    ExpectRunRequestsCarryTheParameters();
    ExpectEachMeasurementOnceInOrder(row, o);
    ExpectImagesFromTheirOwnBlocks(row, o);
    ExpectDroppedAnswers(row);
    // A Run the user stopped drew something, and every answer but the one in flight (the history
    // holds 100).
    if (row.exchange == Exchange::Run && row.during == During::Stop) {
        const long wanted = std::max(1L, std::min(RunRequests() - 1, 100L));
        EXPECT_GE(GroupsDrawn(), wanted) << "answers not drawn";
    }
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
void FaultTest::Recover(const Row& row) {
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
void FaultTest::ExpectParameters(const Row& row) {
    sim::Words state = StateWords();
    const bool read = !NoPort(row) && (row.exchange != Exchange::StartUp || state == kRecord);
    sim::Words wanted = read ? kRecord : kStartValues;
    const bool taught = row.during == During::Teach || row.exchange == Exchange::Walk;
    if (taught) wanted[8] = sensor().Ram()[8];  // the taught setpoint
    if (IsLoop(row.exchange)) state[8] = wanted[8];
    EXPECT_EQ(state, wanted) << "parameters in the state";
    sim::Words shown = wanted;
    shown[12] = shown[13] = 0;  // carried, never shown
    EXPECT_EQ(PanelWords(), shown) << "parameters on the panel";
}

// Every measurement request carries the parameters in force, with the setpoint the loop keeps
// from the sensor's answers: never words of another exchange's answer.
void FaultTest::ExpectRunRequestsCarryTheParameters() {
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

// Every measurement a loop took is the answer to one measurement request, in the order of the
// requests, and none is missing but the one in flight and those dropped as late. A sensor that
// starts repeating while the loop runs may have one repeat taken before it is caught.
void FaultTest::ExpectEachMeasurementOnceInOrder(const Row& row, const Outcome& o) {
    if (!LoopOnOwnSensor(row)) return;
    const std::vector<sim::Words> answers = Replayed(row, sensor().Log()).measurements;
    const int twiceAllowed = Has(row.fault, "twice=") ? 1 : 0;
    int twice = 0;
    std::size_t next = 0;
    for (const sim::Words& taken : o.measurements) {
        if (next > 0 && answers[next - 1] == taken) {
            ASSERT_LT(twice++, twiceAllowed) << "a measurement taken twice";
            continue;
        }
        while (next < answers.size() && answers[next] != taken)
            ++next;
        ASSERT_LT(next, answers.size()) << "a measurement taken out of order";
        ++next;
    }
    const std::size_t lost = static_cast<std::size_t>(p().router.LateAnswers()) + 1;
    EXPECT_GE(o.measurements.size() + lost, answers.size()) << "measurements not taken";
}

// Every block of every line image drawn is a block the sensor sent for that place, or what the
// place held before (a read that timed out keeps it): never another block's samples.
void FaultTest::ExpectImagesFromTheirOwnBlocks(const Row& row, const Outcome& o) {
    if (!LoopOnOwnSensor(row) || Has(row.fault, "short-block")) return;
    const auto blocks = Replayed(row, sensor().Log()).blocks;
    const int size =
        blocks.empty() ? sim::kImageSamples : static_cast<int>(blocks.begin()->second.size());
    for (std::size_t i = 1; i < o.images.size(); ++i) {
        for (int start = 0; start < sim::kImageSamples; start += size) {
            const auto at = [&](std::size_t k) { return o.images[k].begin() + start; };
            const std::vector<std::uint16_t> drawn(at(i), at(i) + size);
            const bool kept = std::equal(drawn.begin(), drawn.end(), at(i - 1));
            ASSERT_TRUE(kept || blocks.contains({start, drawn}))
                << "image " << i << " holds at " << start << " samples sent for another place";
        }
    }
}

// Repeats are reported only for a sensor that repeats, and make the port go one request at a
// time; a late answer is reported as late.
void FaultTest::ExpectDroppedAnswers(const Row& row) {
    if (!sensor_ || NoPort(row)) return;
    const bool twice = Has(row.fault, "twice");
    EXPECT_EQ(p().router.RepeatedAnswers() > 0, twice) << "repeats reported";
    EXPECT_EQ(p().router.Serialised(), twice && row.during != During::ChoosePort2);
    if (Has(row.sensor, "--block-start")) {
        const auto image = sensor().CurrentImage();
        EXPECT_TRUE(std::equal(image.begin(), image.end(), p().adcbuf.begin())) << "image drawn";
    }
    if (!Has(row.fault, "delay-first") || !IsLoop(row.exchange)) return;
    EXPECT_TRUE(PumpUntil([this] { return p().router.LateAnswers() > 0; }, 1.0));
    if (row.exchange == Exchange::Run) {
        EXPECT_EQ(Status(), kLate);  // shown after the loop's own text
    }
    // The next loop is in step and at full rate: 26.7 Hz on this line.
    Outcome again;
    AnswerLog log(again);
    p().listeners.Add(&log);
    Loop(ui::BTNRun, 1.0);
    p().listeners.Remove(&log);
    EXPECT_GE(again.measurements.size(), 20u) << "the next loop is slow";
    EXPECT_FALSE(p().router.Serialised());
}

void FaultTest::Act(During what) {
    if (what == During::Compare) {
        OpenCompareView(p());
        nestedStatus_ = p().compare->ram && p().compare->eeprom ? kCompared : "records missing";
        return;
    }
    if (Nested(what)) {
        static const int kButtons[] = {ui::BTNGet, ui::ButtonTeach, ui::ButtonReset, ui::BTNSend};
        runsBeforeNested_ = RunRequests();
        Click(kButtons[static_cast<int>(what) - static_cast<int>(During::Get)]);
        nestedStatus_ = Status();
        if (!p().loopRunning) return;
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
void FaultTest::ChoosePort(int port) {
    auto* list = CtrlAs<QComboBox>(ui::DropDCom);
    const int index = list->findData(port);
    ASSERT_GE(index, 0) << "port " << port << " is not listed";
    list->setCurrentIndex(index);
    emit list->activated(index);
}

// The result of the event loop, which a closed panel must have ended already.
int FaultTest::EventLoopResult() {
    QTimer guard;
    guard.setSingleShot(true);
    QObject::connect(&guard, &QTimer::timeout, [this] { engine_->QuitUserInterface(-99); });
    guard.start(3000);
    return engine_->RunUserInterface();
}

void FaultTest::StartSpare() {
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
void FaultTest::HoldPort1() {
    holderEngine_ = std::make_unique<platform::Engine>();
    holder_ = std::make_unique<platform::Rs232>(*holderEngine_);
    ASSERT_EQ(holder_->OpenComConfig(1, "", 19200, 0, 8, 1, 4096, 4096), 0);
}

// The device's access rights shut this user out; root is not shut out by them.
void FaultTest::ForbidPort1() {
    if (::getuid() == 0) GTEST_SKIP() << "root opens a device whatever its access rights";
    ASSERT_EQ(::chmod(sensor().slavePath().c_str(), 0), 0);
}

sim::Words FaultTest::StateWords() {
    return RecordOf(p());
}

// What the panel shows, read as Send reads it.
sim::Words FaultTest::PanelWords() {
    Program shown(*engine_, *ports_);
    shown.pHandle = p().pHandle;
    GetPanelValues(shown);
    return RecordOf(shown);
}

int FaultTest::GroupsDrawn() {
    const auto& history = p().arrayNORM;
    return static_cast<int>(100 - std::count(history.begin(), history.end(), kUnwritten) / 5);
}

long FaultTest::RunRequests() {
    const auto codes = RequestCodes();
    return std::count(codes.begin(), codes.end(), RUN);
}

TEST_P(FaultTest, Row) {
    RunRow(GetParam());
}

void PrintTo(const Row& row, std::ostream* out) {
    *out << row.name;
}

std::string RowName(const ::testing::TestParamInfo<Row>& info) {
    return info.param.name;
}

}  // namespace systest::faults
