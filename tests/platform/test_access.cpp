// Without a mouse: a button's shortcut goes down as the mouse does, once, after committing the
// value being typed. (Assistive tools' actions: tests/a11y.)
#include <QApplication>
#include <QPushButton>
#include <QSpinBox>
#include <QTest>

#include "panel_ids.h"
#include "ui_test_support.h"

using namespace platform;

namespace {

class AccessTest : public test::FixturePanel {};

TEST_F(AccessTest, ShortcutGoesDownOnceAfterCommittingTheTypedValue) {
    QApplication::setActiveWindow(window());  // shortcuts act in the active window
    auto* button = controlAs<QPushButton>(ui::BTNRun);
    button->setShortcut(QKeySequence(Qt::Key_F5));
    std::vector<int> tagged;  // control * 100 + event
    test::Hook all{[&](int control, int event) { tagged.push_back(control * 100 + event); }};
    for (int id : {ui::BTNRun, ui::NUMPower})
        engine->InstallCtrlCallback(panel, id, test::Hook::OnControl, &all);
    auto* power = controlAs<QSpinBox>(ui::NUMPower);
    power->setFocus();
    power->selectAll();
    QTest::keyClicks(power, QStringLiteral("777"));
    QTest::keyClick(window(), Qt::Key_F5);
    ASSERT_TRUE(QTest::qWaitFor([&] { return tagged.size() >= 4; }));
    const int run = ui::BTNRun * 100, num = ui::NUMPower * 100;
    EXPECT_EQ(tagged, (std::vector<int>{num + EVENT_VAL_CHANGED, num + EVENT_COMMIT,
                                        run + EVENT_LEFT_CLICK, run + EVENT_COMMIT}));
    EXPECT_EQ(value(ui::NUMPower), 777);

    tagged.clear();  // the second press of a double click goes down no more
    QTest::mouseClick(button, Qt::LeftButton);
    QTest::mouseDClick(button, Qt::LeftButton);
    QTest::mouseRelease(button, Qt::LeftButton);
    EXPECT_EQ(tagged,
              (std::vector<int>{run + EVENT_LEFT_CLICK, run + EVENT_COMMIT, run + EVENT_COMMIT}));
}

}  // namespace
