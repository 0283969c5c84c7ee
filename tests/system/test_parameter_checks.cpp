// Unsent-edit marks and the compare view against the simulated sensor.
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QTest>

#include "compare.h"
#include "edit_marks.h"
#include "file_popup_driver.h"
#include "harness.h"
#include "options.h"
#include "panel_ids.h"
#include "records.h"

namespace systest {
namespace {

using sim::kPower, sim::kTTol, sim::kTVal, sim::kAverage;
using Codes = std::vector<int>;

class ParameterChecks : public ProgramTest {
  protected:
    void SetUp() override {
        StartSensor("--baud 19200");
        StartProgram();
    }
    QWidget* Window() const { return Ctrl(ui::BTNRun)->window(); }
    template <class W>
    W* Find(const char* name) const {
        auto* w = Window()->findChild<W*>(QLatin1String(name));
        EXPECT_NE(w, nullptr) << name;
        return w;
    }
    std::string Text(const char* label) const { return Find<QLabel>(label)->text().toStdString(); }
    std::vector<int> Marked() {
        std::vector<int> marked;
        for (const RecordWord& w : kParameterRecord) {
            int on = 0;
            if (w.control != kNoControl)
                engine_->GetCtrlAttribute(p().pHandle, w.control, platform::ATTR_MARKED, on);
            if (on == 1) marked.push_back(w.control);
        }
        return marked;
    }
    QTableWidgetItem* Cell(int word, int column) const {
        return Find<QTableWidget>("CompareTable")->item(word, column);
    }
    std::string Shown(int word, int column) const {
        return Cell(word, column)->text().toStdString();
    }
    bool Tinted(int word, int column) const {
        return Cell(word, column)->background().style() != Qt::NoBrush;
    }
    void Silent(const char* fault) { sensor().SetFaults({*sim::ParseFault(fault, nullptr)}); }
    Record Vars() { return Packed(p()); }
};

TEST_F(ParameterChecks, MarksFollowEditsSendAndGet) {
    EXPECT_EQ(Text("WorkbenchUnsent"), "No unsent edits");
    EXPECT_EQ(Marked(), Codes{});
    const int left = static_cast<int>(p().eBeg);
    EnterValue(ui::NUMPower, 700);
    EnterValue(ui::NEDITEdgeLeft, left + 10);
    EXPECT_EQ(Marked(), (Codes{ui::NUMPower, ui::NEDITEdgeLeft}));
    EXPECT_EQ(Text("WorkbenchUnsent"), "2 values not sent");
    EnterValue(ui::NEDITEdgeLeft, left);  // back to what the sensor has
    EXPECT_EQ(Marked(), Codes{ui::NUMPower});
    EXPECT_EQ(Text("WorkbenchUnsent"), "1 value not sent");

    Click(ui::BTNSend);
    EXPECT_EQ(sensor().Ram()[kPower], 700);
    EXPECT_EQ(Marked(), Codes{});

    EnterValue(ui::NUMTVal, 600);
    Silent("silent@2");
    Click(ui::BTNGet);  // no answer: the edit stays marked
    EXPECT_EQ(Status(), "Timeout-RS-232...");
    EXPECT_EQ(Marked(), Codes{ui::NUMTVal});
    sensor().SetFaults({});
    Click(ui::BTNGet);
    EXPECT_EQ(Marked(), Codes{});
    EXPECT_EQ(Text("WorkbenchUnsent"), "No unsent edits");
}

// RAM sent to but not saved to EEPROM: the view shows it; the panel, the state and pp stay, and a
// failed read leaves what the model knew.
TEST_F(ParameterChecks, CompareReadsRamAndEepromIntoTheViewAlone) {
    Record ram = sim::DefaultRecord(), eeprom = ram;
    ram[kPower] = 600, ram[kTTol] = 90;
    sensor().SetRecords(ram, eeprom);
    EnterValue(ui::NUMPower, 700);
    const Record pp = p().pp, vars = Vars(), panel = PanelRecord(p());
    sensor().ClearLog();
    Window()->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(Window()));
    QTest::keyClick(Window(), Qt::Key_D, Qt::ControlModifier);

    EXPECT_EQ(RequestCodes(), (Codes{GET_RAM, GET_EEPROM}));
    EXPECT_EQ(Text("CompareSummary"), "RAM differs from EEPROM in 2 values");
    EXPECT_EQ(Shown(kPower, 0), "Power");
    EXPECT_EQ(Shown(kPower, 1), "700");
    EXPECT_EQ(Shown(kPower, 2), "600");
    EXPECT_EQ(Shown(kPower, 3), std::to_string(eeprom[kPower]));
    EXPECT_TRUE(Tinted(kPower, 2) && Tinted(kPower, 3) && Tinted(kTTol, 3));
    EXPECT_FALSE(Tinted(kPower, 1) || Tinted(kAverage, 2) || Tinted(kAverage, 3));
    EXPECT_EQ(p().pp, pp);
    EXPECT_EQ(Vars(), vars);
    EXPECT_EQ(PanelRecord(p()), panel);
    // The reads update the model: the panel is now marked against the RAM they found.
    EXPECT_EQ(Marked(), (Codes{ui::NUMPower, ui::NEDITTolerance}));

    sensor().SetRecords(ram, ram);  // saved to EEPROM meanwhile
    Find<QPushButton>("CompareRead")->click();
    EXPECT_EQ(Text("CompareSummary"), "RAM and EEPROM match");

    Silent("silent@2");
    Find<QPushButton>("CompareRead")->click();
    EXPECT_EQ(Text("CompareStatus"), "Timeout-RS-232...");
    EXPECT_EQ(Status(), "Timeout-RS-232...");
    EXPECT_EQ(Shown(kPower, 2), "600");  // what the model last knew
    EXPECT_EQ(Text("CompareSummary"), "RAM and EEPROM match");
    EXPECT_EQ(p().pp, pp);
    EXPECT_EQ(Vars(), vars);
}

TEST_F(ParameterChecks, CompareIsRefusedWhileRunRuns) {
    sensor().ClearLog();
    After(0.3, [this] {
        Find<QPushButton>("WorkbenchCompare")->click();
        QTest::mouseClick(Ctrl(ui::BTNStop), Qt::LeftButton);
    });
    Click(ui::BTNRun);
    EXPECT_EQ(Text("CompareStatus"), "Stop Run or Video before comparing");
    const Codes codes = RequestCodes();
    EXPECT_EQ(std::count(codes.begin(), codes.end(), GET_RAM), 0);
}

}  // namespace
}  // namespace systest
