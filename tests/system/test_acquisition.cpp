// Run, Video and Stop against the simulated sensor: what leaves on the line, what is drawn for
// every answer, how the loops end, and the controls around them.
#include <QAbstractButton>
#include <QTest>
#include <QTimer>

#include "com232.h"
#include "gui.h"
#include "harness.h"
#include "options.h"
#include "panel_ids.h"

namespace systest {
namespace {

constexpr double kSentinel = -1.0;  // marks strip-chart history not written by the loop

class Acquisition : public ProgramTest {
  protected:
    void TearDown() override {
        delete timers_;  // cancels actions not yet run
        ProgramTest::TearDown();
    }

    void Start(const std::string& options) {
        options_ = options;
        StartSensor(options);
        StartProgram();
        p().arrayNORM.fill(kSentinel);
    }

    // Like After, but cancelled when the test ends, so that no action reaches the next test.
    void Later(double seconds, std::function<void()> action) {
        QTimer::singleShot(static_cast<int>(seconds * 1000), timers_, std::move(action));
    }

    // Runs `action` once, from the event processing of whatever loop runs then, as soon as the
    // sensor has taken `count` requests since it started.
    void WhenRequested(long count, std::function<void()> action) {
        auto* poll = new QTimer(timers_);
        QObject::connect(poll, &QTimer::timeout, poll, [this, poll, count, action] {
            if (sensor().RequestCount() < count) return;
            poll->stop();
            action();
        });
        poll->start(1);
    }

    void PressStop() {
        QTest::mousePress(Ctrl(ui::BTNStop), Qt::LeftButton);
        QTest::mouseRelease(Ctrl(ui::BTNStop), Qt::LeftButton);
    }

    // Presses Run or Video; the loop runs for `seconds`, then Stop goes down. Returns when the
    // loop has ended.
    void RunFor(int button, double seconds) {
        Later(seconds, [this] { PressStop(); });
        Click(button);
    }

    // The answers of a fresh sensor of the same kind to every logged request, in order: the
    // simulated sensor is deterministic, so these are the answers the program received.
    std::vector<sim::Answer> Answers() {
        sim::Responder fresh(sim::ParseOptionString(options_).options.sensor);
        std::vector<sim::Answer> answers;
        for (const auto& r : sensor().Log())
            answers.push_back(fresh.Respond(r.bytes));
        return answers;
    }

    // Groups the loop has added to the strip-chart history (at most its 100).
    int GroupsDrawn() {
        int groups = 0;
        for (int g = 0; g < 100; ++g)
            groups += p().arrayNORM[5 * g] != kSentinel;
        return groups;
    }

    std::string options_;
    QObject* timers_ = new QObject;
};

std::vector<u16> Payload(const unsigned char* frame) {
    std::vector<u16> words;
    for (int i = 0; i < PNUM; ++i)
        words.push_back(WordAt(frame, 4 + 2 * i));
    return words;
}

// --- Run

TEST_F(Acquisition, RunDrawsEveryAnswerOnceAndRequestsAgainUntilStop) {
    Start("--baud 19200");
    sensor().ClearLog();
    bool lockedWhileRunning = false;
    Later(0.3, [&] {
        lockedWhileRunning = Dimmed(ui::BTNAcqLockA) && Dimmed(ui::BTNAcqLockB) &&
                             !Dimmed(ui::BTNAcqRelease) && p().stop_flag == 0;
    });
    RunFor(ui::BTNRun, 1.5);  // the loop must outlive its 1.5 s answer time-out

    EXPECT_TRUE(lockedWhileRunning);
    EXPECT_EQ(Status(), "Line Ok!");
    EXPECT_TRUE(Ctrl(ui::STRIPRaw)->isVisible());
    EXPECT_FALSE(Ctrl(ui::GRAPHVideo)->isVisible());
    const auto log = sensor().Log();
    ASSERT_GE(log.size(), 20u);  // 26.67 requests a second fit on the line
    for (const auto& r : log)
        ASSERT_EQ(r.code, RUN);

    // Every answer but possibly the one in flight at Stop is drawn once, in order, from the
    // packed parameters of its request.
    const auto answers = Answers();
    const int drawn = GroupsDrawn();
    EXPECT_TRUE(drawn == int(log.size()) || drawn == int(log.size()) - 1) << drawn;
    for (int k = 0; k < drawn; ++k) {
        State s = p();
        s.pp = {};
        for (int i = 0; i < PNUM; ++i)
            s.pp[i] = WordAt(answers[k].bytes.data(), 4 + 2 * i);
        CopyRunResult(s);
        const RawGroup g = ComputeRawGroup(s);
        const double* group = &p().arrayNORM[500 - 5 * (drawn - k)];
        ASSERT_EQ(group[3], g.measured) << "answer " << k;
        ASSERT_EQ(group[2], g.setpoint) << "answer " << k;
    }
    State packed = p();
    CopyVarsToPP(packed);
    EXPECT_EQ(Payload(log.back().bytes.data()),
              std::vector<u16>(packed.pp.begin(), packed.pp.end()));
    EXPECT_EQ(CtrlAs<QAbstractButton>(ui::RBTRam)->isChecked(), true);
    EXPECT_FALSE(Dimmed(ui::BTNAcqLockA));
    EXPECT_FALSE(Dimmed(ui::BTNAcqLockB));
}

TEST_F(Acquisition, SilentSensorEndsEitherLoopAfterTheTimeOut) {
    Start("--baud 0 --fault silent");
    for (int button : {ui::BTNRun, ui::BTNVideo}) {
        sensor().ClearLog();
        const double t0 = Now();
        Click(button);
        EXPECT_GT(Now() - t0, 1.5);
        EXPECT_LT(Now() - t0, 2.5);
        EXPECT_EQ(Status(), "Timeout RS232-Line!");
        EXPECT_EQ(RequestCodes(), std::vector<int>{RUN});
        for (int id : {ui::BTNAcqLockA, ui::BTNAcqLockB, ui::BTNAcqRelease})
            EXPECT_FALSE(Dimmed(id)) << button << " " << id;
        EXPECT_EQ(GroupsDrawn(), 0);
    }
}

TEST_F(Acquisition, RunKeepsItsHistoryAndTheSetpointDisplayAcrossStopAndRun) {
    Start("--baud 19200");
    sim::Words ram = sensor().Ram();
    ram[sim::kTVal] = 777;
    sensor().SetRecords(ram, sensor().Eeprom());
    int shownSetpoint = 0;
    engine_->GetCtrlVal(p().pHandle, ui::NUMTVal, shownSetpoint);

    RunFor(ui::BTNRun, 0.4);
    const int first = GroupsDrawn();
    Pump(0.1);  // lets the answer in flight at Stop go by
    RunFor(ui::BTNRun, 0.4);
    EXPECT_GE(first, 5);
    EXPECT_GT(GroupsDrawn(), first);
    EXPECT_EQ(p().tVal, 777);  // answer word 3
    int shown = 0;
    engine_->GetCtrlVal(p().pHandle, ui::NUMTVal, shown);
    EXPECT_EQ(shown, shownSetpoint);
}

// --- Stop

TEST_F(Acquisition, StopDuringAVideoWaitLetsTheCycleComplete) {
    Start("--baud 0 --fault delay=0.6@8");
    sensor().ClearLog();
    RunFor(ui::BTNVideo, 0.3);  // the answer comes 0.3 s after Stop went down
    EXPECT_EQ(RequestCodes(),
              (std::vector<int>{RUN, GET_DATA64, GET_DATA64, GET_DATA64, GET_DATA64}));
    EXPECT_EQ(Status(), "Data[64] block received!");
    EXPECT_EQ(p().Mvalue, sensor().LastRun()[sim::kMvalue]);
}

TEST_F(Acquisition, StopFromTheKeyboardDoesNotEndALoop) {
    Start("--baud 19200");
    long atKeyboardStop = 0;
    Later(0.2, [&] {
        Ctrl(ui::BTNStop)->setFocus();
        QTest::keyClick(Ctrl(ui::BTNStop), Qt::Key_Space);
        atKeyboardStop = sensor().RequestCount();
    });
    RunFor(ui::BTNRun, 0.6);
    EXPECT_GE(sensor().RequestCount() - atKeyboardStop, 5);
}

// --- Video

struct BoardCase {
    int board;
    std::vector<int> blockCodes;
    std::vector<int> offsets;
    std::vector<int> lastFlags;
};

class VideoBoards : public Acquisition, public ::testing::WithParamInterface<BoardCase> {};

TEST_P(VideoBoards, ReadsTheImageByBoardAndSendsThePreviousAnswer) {
    const BoardCase& c = GetParam();
    Start("--baud 0 --board " + std::to_string(c.board));
    Click(ui::RBTEeprom);
    const size_t before = sensor().Log().size();
    RunFor(ui::BTNVideo, 0.3);

    const auto log = sensor().Log();
    const auto answers = Answers();
    const size_t cycle = 1 + c.blockCodes.size();
    ASSERT_GE(log.size() - before, 3 * cycle);
    ASSERT_EQ((log.size() - before) % cycle, 0u);
    const unsigned char* previousAnswer = nullptr;
    for (size_t i = before; i < log.size(); i += cycle) {
        ASSERT_EQ(log[i].code, RUN) << i;
        if (previousAnswer != nullptr) {
            ASSERT_EQ(Payload(log[i].bytes.data()), Payload(previousAnswer)) << i;
        }
        previousAnswer = answers[i].bytes.data();
        for (size_t b = 0; b < c.blockCodes.size(); ++b) {
            const auto words = Payload(log[i + 1 + b].bytes.data());
            ASSERT_EQ(log[i + 1 + b].code, c.blockCodes[b]);
            EXPECT_EQ(words[0], c.offsets[b]);
            EXPECT_EQ(words[1], c.lastFlags[b]);
            EXPECT_TRUE(std::all_of(words.begin() + 2, words.end(), [](u16 w) { return w == 0; }));
        }
    }
    const auto image = sensor().CurrentImage();
    EXPECT_TRUE(std::equal(image.begin(), image.end(), p().adcbuf.begin()));
    EXPECT_TRUE(CtrlAs<QAbstractButton>(ui::RBTRam)->isChecked());
    EXPECT_FALSE(CtrlAs<QAbstractButton>(ui::RBTEeprom)->isChecked());
    EXPECT_EQ(p().target, RAM);
    EXPECT_TRUE(Ctrl(ui::GRAPHVideo)->isVisible());
    EXPECT_FALSE(Ctrl(ui::STRIPRaw)->isVisible());
}

INSTANTIATE_TEST_SUITE_P(
    , VideoBoards,
    ::testing::Values(BoardCase{0, {9, 9, 9, 9}, {0, 64, 128, 192}, {0, 0, 0, 1}},
                      BoardCase{100, {9, 9, 9, 9}, {0, 64, 128, 192}, {0, 0, 0, 1}},
                      BoardCase{400, {11}, {0}, {0}}));

// --- Other controls during a loop

// Measurement answers come 0.2 s late and whole; Send and Get are pressed just after a
// measurement request has left, so their frames reach the sensor before the loop flushes again.
TEST_F(Acquisition, SendDuringRunReachesTheSensorAndRunGoesOn) {
    Start("--baud 0 --fault delay=0.2@8");
    EnterValue(ui::NUMPower, 321);
    long afterSend = 0;
    WhenRequested(sensor().RequestCount() + 2, [&] {
        Click(ui::BTNSend);
        afterSend = sensor().RequestCount();
    });
    RunFor(ui::BTNRun, 1.2);
    EXPECT_EQ(sensor().Ram()[sim::kPower], 321);
    EXPECT_GE(sensor().RequestCount() - afterSend, 2);  // Run went on
    EXPECT_EQ(Status(), "Line Ok!");
}

// The parameter answer queues behind the late measurement answer; the receive callback keeps the
// first frame and drops what follows it, so Get times out, and with it Run.
TEST_F(Acquisition, GetDuringRunLosesItsAnswerBehindTheMeasurementAndRunTimesOut) {
    Start("--baud 0 --fault delay=0.2@8");
    double getAt = 0;
    std::string getStatus;
    WhenRequested(sensor().RequestCount() + 2, [&] {
        getAt = Now();
        Click(ui::BTNGet);
        getStatus = Status();
    });
    Click(ui::BTNRun);
    EXPECT_EQ(getStatus, "Timeout-RS-232...");
    EXPECT_EQ(Status(), "Timeout RS232-Line!");
    EXPECT_GT(Now() - getAt, 1.5);
    EXPECT_LT(Now() - getAt, 2.5);
    EXPECT_EQ(RequestCodes().back(), GET_RAM);
}

// --- Nesting and closing

// Stop releases Run while the Video cycle still waits; a Run started then runs inside that wait.
// Once it is stopped, the old cycle completes with whatever answer comes and no loop goes on.
TEST_F(Acquisition, RunStartedWhileAVideoCycleCompletesRunsNestedAndBothEnd) {
    Start("--baud 0 --fault delay=0.3@8");
    long atNestedStop = 0;
    bool nestedRan = false;
    Later(0.1, [&] { PressStop(); });
    Later(0.2, [&] {
        Later(1.0, [&] {
            nestedRan = p().stop_flag == 0;
            PressStop();
            atNestedStop = sensor().RequestCount();
        });
        Click(ui::BTNRun);
    });
    const long before = sensor().RequestCount();
    Click(ui::BTNVideo);
    EXPECT_TRUE(nestedRan);
    EXPECT_GE(atNestedStop - before, 3);
    const auto codes = RequestCodes();
    EXPECT_TRUE(std::all_of(codes.end() - (sensor().RequestCount() - atNestedStop), codes.end(),
                            [](int code) { return code == GET_DATA64; }));
    EXPECT_EQ(p().stop_flag, 1);
    for (int id : {ui::BTNAcqLockA, ui::BTNAcqLockB, ui::BTNAcqRelease})
        EXPECT_FALSE(Dimmed(id)) << id;
}

// Closing the main panel closes the port: the waits still pending in the Video cycle run to their
// time-outs (the measurement answer, or the four image blocks), then the event loop ends with 0.
struct CloseCase {
    const char* lateAnswer;
    int pendingWaits;
};

class ClosingDuringVideo : public Acquisition, public ::testing::WithParamInterface<CloseCase> {};

TEST_P(ClosingDuringVideo, EndsTheEventLoopAfterThePendingTimeOuts) {
    Start(std::string("--baud 0 --fault ") + GetParam().lateAnswer);
    double closedAt = 0;
    Later(0.0, [&] { Click(ui::BTNVideo); });
    Later(0.3, [&] {
        closedAt = Now();
        Ctrl(ui::BTNRun)->window()->close();
    });
    EXPECT_EQ(engine_->RunUserInterface(), 0);
    const double waits = GetParam().pendingWaits * TIMEOUT;
    EXPECT_GT(Now() - closedAt, waits - 0.5);
    EXPECT_LT(Now() - closedAt, waits + 1.0);
    EXPECT_EQ(p().stop_flag, 1);
}

INSTANTIATE_TEST_SUITE_P(, ClosingDuringVideo,
                         ::testing::Values(CloseCase{"delay=1.0@8", 1},
                                           CloseCase{"delay=1.0@9", 4}));

}  // namespace
}  // namespace systest
