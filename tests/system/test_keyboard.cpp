// The program without a mouse: every control is on the Tab chain in the panel's reading order,
// every button has a shortcut its tooltip names, Esc stops a running loop, Send works from keys
// and assistive tools.
#include <QAbstractSpinBox>
#include <QAccessible>
#include <QAccessibleActionInterface>
#include <QApplication>
#include <QGroupBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <map>
#include <set>

#include "com232_codec.h"
#include "harness.h"
#include "panel_ids.h"
#include "parameter_record.h"

namespace systest {
namespace {

class Keyboard : public ProgramTest {
  protected:
    void SetUp() override {
        StartSensor("--baud 19200");
        StartProgram();
        QApplication::setActiveWindow(Window());
        sensor().ClearLog();
    }
    QWidget* Window() const { return Ctrl(ui::BTNRun)->window(); }
    bool Sent() {
        return PumpUntil([&] { return !sensor().Log().empty(); }, 1.0) &&
               sensor().Log().front().code == SEND_RAM;
    }
};

// Reading order inside a frame: rows top to bottom (a row is 12 px deep), left to right.
bool ReadsBefore(const QWidget* a, const QWidget* b) {
    const int rowA = a->y() / 12, rowB = b->y() / 12;
    return rowA != rowB ? rowA < rowB : a->x() < b->x();
}

TEST_F(Keyboard, TabReachesEveryControlInReadingOrderAndButtonsNameTheirShortcuts) {
    QWidget* window = Window();
    std::vector<QWidget*> chain;
    for (QWidget* w = window->nextInFocusChain(); w != window; w = w->nextInFocusChain())
        if ((w->focusPolicy() & Qt::TabFocus) != 0 && window->isAncestorOf(w)) chain.push_back(w);
    std::map<const QWidget*, std::vector<QWidget*>> byFrame;
    for (int id = 1; id < ui::kCtrlCount; ++id) {
        QWidget* w = Ctrl(id);
        if ((w->focusPolicy() & Qt::TabFocus) == 0) continue;
        SCOPED_TRACE(ui::kControlNames[id]);
        EXPECT_NE(std::find(chain.begin(), chain.end(), w), chain.end());
        EXPECT_FALSE(w->toolTip().isEmpty());
    }
    for (QWidget* w : chain)
        if (auto* frame = qobject_cast<QGroupBox*>(w->parentWidget())) byFrame[frame].push_back(w);
    for (const auto& [frame, members] : byFrame)
        for (size_t i = 1; i < members.size(); ++i)
            EXPECT_TRUE(ReadsBefore(members[i - 1], members[i]))
                << members[i - 1]->objectName().toStdString() << " then "
                << members[i]->objectName().toStdString();

    std::set<QKeySequence> keys{QKeySequence(QStringLiteral("Ctrl+R"))};  // Record's
    for (int id = 1; id < ui::kCtrlCount; ++id)
        if (auto* button = qobject_cast<QPushButton*>(Ctrl(id))) {
            SCOPED_TRACE(ui::kControlNames[id]);
            EXPECT_TRUE(keys.insert(button->shortcut()).second);
            EXPECT_TRUE(button->toolTip().contains(button->shortcut().toString()));
        }
    EXPECT_EQ(Ctrl(ui::BTNRun)->property("shortcut").value<QKeySequence>(),
              QKeySequence(Qt::Key_F5));
    EXPECT_EQ(Ctrl(ui::BTNStop)->property("shortcut").value<QKeySequence>(),
              QKeySequence(Qt::Key_Escape));
    for (const RecordWord& word : kParameterRecord) {
        if (word.control == kNoControl) continue;
        EXPECT_TRUE(Ctrl(word.control)->toolTip().contains(QStringLiteral("range")))
            << ui::kControlNames[word.control];
    }
}

// Esc stops a loop from inside its own event processing, as the Stop button going down does;
// so do the space key on Stop and an assistive tool's press.
TEST_F(Keyboard, EscSpaceAndPressActionStopTheLoopAsTheyComeDown) {
    const std::vector<std::function<void()>> stops = {
        [&] { QTest::keyClick(Window(), Qt::Key_Escape); },
        [&] { QTest::keyPress(Ctrl(ui::BTNStop), Qt::Key_Space); },
        [&] {
            QAccessible::queryAccessibleInterface(Ctrl(ui::BTNStop))
                ->actionInterface()
                ->doAction(QAccessibleActionInterface::pressAction());
        },
    };
    for (size_t i = 0; i < stops.size(); ++i) {
        SCOPED_TRACE(i);
        bool stopped = false, runningAtStop = false;
        long requestsAtStop = 0;
        After(0.4, [&] {
            runningAtStop = Dimmed(ui::BTNRun);
            stops[i]();
            requestsAtStop = sensor().RequestCount();
            stopped = true;
        });
        QTest::keyClick(Window(), Qt::Key_F5);  // Run starts as the shortcut's click completes
        ASSERT_TRUE(PumpUntil([&] { return stopped && !Dimmed(ui::BTNRun); }, 3.0));
        EXPECT_TRUE(runningAtStop);
        EXPECT_LE(sensor().RequestCount() - requestsAtStop, 1);  // the exchange under way
        QTest::keyRelease(Ctrl(ui::BTNStop), Qt::Key_Space);
        Pump(0.2);
    }
}

// F9 and the press action send at once, with a value just typed and not yet committed.
TEST_F(Keyboard, SendFromKeysAndAssistiveToolsSendsWhatThePanelShows) {
    auto* power = CtrlAs<QAbstractSpinBox>(ui::NUMPower);
    power->setFocus();
    power->selectAll();
    QTest::keyClicks(power, QStringLiteral("633"));
    QTest::keyClick(Window(), Qt::Key_F9);
    ASSERT_TRUE(Sent());
    EXPECT_EQ(sensor().Ram()[sim::kPower], 633);

    Pump(0.2);  // the shortcut's click completes
    sensor().ClearLog();
    QAccessible::queryAccessibleInterface(Ctrl(ui::BTNSend))
        ->actionInterface()
        ->doAction(QAccessibleActionInterface::pressAction());
    EXPECT_TRUE(Sent());
    Pump(0.2);  // the press action's release
    EXPECT_EQ(sensor().Log().size(), 1u);
}

}  // namespace
}  // namespace systest
