// User actions become callback events: mouse against keyboard, value changes, close box, nesting.
#include <QAbstractButton>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTest>

#include "binary_switch.h"
#include "panel_ids.h"
#include "ui_test_support.h"

using namespace platform;

namespace {

class EventTest : public test::FixturePanel {};

TEST_F(EventTest, PushButtonMousePressIsLeftClickReleaseOrKeyIsCommit) {
    record(ui::BTNRun);
    auto* button = controlAs<QPushButton>(ui::BTNRun);
    QTest::mousePress(button, Qt::LeftButton);
    EXPECT_EQ(recorder.codes(), std::vector<int>{EVENT_LEFT_CLICK});
    QTest::mouseRelease(button, Qt::LeftButton);
    EXPECT_EQ(recorder.codes(), (std::vector<int>{EVENT_LEFT_CLICK, EVENT_COMMIT}));

    recorder.events.clear();
    QTest::keyClick(button, Qt::Key_Space);
    EXPECT_EQ(recorder.codes(), std::vector<int>{EVENT_COMMIT});

    recorder.events.clear();
    QTest::mouseClick(button, Qt::RightButton);
    engine->SetCtrlAttribute(panel, ui::BTNRun, ATTR_DIMMED, 1);
    QTest::mouseClick(button, Qt::LeftButton);
    QTest::keyClick(button, Qt::Key_Space);
    EXPECT_TRUE(recorder.events.empty());
}

TEST_F(EventTest, TwoPositionControlsReportChangeThenCommit) {
    const std::vector<int> changed{EVENT_VAL_CHANGED, EVENT_COMMIT};
    for (int id : {ui::TOGGBTN_ParaII, ui::RBTRam, ui::BINSW_OpMode}) {
        SCOPED_TRACE(ui::kControlNames[id]);
        record(id);
        auto* button = controlAs<QAbstractButton>(id);
        int before = 0;
        engine->GetCtrlVal(panel, id, before);

        recorder.events.clear();
        QTest::mouseClick(button, Qt::LeftButton);
        EXPECT_EQ(recorder.codes(),
                  (std::vector<int>{EVENT_LEFT_CLICK, EVENT_VAL_CHANGED, EVENT_COMMIT}));
        int after = 0;
        engine->GetCtrlVal(panel, id, after);
        EXPECT_EQ(after, 1 - before);

        recorder.events.clear();
        QTest::keyClick(button, Qt::Key_Space);
        EXPECT_EQ(recorder.codes(), changed);
        engine->GetCtrlVal(panel, id, after);
        EXPECT_EQ(after, before);
    }
}

TEST_F(EventTest, NumericControlCommitsEachUserChangeOnce) {
    record(ui::NUMPower);
    auto* spin = controlAs<QSpinBox>(ui::NUMPower);
    engine->SetCtrlVal(panel, ui::NUMPower, 10);
    QTest::keyClick(spin, Qt::Key_Up);
    EXPECT_EQ(recorder.codes(), (std::vector<int>{EVENT_VAL_CHANGED, EVENT_COMMIT}));
    int v = 0;
    engine->GetCtrlVal(panel, ui::NUMPower, v);
    EXPECT_EQ(v, 11);

    // Typing does not report each keystroke: the value counts once Enter commits it.
    recorder.events.clear();
    QLineEdit* edit = spin->findChild<QLineEdit*>();
    ASSERT_NE(edit, nullptr);
    edit->selectAll();
    QTest::keyClicks(edit, "1234");
    EXPECT_TRUE(recorder.events.empty());
    QTest::keyClick(edit, Qt::Key_Return);
    EXPECT_EQ(recorder.codes(), (std::vector<int>{EVENT_VAL_CHANGED, EVENT_COMMIT}));
    engine->GetCtrlVal(panel, ui::NUMPower, v);
    EXPECT_EQ(v, 1234);
}

TEST_F(EventTest, DropDownPickIsOneCommit) {
    engine->InsertListItem(panel, ui::DropDCom, -1, "COM1", 1);
    engine->InsertListItem(panel, ui::DropDCom, -1, "COM2", 2);
    record(ui::DropDCom);
    QTest::keyClick(controlAs<QComboBox>(ui::DropDCom), Qt::Key_Down);
    EXPECT_EQ(recorder.codes(), std::vector<int>{EVENT_COMMIT});
    int v = 0;
    engine->GetCtrlVal(panel, ui::DropDCom, v);
    EXPECT_EQ(v, 2);
}

TEST_F(EventTest, CloseBoxReportsCloseAndThePanelStays) {
    engine->InstallPanelCallback(panel, test::Recorder::OnPanel, &recorder);
    QWidget* window = engine->impl().panel(panel)->window;
    EXPECT_FALSE(window->close());
    EXPECT_EQ(recorder.events, (std::vector<std::pair<int, int>>{{0, EVENT_CLOSE}}));
    EXPECT_TRUE(window->isVisible());
}

// A callback discards its own panel and keeps dispatching events: the widgets whose signal is
// still on the stack must stay alive until it returns.
TEST_F(EventTest, PanelDiscardedInsideItsOwnCallbackOutlivesTheCallback) {
    QPointer<QWidget> window = engine->impl().panel(panel)->window.data();
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
        aliveInside = !window.isNull();
    }};
    engine->InstallCtrlCallback(panel, ui::BTNRun, test::Hook::OnControl, &hook);
    QMetaObject::invokeMethod(
        button, [button] { QTest::mouseClick(button, Qt::LeftButton); }, Qt::QueuedConnection);
    settle();
    EXPECT_TRUE(aliveInside);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    settle();
    EXPECT_TRUE(window.isNull());
}

// A left-click callback that waits (dispatching events) has outlived the press: the button must
// not go down afterwards and gives no commit on a late release.
TEST_F(EventTest, LeftClickCallbackThatWaitsConsumesThePress) {
    auto* button = controlAs<QPushButton>(ui::BTNRun);
    std::vector<int> codes;
    test::Hook hook{[&](int, int event) {
        codes.push_back(event);
        if (event == EVENT_LEFT_CLICK) engine->ProcessSystemEvents();
    }};
    engine->InstallCtrlCallback(panel, ui::BTNRun, test::Hook::OnControl, &hook);
    QTest::mousePress(button, Qt::LeftButton);
    EXPECT_FALSE(button->isDown());
    QTest::mouseRelease(button, Qt::LeftButton);
    EXPECT_EQ(codes, std::vector<int>{EVENT_LEFT_CLICK});
}

}  // namespace
