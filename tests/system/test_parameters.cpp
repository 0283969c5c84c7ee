// Parameter editing against the simulated sensor: panel limits, the parameter controls, Send, Get,
// Teach, Reset and the port selector.
#include <QAccessible>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QRadioButton>

#include "file_popup_driver.h"
#include "harness.h"
#include "options.h"
#include "panel_ids.h"

namespace systest {
namespace {

using sim::kPower, sim::kVThd, sim::kEBeg, sim::kEEnd, sim::kTVal, sim::kPara12, sim::kCorrX1024;
using Codes = std::vector<int>;

class Parameters : public ProgramTest {
  protected:
    void SetUp() override {
        StartSensor("--baud 19200");
        StartProgram();
        sensor().ClearLog();
    }
    double Shown(int id) {
        double v = -1;
        engine_->GetCtrlVal(p().pHandle, id, v);
        return v;
    }
    double CursorHeight(int cursor) {
        double x = 0, y = 0;
        engine_->GetGraphCursor(p().pHandle, ui::GRAPHBar, cursor, x, y);
        return y;
    }
    void SendAndWait(bool click = true) {
        if (click) sensor().ClearLog(), Click(ui::BTNSend);
        PumpUntil([&] { return !sensor().Log().empty(); }, 0.5);
    }
    void Silent(const char* fault) { sensor().SetFaults({*sim::ParseFault(fault, nullptr)}); }
};

// Get then Send hands the record back with only the out-of-range word mended; the panel shows it.
TEST_F(Parameters, GetThenSendChangesOnlyOutOfRangeWords) {
    // rows: word, control, sent, kept. The limits themselves are the logic tests' business: here
    // one limited word, one limited by the sensor's profile, and the correction factor's control.
    const int limits[][4] = {{kPower, ui::NUMPower, 1001, 500},
                             {kEBeg, ui::NEDITEdgeLeft, 1025, 1},
                             {kCorrX1024, ui::NUMCorr, 1023, 1023},
                             {kCorrX1024, ui::NUMCorr, 65535, 65535}};
    for (auto [word, ctrl, in, out] : limits) {
        Record sent = sim::DefaultRecord();
        sent[kPara12] = 0xBEEF, sent[sim::kPara13] = 0xFFFF, sent[word] = static_cast<u16>(in);
        sensor().SetRecords(sent, sensor().Eeprom());
        Click(ui::BTNGet);
        EXPECT_EQ(p().pp, sent);
        EXPECT_EQ(Shown(ctrl), word == kCorrX1024 ? out / 1024.0 : out) << in;
        SendAndWait();
        sent[word] = static_cast<u16>(out);
        EXPECT_EQ(sensor().Ram(), sent) << "word " << word << " sent " << in;
    }
    // The correction factor reads either decimal mark and snaps to what the sensor can hold.
    for (auto [typed, sent] :
         {std::pair{"1,5", 1536}, {"0.0001", 0}, {"1.1", 1126}, {"0.9999", 1023}}) {
        TypeAndEnter(CtrlAs<QDoubleSpinBox>(ui::NUMCorr), typed);
        EXPECT_EQ(Shown(ui::NUMCorr), sent / 1024.0) << typed;
        SendAndWait();
        EXPECT_EQ(sensor().Ram()[kCorrX1024], sent) << typed;
    }
}

// The edge controls limit by pixB/pixE and write the variable only when they had to limit.
TEST_F(Parameters, EdgeToleranceAndThresholdControls) {
    const int B = p().pixB, E = p().pixE, L = ui::NEDITEdgeLeft, R = ui::NEDITEdgeRight;
    const int edges[][4] = {{L, B - 1, B, 1}, {L, E, E, 0},         {L, 65535, E - 1, 1},
                            {R, E + 1, E, 1}, {R, B - 1, B + 1, 1}, {R, B, B, 0}};
    for (auto [ctrl, typed, shown, limited] : edges) {
        u16& var = ctrl == L ? p().eBeg : p().eEnd;
        const u16 before = var;
        EnterValue(ctrl, typed);
        EXPECT_EQ(Shown(ctrl), shown) << typed;
        EXPECT_EQ(var, limited ? shown : before) << typed;
        EXPECT_EQ(CursorHeight(ctrl == L ? 2 : 3), 1.0) << typed;
    }
    Click(ui::BTNGet);  // the next refresh lowers the cursors again
    EXPECT_EQ(CursorHeight(2) + CursorHeight(3), 1.5);

    EnterValue(L, 900);  // a left limit above the right one is accepted
    EnterValue(R, 100);
    SendAndWait();
    EXPECT_EQ((std::pair{sensor().Ram()[kEBeg], sensor().Ram()[kEEnd]}),
              (std::pair<u16, u16>{900, 100}));

    // the tolerance is mirrored; typed values stay within the range shown beside each control
    EnterValue(ui::NEDITTolerance, 77);
    EXPECT_EQ(Shown(ui::NUMTolerance), 77);
    EnterValue(ui::NUMVideoThreshold, 20);
    EnterValue(ui::NUMPower, 9999);
    SendAndWait();
    EXPECT_EQ(sensor().Ram()[kVThd], p().thdArray[0]);
    EXPECT_GE(sensor().Ram()[kVThd], 50);
    EXPECT_LE(sensor().Ram()[kPower], 1000);
}

TEST_F(Parameters, TargetButtonsAndTargetAlwaysAgree) {
    const int clicks[][2] = {
        {ui::RBTEeprom, EEPROM}, {ui::RBTEeprom, RAM},   {ui::RBTFile, DATFILE},
        {ui::RBTEeprom, EEPROM}, {ui::RBTFile, DATFILE}, {ui::RBTFile, RAM},
        {ui::RBTRam, RAM},       {ui::RBTFile, DATFILE}, {ui::RBTRam, RAM}};
    for (auto [button, target] : clicks) {
        Click(button);
        EXPECT_EQ(p().target, target) << ui::kControlNames[button];
        for (auto [b, t] :
             {std::pair{ui::RBTRam, RAM}, {ui::RBTEeprom, EEPROM}, {ui::RBTFile, DATFILE}})
            EXPECT_EQ(CtrlAs<QRadioButton>(b)->isChecked(), t == target) << ui::kControlNames[b];
    }
    // An assistive tool's action switches the target as a click does.
    QAccessibleInterface* eeprom = QAccessible::queryAccessibleInterface(Ctrl(ui::RBTEeprom));
    ASSERT_TRUE(eeprom && eeprom->actionInterface());
    const QStringList actions = eeprom->actionInterface()->actionNames();
    ASSERT_FALSE(actions.isEmpty());
    eeprom->actionInterface()->doAction(actions.first());
    EXPECT_EQ(p().target, EEPROM);
    EXPECT_FALSE(CtrlAs<QRadioButton>(ui::RBTRam)->isChecked());
}

TEST_F(Parameters, SendWritesToTheChosenMemory) {
    const Record eeprom = sensor().Eeprom();
    EnterValue(ui::NUMPower, 611);
    QTest::mousePress(Ctrl(ui::BTNSend), Qt::LeftButton);
    EXPECT_EQ(Status(), "Line Ok!");  // sent as the button goes down
    QTest::mouseRelease(Ctrl(ui::BTNSend), Qt::LeftButton);
    SendAndWait(false);
    EXPECT_EQ(RequestCodes(), Codes{SEND_RAM});
    EXPECT_EQ(std::pair(sensor().Ram(), sensor().Eeprom()), std::pair(Packed(p()), eeprom));
    for (auto [button, code] : {std::pair{ui::RBTEeprom, SEND_EEPROM}, {ui::RBTFile, 0}}) {
        Click(button);
        EnterValue(ui::NUMPower, 622);
        AnswerFilePopup("");  // cancelled
        SendAndWait();
        EXPECT_EQ(RequestCodes(), code ? Codes{code} : Codes{});
    }
    EXPECT_EQ(sensor().Eeprom()[kPower], 622);
    EXPECT_EQ(Status(), "Transmit...");

    Click(ui::RBTRam);
    Silent("silent@3");  // switched off, say: nothing confirms the write
    Click(ui::RBTEeprom);
    Click(ui::BTNSend);
    EXPECT_EQ(Status(), "Timeout-RS-232...");
}

TEST_F(Parameters, GetTeachAndResetShowWhatTheSensorAnswered) {
    Record ram = sim::DefaultRecord(), eeprom = ram;
    ram[kTVal] = 7, ram[kPara12] = 1, eeprom[kPower] = 222, eeprom[kPara12] = 2;
    sensor().SetRecords(ram, eeprom);
    for (auto [button, record] : {std::pair{ui::RBTEeprom, eeprom}, {ui::RBTRam, ram}}) {
        Click(button);
        Click(ui::BTNGet);
        EXPECT_EQ(Packed(p()), record);
        EXPECT_EQ(Shown(ui::NUMPower), record[kPower]);
        EXPECT_EQ(Status(), "Parameter-frame received! - Line Ok!");
    }
    Click(ui::ButtonTeach);
    Click(ui::ButtonReset);
    EXPECT_EQ(RequestCodes(), (Codes{GET_EEPROM, GET_RAM, TEACH, GET_RAM, RESET_MAXMIN}));
    EXPECT_NE(sensor().Ram()[kTVal], 7);
    EXPECT_EQ(p().tVal, sensor().Ram()[kTVal]);
    EXPECT_EQ(Shown(ui::NUMTVal), p().tVal);
    EXPECT_EQ(Status(), "Reset of analog-output Max/Min OK!");

    Silent("silent@6");
    Click(ui::ButtonTeach);
    EXPECT_EQ(Status(), "Timeout-RS-232...");
    EXPECT_EQ(RequestCodes().back(), TEACH);
    EnterValue(ui::NUMPower, 333);  // typed, not sent: a Get without an answer keeps it
    Silent("silent@2");
    Click(ui::BTNGet);
    EXPECT_EQ(Status(), "Timeout-RS-232...");
    EXPECT_EQ(Shown(ui::NUMPower), 333);
    Silent("silent@11");
    Click(ui::ButtonReset);
    EXPECT_EQ(Status(), "Timeout-RS-232...");
}

// A second sensor on port 2; the program starts on port 1.
class PortSelector : public ProgramTest {
  protected:
    void SetUp() override {
        StartSensor("--baud 19200", 2);
        second = std::move(sensor_);
        StartSensor("--baud 19200");
        StartProgram();
        second->ClearLog();
    }
    void ChoosePortTwo() {  // the arrow key moves the selection, as a user would
        auto* combo = CtrlAs<QComboBox>(ui::DropDCom);
        ASSERT_EQ(combo->findData(2), combo->currentIndex() + 1);
        combo->setFocus();
        QTest::keyClick(combo, Qt::Key_Down);
    }
    void ExpectIdentifiedOnPortTwo() {  // from here on the sensor on port 2 is sensor()
        std::swap(sensor_, second);
        EXPECT_EQ(p().com, 2);
        EXPECT_EQ(RequestCodes(), (Codes{LINE_CHECK, GET_HARDWARE, GET_RAM, GET_VERSION}));
    }
    std::unique_ptr<sim::PtyServer> second;
};

TEST_F(PortSelector, IdlePanelReopensOnTheChosenPort) {
    Click(ui::RBTFile);
    sensor().ClearLog();
    ChoosePortTwo();
    EXPECT_EQ(RequestCodes(), Codes{});
    ExpectIdentifiedOnPortTwo();
    EXPECT_FALSE(p().rs.IsOpen(1));
    EXPECT_EQ(Status(), sim::SensorConfig{}.firmware);
    EXPECT_EQ(p().target, RAM);  // identification reads RAM and makes it the target
    EXPECT_TRUE(CtrlAs<QRadioButton>(ui::RBTRam)->isChecked() &&
                !CtrlAs<QRadioButton>(ui::RBTFile)->isChecked());
}

TEST_F(PortSelector, RunningLoopEndsAndTheSensorIsIdentifiedAgain) {
    After(0.3, [&] { ChoosePortTwo(); });
    Click(ui::BTNRun);  // returns when the loop has ended
    EXPECT_EQ(p().stop_flag, 1);
    EXPECT_EQ(RequestCodes().back(), RUN);
    ExpectIdentifiedOnPortTwo();
    EXPECT_FALSE(Dimmed(ui::BTNRun) || Dimmed(ui::BTNVideo));
}

}  // namespace
}  // namespace systest
