// Without a mouse: shortcuts and assistive tools' actions act on controls as the mouse does.
#include <QAccessible>
#include <QAccessibleActionInterface>
#include <QAccessibleValueInterface>
#include <QApplication>
#include <QPushButton>
#include <QSpinBox>
#include <QTest>

#include "panel_ids.h"
#include "ui_test_support.h"

using namespace platform;

namespace {

using Codes = std::vector<int>;

class AccessTest : public test::FixturePanel {
  protected:
    void SetUp() override {
        FixturePanel::SetUp();
        QApplication::setActiveWindow(window());  // shortcuts act in the active window
    }
    // Every recorded control's events as control * 100 + event, in order.
    void recordAll(std::initializer_list<int> ids) {
        for (int id : ids)
            engine->InstallCtrlCallback(panel, id, test::Hook::OnControl, &all);
    }
    bool waitFor(size_t count) {
        return QTest::qWaitFor([&] { return tagged.size() >= count; }, 2000);
    }
    static void Press(QWidget* w) {
        QAccessible::queryAccessibleInterface(w)->actionInterface()->doAction(
            QAccessibleActionInterface::pressAction());
    }

    Codes tagged;
    test::Hook all{[this](int control, int event) { tagged.push_back(control * 100 + event); }};
};

constexpr int Tag(int control, int event) {
    return control * 100 + event;
}

// The shortcut and the press action go down like the mouse, once per press, after a value typed
// into the focused field has been committed as the mouse's focus change would commit it.
TEST_F(AccessTest, ShortcutAndPressActionGoDownOnceAfterCommittingTypedValue) {
    auto* button = controlAs<QPushButton>(ui::BTNRun);
    button->setShortcut(QKeySequence(Qt::Key_F5));
    recordAll({ui::BTNRun, ui::NUMPower});
    auto* power = controlAs<QSpinBox>(ui::NUMPower);
    power->setFocus();
    power->selectAll();
    QTest::keyClicks(power, QStringLiteral("777"));
    QTest::keyClick(window(), Qt::Key_F5);
    ASSERT_TRUE(waitFor(4));
    const int run = ui::BTNRun, num = ui::NUMPower;
    EXPECT_EQ(tagged, (Codes{Tag(num, EVENT_VAL_CHANGED), Tag(num, EVENT_COMMIT),
                             Tag(run, EVENT_LEFT_CLICK), Tag(run, EVENT_COMMIT)}));
    EXPECT_EQ(value(ui::NUMPower), 777);

    tagged.clear();
    Press(button);
    ASSERT_TRUE(waitFor(2));
    EXPECT_EQ(tagged, (Codes{Tag(run, EVENT_LEFT_CLICK), Tag(run, EVENT_COMMIT)}));

    tagged.clear();  // Kept: the second press of a double click goes down no more
    QTest::mouseClick(button, Qt::LeftButton);
    QTest::mouseDClick(button, Qt::LeftButton);
    QTest::mouseRelease(button, Qt::LeftButton);
    EXPECT_EQ(tagged,
              (Codes{Tag(run, EVENT_LEFT_CLICK), Tag(run, EVENT_COMMIT), Tag(run, EVENT_COMMIT)}));
}

// Radio button, toggle button and switch: an assistive tool's actions change them as a click
// does, and the program hears of it; the switch shows as a check box with its position's text.
TEST_F(AccessTest, AssistiveActionsChangeTwoPositionControlsLikeAClick) {
    const QStringList clicks{QAccessibleActionInterface::pressAction(),
                             QAccessibleActionInterface::toggleAction()};
    for (int id : {ui::RBTRam, ui::TOGGBTN_ParaII, ui::BINSW_OpMode}) {
        recordAll({id});
        QAccessibleInterface* a = QAccessible::queryAccessibleInterface(control(id));
        for (const QString& action : a->actionInterface()->actionNames()) {
            if (!clicks.contains(action)) continue;
            SCOPED_TRACE(std::string(ui::kControlNames[id]) + " " + action.toStdString());
            const int expected = 1 - value(id);
            tagged.clear();
            a->actionInterface()->doAction(action);
            ASSERT_TRUE(
                QTest::qWaitFor([&] { return value(id) == expected && tagged.size() >= 2; }));
            EXPECT_EQ(tagged.back(), Tag(id, EVENT_COMMIT));
        }
    }
    QAccessibleInterface* sw = QAccessible::queryAccessibleInterface(control(ui::BINSW_OpMode));
    EXPECT_EQ(sw->role(), QAccessible::CheckBox);
    EXPECT_EQ(sw->state().checked, value(ui::BINSW_OpMode) == 1);
    EXPECT_FALSE(sw->text(QAccessible::Value).isEmpty());

    recordAll({ui::NUMPower});
    tagged.clear();
    QAccessible::queryAccessibleInterface(control(ui::NUMPower))
        ->valueInterface()
        ->setCurrentValue(123);
    EXPECT_EQ(value(ui::NUMPower), 123);
    EXPECT_EQ(tagged,
              (Codes{Tag(ui::NUMPower, EVENT_VAL_CHANGED), Tag(ui::NUMPower, EVENT_COMMIT)}));
}

}  // namespace
