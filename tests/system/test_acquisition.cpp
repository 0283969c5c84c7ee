// Run, Video and Stop against the simulated sensor: what is sent, what is drawn, how loops end.
#include <QAbstractSpinBox>
#include <QTest>
#include <QTimer>
#include <algorithm>

#include "com232.h"
#include "gui.h"
#include "harness.h"
#include "options.h"
#include "panel_ids.h"

namespace systest {
namespace {

constexpr double kUnwritten = -1.0;  // strip-chart history the loop has not written

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
        p().arrayNORM.fill(kUnwritten);
    }

    void Later(double seconds, std::function<void()> action) {
        QTimer::singleShot(static_cast<int>(seconds * 1000), timers_, std::move(action));
    }

    // Runs `action` once, inside whatever loop runs then, at the sensor's `count`th request.
    void WhenRequested(long count, std::function<void()> action) {
        auto* poll = new QTimer(timers_);
        QObject::connect(poll, &QTimer::timeout, poll, [this, poll, count, action] {
            if (sensor().RequestCount() >= count) poll->stop(), action();
        });
        poll->start(1);
    }

    // Presses Run or Video and, `seconds` later, Stop; returns when the loop has ended.
    void RunFor(int button, double seconds) {
        Later(seconds, [this] { QTest::mouseClick(Ctrl(ui::BTNStop), Qt::LeftButton); });
        Click(button);
    }

    std::vector<sim::Answer> Answers() { return ReplayedAnswers(sensor(), options_); }

    int GroupsDrawn() {
        return static_cast<int>(
            100 - std::count(p().arrayNORM.begin(), p().arrayNORM.end(), kUnwritten) / 5);
    }

    bool Released() {
        return !Dimmed(ui::BTNAcqLockA) && !Dimmed(ui::BTNAcqLockB) && !Dimmed(ui::BTNAcqRelease);
    }

    std::string options_;
    QObject* timers_ = new QObject;
};

TEST_F(Acquisition, RunDrawsEveryAnswerOnceUntilStopAndKeepsItsHistory) {
    Start("--baud 19200");
    sim::Words ram = sensor().Ram();
    ram[sim::kTVal] = 777;  // the setpoint the answers carry in word 3
    sensor().SetRecords(ram, sensor().Eeprom());
    const QString setpointShown = CtrlAs<QAbstractSpinBox>(ui::NUMTVal)->text();
    Click(ui::RBTFile);
    sensor().ClearLog();
    RunFor(ui::BTNRun, 1.6);  // outlives the 1.5 s answer time-out
    EXPECT_TRUE(Released());
    EXPECT_EQ(Status(), "Line Ok!");
    EXPECT_EQ(p().target, RAM);
    const auto log = sensor().Log();
    ASSERT_GE(log.size(), 20u);  // the line carries 26.67 a second
    EXPECT_TRUE(std::all_of(log.begin(), log.end(), [](auto& r) { return r.code == RUN; }));

    // Every answer but the one in flight at Stop is drawn once, in order.
    const auto answers = Answers();
    const int drawn = GroupsDrawn();
    EXPECT_TRUE(drawn == int(log.size()) || drawn == int(log.size()) - 1) << drawn;
    for (int k = 0; k < drawn; ++k) {
        State s = p();
        for (int i = 0; i < PNUM; ++i)
            s.pp[i] = WordAt(answers[k].bytes.data(), 4 + 2 * i);
        CopyRunResult(s);
        ASSERT_EQ(p().arrayNORM[500 - 5 * (drawn - k) + 3], ComputeRawGroup(s).measured) << k;
    }
    EXPECT_EQ(p().tVal, 777);
    EXPECT_EQ(CtrlAs<QAbstractSpinBox>(ui::NUMTVal)->text(), setpointShown);

    // Run again at once: the rest of the answer in flight at Stop must not upset the next ones.
    RunFor(ui::BTNRun, 0.3);
    EXPECT_GT(GroupsDrawn(), drawn);  // the history goes on
    EXPECT_EQ(p().tVal, 777);
}

// Stop acts on mouse press: the Video cycle waiting for its answer still reads the image and
// draws, then nothing more is sent.
TEST_F(Acquisition, StopActsOnTheMouseButtonGoingDown) {
    Start("--baud 19200 --fault delay=0.6@8");
    sensor().ClearLog();
    RunFor(ui::BTNVideo, 0.3);
    EXPECT_EQ(RequestCodes(), (std::vector<int>{RUN, 9, 9, 9, 9}));
    EXPECT_EQ(Status(), "Data[64] block received!");
}

struct BoardCase {
    int board, code, blocks;  // the image requests of one cycle: 64-word blocks or one whole
};

class VideoBoards : public Acquisition, public ::testing::WithParamInterface<BoardCase> {};

TEST_P(VideoBoards, ReadTheImageByBoardAndSendTheParametersInForce) {
    const BoardCase& c = GetParam();
    Start("--baud 19200 --board " + std::to_string(c.board));
    Click(ui::RBTEeprom);
    const size_t first = sensor().Log().size();
    RunFor(ui::BTNVideo, 1.3);  // three cycles on the paced line

    const auto log = sensor().Log();
    const auto answers = Answers();
    const size_t cycle = 1 + c.blocks;
    ASSERT_GE(log.size() - first, 3 * cycle);
    ASSERT_EQ((log.size() - first) % cycle, 0u);
    for (size_t i = first; i < log.size(); i += cycle) {
        ASSERT_EQ(log[i].code, RUN) << i;
        // The parameters in force, with the setpoint the previous answer carried in word 3.
        State expected = p();
        if (i > first) expected.tVal = WordAt(answers[i - cycle].bytes.data(), 4 + 2 * 3);
        CopyVarsToPP(expected);
        ASSERT_EQ(testsupport::PayloadWords(log[i].bytes.data()),
                  std::vector<u16>(expected.pp.begin(), expected.pp.end()));
        for (int b = 0; b < c.blocks; ++b) {
            std::vector<u16> want(PNUM, 0);
            want[0] = u16(64 * b), want[1] = c.blocks > 1 && b == c.blocks - 1;
            EXPECT_EQ(log[i + 1 + b].code, c.code);
            EXPECT_EQ(testsupport::PayloadWords(log[i + 1 + b].bytes.data()), want);
        }
    }
    const auto image = sensor().CurrentImage();
    EXPECT_TRUE(std::equal(image.begin(), image.end(), p().adcbuf.begin()));
    EXPECT_EQ(p().target, RAM);
}

INSTANTIATE_TEST_SUITE_P(, VideoBoards,
                         ::testing::Values(BoardCase{0, 9, 4}, BoardCase{100, 9, 4},
                                           BoardCase{400, 11, 1}));

// Stop pressed while a Video cycle still reads its blocks: Run and Video stay dimmed until the
// cycle has ended, and a Run pressed meanwhile does not start inside it.
TEST_F(Acquisition, NoLoopStartsInsideAnEndingOne) {
    Start("--baud 19200 --fault delay=0.3@8");
    bool dimmedAfterStop = false;
    Later(0.1, [this] { QTest::mouseClick(Ctrl(ui::BTNStop), Qt::LeftButton); });
    Later(0.2, [&] {
        dimmedAfterStop = Dimmed(ui::BTNRun) && Dimmed(ui::BTNVideo);
        CC_BTNRun(p().pHandle, ui::BTNRun, platform::EVENT_COMMIT, &p(), 0, 0);
    });
    sensor().ClearLog();
    Click(ui::BTNVideo);
    EXPECT_TRUE(dimmedAfterStop);
    EXPECT_EQ(RequestCodes(), (std::vector<int>{RUN, 9, 9, 9, 9}));
    EXPECT_EQ(Status(), "Data[64] block received!");
    EXPECT_TRUE(Released());
}

}  // namespace
}  // namespace systest
