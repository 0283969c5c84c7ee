// User actions become callback events: mouse against keyboard, value changes, close box, nesting.
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTest>

#include "panel_ids.h"
#include "ui_test_support.h"

using namespace platform;

namespace {

using Codes = std::vector<int>;

class EventTest : public test::FixturePanel {};

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
    EXPECT_EQ(events, Codes{EVENT_COMMIT});

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
        int before = 0, after = 0;
        engine->GetCtrlVal(panel, id, before);
        events.clear();
        QTest::mouseClick(button, Qt::LeftButton);
        EXPECT_EQ(events, (Codes{EVENT_LEFT_CLICK, EVENT_VAL_CHANGED, EVENT_COMMIT}));
        engine->GetCtrlVal(panel, id, after);
        EXPECT_EQ(after, 1 - before);

        events.clear();
        QTest::keyClick(button, Qt::Key_Space);
        EXPECT_EQ(events, (Codes{EVENT_VAL_CHANGED, EVENT_COMMIT}));
        engine->GetCtrlVal(panel, id, after);
        EXPECT_EQ(after, before);
    }
}

TEST_F(EventTest, NumericControlCommitsEachUserChangeOnce) {
    record(ui::NUMPower);
    auto* spin = controlAs<QSpinBox>(ui::NUMPower);
    engine->SetCtrlVal(panel, ui::NUMPower, 10);
    QTest::keyClick(spin, Qt::Key_Up);
    EXPECT_EQ(events, (Codes{EVENT_VAL_CHANGED, EVENT_COMMIT}));
    EXPECT_EQ(spin->value(), 11);

    // Typing does not report each keystroke: the value counts once Enter commits it.
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
    EXPECT_EQ(combo->itemText(0), "COM1");
    EXPECT_EQ(engine->SetCtrlVal(panel, ui::DropDCom, 7), kErrBadValue);
    EXPECT_TRUE(events.empty());
    QTest::keyClick(combo, Qt::Key_Up);  // from COM2, still selected, to COM1
    EXPECT_EQ(events, Codes{EVENT_COMMIT});
    int v = 0;
    engine->GetCtrlVal(panel, ui::DropDCom, v);
    EXPECT_EQ(v, 1);
    engine->ClearListCtrl(panel, ui::DropDCom);
    EXPECT_EQ(engine->GetCtrlVal(panel, ui::DropDCom, v), kErrBadValue);
}

TEST_F(EventTest, CloseBoxReportsCloseAndThePanelStays) {
    engine->InstallPanelCallback(panel, test::Hook::OnPanel, &recorder);
    QWidget* window = engine->impl().panel(panel)->window;
    EXPECT_FALSE(window->close());
    EXPECT_EQ(events, Codes{EVENT_CLOSE});
    EXPECT_TRUE(window->isVisible());
}

// A callback discards its own panel and keeps dispatching events: the widgets whose signal is
// still on the stack must stay alive until it returns, then go.
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
    EXPECT_TRUE(window.isNull());
}

// A left-click callback that waits (dispatching events) has outlived the press: the button must
// not go down afterwards and gives no commit on a late release.
TEST_F(EventTest, LeftClickCallbackThatWaitsConsumesThePress) {
    auto* button = controlAs<QPushButton>(ui::BTNRun);
    test::Hook hook{[&](int, int event) {
        events.push_back(event);
        if (event == EVENT_LEFT_CLICK) engine->ProcessSystemEvents();
    }};
    engine->InstallCtrlCallback(panel, ui::BTNRun, test::Hook::OnControl, &hook);
    QTest::mousePress(button, Qt::LeftButton);
    EXPECT_FALSE(button->isDown());
    QTest::mouseRelease(button, Qt::LeftButton);
    EXPECT_EQ(events, Codes{EVENT_LEFT_CLICK});
}

}  // namespace
