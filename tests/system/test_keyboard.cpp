// The program without a mouse: every control is on the Tab chain in the panel's reading order,
// every button has a shortcut its tooltip names, Esc stops a running loop. (Assistive tools:
// tests/a11y.)
#include <QApplication>
#include <QGroupBox>
#include <QPushButton>
#include <QTest>
#include <map>
#include <set>

#include "harness.h"
#include "panel_ids.h"
#include "records.h"

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
    // A frame not shown (the workbench dock while it is closed) is not laid out: no order to read.
    for (const auto& [frame, members] : byFrame)
        for (size_t i = 1; i < members.size() && frame->isVisible(); ++i)
            EXPECT_TRUE(ReadsBefore(members[i - 1], members[i]))
                << members[i - 1]->objectName().toStdString() << " then "
                << members[i]->objectName().toStdString();

    std::set<QKeySequence> keys{QKeySequence(QStringLiteral("Ctrl+R"))};  // Record's
    for (int id = 1; id < ui::kCtrlCount; ++id)
        if (auto* button = qobject_cast<QPushButton*>(Ctrl(id))) {
            SCOPED_TRACE(ui::kControlNames[id]);
            EXPECT_FALSE(button->shortcut().isEmpty());
            EXPECT_TRUE(keys.insert(button->shortcut()).second);
            EXPECT_TRUE(button->toolTip().contains(button->shortcut().toString()));
        }
    for (const RecordWord& word : kParameterRecord) {
        if (word.control == kNoControl) continue;
        EXPECT_TRUE(Ctrl(word.control)->toolTip().contains(QStringLiteral("range")))
            << ui::kControlNames[word.control];
    }
}

// Esc stops a loop from inside its own event processing, as the Stop button going down does.
TEST_F(Keyboard, EscStopsARunningLoopAtOnce) {
    bool stopped = false, runningAtStop = false;
    long requestsAtStop = 0;
    After(0.4, [&] {
        runningAtStop = Dimmed(ui::BTNRun);
        QTest::keyClick(Window(), Qt::Key_Escape);
        requestsAtStop = sensor().RequestCount();
        stopped = true;
    });
    QTest::keyClick(Window(), Qt::Key_F5);  // Run starts as the shortcut's click completes
    ASSERT_TRUE(PumpUntil([&] { return stopped && !Dimmed(ui::BTNRun); }, 3.0));
    EXPECT_TRUE(runningAtStop);
    EXPECT_LE(sensor().RequestCount() - requestsAtStop, 1);  // the exchange under way
}

}  // namespace
}  // namespace systest
