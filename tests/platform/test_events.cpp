// User actions become callback events: mouse against keyboard, value changes, the close box,
// nesting; and the event loop with ProcessSystemEvents.
#include <unistd.h>

#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QSocketNotifier>
#include <QSpinBox>
#include <QTest>
#include <QTimer>
#include <cstdio>
#include <thread>

#include "panel_ids.h"
#include "test_support.h"
#include "ui_test_support.h"

using namespace platform;

namespace {

using Codes = std::vector<int>;

class EventTest : public test::FixturePanel {};
class PumpTest : public test::FixturePanel {};

// A left-click callback that waits (dispatching events) has outlived the press: the button must
// not go down afterwards and gives no commit on the late release.
TEST_F(EventTest, PushButtonMousePressIsLeftClickReleaseOrKeyIsCommit) {
    record(ui::BTNRun);
    auto* button = controlAs<QPushButton>(ui::BTNRun);
    QTest::mousePress(button, Qt::LeftButton);
    EXPECT_EQ(events, Codes{EVENT_LEFT_CLICK});
    QTest::mouseRelease(button, Qt::LeftButton);
    EXPECT_EQ(events, (Codes{EVENT_LEFT_CLICK, EVENT_COMMIT}));

    events.clear();
    QTest::keyClick(button, Qt::Key_Space);
    QTest::mouseClick(button, Qt::RightButton);
    EXPECT_EQ(events, (Codes{EVENT_LEFT_CLICK, EVENT_COMMIT}));

    test::Hook waits{[&](int, int event) {
        events.push_back(event);
        if (event == EVENT_LEFT_CLICK) engine->ProcessSystemEvents();
    }};
    engine->InstallCtrlCallback(panel, ui::BTNRun, test::Hook::OnControl, &waits);
    events.clear();
    QTest::mousePress(button, Qt::LeftButton);
    EXPECT_FALSE(button->isDown());
    QTest::mouseRelease(button, Qt::LeftButton);
    EXPECT_EQ(events, Codes{EVENT_LEFT_CLICK});

    events.clear();
    engine->SetCtrlAttribute(panel, ui::BTNRun, ATTR_DIMMED, 1);
    QTest::mouseClick(button, Qt::LeftButton);
    QTest::keyClick(button, Qt::Key_Space);
    EXPECT_TRUE(events.empty());
}

TEST_F(EventTest, TwoPositionControlsReportChangeThenCommit) {
    for (int id : {ui::TOGGBTN_ParaII, ui::RBTRam, ui::BINSW_OpMode}) {
        SCOPED_TRACE(ui::kControlNames[id]);
        record(id);
        auto* button = qobject_cast<QAbstractButton*>(control(id));
        const int before = value(id);
        events.clear();
        QTest::mouseClick(button, Qt::LeftButton);
        EXPECT_EQ(events, (Codes{EVENT_LEFT_CLICK, EVENT_VAL_CHANGED, EVENT_COMMIT}));
        EXPECT_EQ(value(id), 1 - before);
        events.clear();
        QTest::keyClick(button, Qt::Key_Space);
        EXPECT_EQ(events, (Codes{EVENT_LEFT_CLICK, EVENT_VAL_CHANGED, EVENT_COMMIT}));
        EXPECT_EQ(value(id), before);
    }
}

// Typing does not report each keystroke: the value counts once Enter commits it.
TEST_F(EventTest, NumericControlCommitsEachUserChangeOnce) {
    record(ui::NUMPower);
    auto* spin = controlAs<QSpinBox>(ui::NUMPower);
    engine->SetCtrlVal(panel, ui::NUMPower, 10);
    QTest::keyClick(spin, Qt::Key_Up);
    EXPECT_EQ(events, (Codes{EVENT_VAL_CHANGED, EVENT_COMMIT}));
    EXPECT_EQ(spin->value(), 11);

    events.clear();
    QLineEdit* edit = spin->findChild<QLineEdit*>();
    edit->selectAll();
    QTest::keyClicks(edit, "1234");
    EXPECT_TRUE(events.empty());
    QTest::keyClick(edit, Qt::Key_Return);
    EXPECT_EQ(events, (Codes{EVENT_VAL_CHANGED, EVENT_COMMIT}));
    EXPECT_EQ(spin->value(), 1234);
}

// List items come and go without callbacks; a pick by the user is one commit.
TEST_F(EventTest, DropDownPickIsOneCommit) {
    record(ui::DropDCom);
    engine->InsertListItem(panel, ui::DropDCom, -1, "COM2", 2);
    engine->InsertListItem(panel, ui::DropDCom, 0, "COM1", 1);
    auto* combo = controlAs<QComboBox>(ui::DropDCom);
    EXPECT_EQ(engine->SetCtrlVal(panel, ui::DropDCom, 7), kErrBadValue);
    EXPECT_TRUE(events.empty());
    QTest::keyClick(combo, Qt::Key_Up);  // from COM2, still selected, to COM1
    EXPECT_EQ(events, Codes{EVENT_COMMIT});
    EXPECT_EQ(value(ui::DropDCom), 1);
    engine->ClearListCtrl(panel, ui::DropDCom);
    int v = 0;
    EXPECT_EQ(engine->GetCtrlVal(panel, ui::DropDCom, v), kErrBadValue);
}

// The widgets whose signal is still on the stack must outlive the callback that discards their
// panel and keeps dispatching events, then go.
TEST_F(EventTest, PanelDiscardedInsideItsOwnCallbackOutlivesTheCallback) {
    QPointer<QWidget> gone = window();
    auto* button = controlAs<QPushButton>(ui::BTNRun);
    bool aliveInside = false;
    test::Hook hook{[&](int, int event) {
        if (event != EVENT_COMMIT) return;
        engine->DiscardPanel(panel);
        EXPECT_EQ(engine->SetCtrlVal(panel, ui::NUMPower, 1), kErrBadHandle);
        for (int i = 0; i < 20; ++i) {
            engine->ProcessSystemEvents();
            QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        }
        aliveInside = !gone.isNull();
    }};
    engine->InstallCtrlCallback(panel, ui::BTNRun, test::Hook::OnControl, &hook);
    QMetaObject::invokeMethod(
        button, [button] { QTest::mouseClick(button, Qt::LeftButton); }, Qt::QueuedConnection);
    settle();
    EXPECT_TRUE(aliveInside);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(gone.isNull());
}

// The close box, handled inside a Run-like callback that waits in ProcessSystemEvents, ends the
// event loop once that callback has returned; the panel stays.
TEST_F(PumpTest, CloseBoxQuitsFromNestedCallbackAfterUnwinding) {
    bool stop = false;
    std::vector<std::string> trace;
    test::Hook run{[&](int, int event) {
        if (event != EVENT_COMMIT) return;
        trace.push_back("run");
        while (!stop)
            engine->ProcessSystemEvents();
        trace.push_back("run ends");
    }};
    test::Hook close{[&](int, int event) {
        if (event != EVENT_CLOSE) return;
        trace.push_back("close");
        stop = true;
        engine->QuitUserInterface(7);
    }};
    engine->InstallCtrlCallback(panel, ui::BTNRun, test::Hook::OnControl, &run);
    engine->InstallPanelCallback(panel, test::Hook::OnPanel, &close);
    auto* button = controlAs<QPushButton>(ui::BTNRun);
    QTimer::singleShot(0, button, [button] { QTest::mouseClick(button, Qt::LeftButton); });
    QTimer::singleShot(30, window(), [w = window()] { EXPECT_FALSE(w->close()); });
    EXPECT_EQ(engine->RunUserInterface(), 7);
    EXPECT_EQ(trace, (std::vector<std::string>{"run", "close", "run ends"}));
    EXPECT_TRUE(window()->isVisible());

    engine->QuitUserInterface(3);  // before the loop runs: it returns at once
    EXPECT_EQ(engine->RunUserInterface(), 3);
}

// A polling loop must sleep in the dispatcher, not spin a core, yet return when idle.
TEST_F(PumpTest, PollingLoopDoesNotSpin) {
    settle();
    const double cpuStart = testsupport::CpuSeconds(), start = engine->Timer();
    long calls = 0;
    for (; engine->Timer() - start < 2.0; ++calls)
        engine->ProcessSystemEvents();
    const double share = (testsupport::CpuSeconds() - cpuStart) / (engine->Timer() - start);
    std::printf("ProcessSystemEvents idle: %ld calls, %.1f %% of a core\n", calls, 100 * share);
    EXPECT_LT(share, 0.5);
    EXPECT_GT(calls, 100);
}

TEST_F(PumpTest, DispatchesInputFromAnotherThreadWhilePolling) {
    int fds[2];
    ASSERT_EQ(pipe(fds), 0);
    QSocketNotifier notifier(fds[0], QSocketNotifier::Read);
    bool seen = false;
    QObject::connect(&notifier, &QSocketNotifier::activated, [&] {
        char c = 0;
        seen = read(fds[0], &c, 1) == 1;
    });
    std::thread writer([&] {
        usleep(50000);
        EXPECT_EQ(write(fds[1], "x", 1), 1);
    });
    for (const double end = engine->Timer() + 2.0; !seen && engine->Timer() < end;)
        engine->ProcessSystemEvents();
    writer.join();
    EXPECT_TRUE(seen);
    close(fds[0]);
    close(fds[1]);
}

}  // namespace
