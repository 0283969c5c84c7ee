// Parameter editing against the simulated sensor: the limits the panel applies to a record, the
// correction factor, the edge-window and tolerance controls, the target buttons, Send, Get, Teach,
// Reset and the port selector.
#include <qcustomplot.h>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QRadioButton>

#include "com232.h"
#include "file_popup_driver.h"
#include "harness.h"
#include "options.h"
#include "panel_ids.h"

namespace systest {
namespace {

using sim::DefaultRecord, sim::Fault, sim::ParseFault, sim::PtyServer, sim::ServerOptions,
    sim::SensorConfig, sim::kPower, sim::kPMode, sim::kVThd, sim::kAnaMode, sim::kPolarity,
    sim::kEMode, sim::kEBeg, sim::kEEnd, sim::kTVal, sim::kTTol, sim::kOpMode, sim::kHwMode,
    sim::kPara12, sim::kAverage, sim::kCorrX1024;
using Record = std::array<u16, PNUM>;

// The control of each record word (0: none).
// clang-format off
constexpr int kControlOf[PNUM] = {
    ui::NUMPower, ui::NUMPMode, ui::NUMVideoThreshold, ui::NUMAnaMode, ui::NUMPolarity,
    ui::NUMEMode, ui::NEDITEdgeLeft, ui::NEDITEdgeRight, ui::NUMTVal, ui::NEDITTolerance,
    ui::BINSW_OpMode, ui::NUMHwMode, 0, 0, ui::NUMAverage, ui::NUMCorr};
// clang-format on

std::vector<Fault> Faults(const std::string& text) {
    return {*ParseFault(text, nullptr)};
}

class Parameters : public ProgramTest {
  protected:
    void SetUp() override {
        StartSensor("--baud 0");
        StartProgram();
        sensor().ClearLog();
    }
    int Shown(int id) {
        int v = -1;
        engine_->GetCtrlVal(p().pHandle, id, v);
        return v;
    }
    std::pair<double, double> Cursor(int cursor) {
        double x = 0, y = 0;
        engine_->GetGraphCursor(p().pHandle, ui::GRAPHBar, cursor, x, y);
        return {x, y};
    }
    // The x span of the bar graph's last rectangle of that fill colour.
    std::pair<double, double> LastRectangle(QColor fill) {
        auto* bar = CtrlAs<QCustomPlot>(ui::GRAPHBar);
        std::pair<double, double> span{-1, -1};
        for (int i = 0; i < bar->itemCount(); ++i)
            if (auto* r = qobject_cast<QCPItemRect*>(bar->item(i)); r && r->brush().color() == fill)
                span = std::minmax(r->topLeft->coords().x(), r->bottomRight->coords().x());
        return span;
    }
    // The parameter variables packed as the sensor would receive them.
    Record Packed() {
        ::State s = p();
        CopyVarsToPP(s);
        return s.pp;
    }
    void GetFromRam(const Record& ram) {
        sensor().SetRecords(ram, sensor().Eeprom());
        Click(ui::BTNGet);
    }
    void EnterCorrection(double value) {
        auto* box = CtrlAs<QDoubleSpinBox>(ui::NUMCorr);
        box->setFocus();
        box->selectAll();
        QTest::keyClicks(box, QString::number(value, 'f', 4));
        QTest::keyClick(box, Qt::Key_Return);
    }
    void SendAndWait() {
        sensor().ClearLog();
        Click(ui::BTNSend);
        PumpUntil([&] { return !sensor().Log().empty(); }, 0.5);
    }
};

TEST_F(Parameters, RecordFromTheSensorIsLimitedWordByWord) {
    struct Limit {
        int word;
        u16 sent, kept;
    };
    const Limit limits[] = {
        {kPower, 1000, 1000},   {kPower, 1001, 500},     {kPower, 65535, 500},
        {kPMode, 1, 1},         {kPMode, 2, 0},          {kVThd, 950, 950},
        {kVThd, 951, 950},      {kVThd, 50, 50},         {kVThd, 49, 50},
        {kVThd, 65535, 950},    {kAnaMode, 7, 7},        {kAnaMode, 8, 0},
        {kPolarity, 1, 1},      {kPolarity, 5, 1},       {kEMode, 4, 4},
        {kEMode, 9, 4},         {kEBeg, 1024, 1024},     {kEBeg, 1025, 1},
        {kEBeg, 0, 0},          {kEEnd, 1024, 1024},     {kEEnd, 1025, 1024},
        {kEEnd, 65535, 1024},   {kEEnd, 0, 1},           {kTTol, 0, 1},
        {kTTol, 65535, 65535},  {kOpMode, 1, 1},         {kOpMode, 2, 0},
        {kHwMode, 3, 3},        {kHwMode, 4, 3},         {kAverage, 1024, 1024},
        {kAverage, 2000, 1024}, {kAverage, 65535, 1024}, {kTVal, 65535, 65535},
    };
    for (const Limit& l : limits) {
        Record sent = DefaultRecord();
        sent[l.word] = l.sent;
        GetFromRam(sent);
        Record kept = sent;
        kept[l.word] = l.kept;
        EXPECT_EQ(Packed(), kept) << "word " << l.word << " sent " << l.sent;
        EXPECT_EQ(Shown(kControlOf[l.word]), l.kept) << "word " << l.word << " sent " << l.sent;
        EXPECT_EQ(p().pp, sent);  // the record itself stays as it came
    }
}

TEST_F(Parameters, RefreshDrawsWhatTheLimitedRecordShows) {
    Record r = DefaultRecord();
    r[kTTol] = 0, r[kVThd] = 20, r[kOpMode] = 1, r[kTVal] = 300, r[kEBeg] = 40, r[kEEnd] = 900;
    GetFromRam(r);
    EXPECT_EQ(Shown(ui::NUMTolerance), 1);
    EXPECT_EQ(p().thdArray[0], 50);
    EXPECT_EQ(p().thdArray[255], 50);
    EXPECT_FALSE(Dimmed(ui::NUMRightMaxX));
    EXPECT_EQ(LastRectangle(QColor(0x00FF00)), std::pair(299.0, 301.0));  // tVal +- limited tTol
    EXPECT_EQ(LastRectangle(QColor(0xA0A0A0)), std::pair(0.0, double(p().ccdmaxpixelX8)));
    const QCPRange x = CtrlAs<QCustomPlot>(ui::GRAPHBar)->xAxis->range();
    EXPECT_EQ(std::pair(x.lower, x.upper), std::pair(1.0, double(p().ccdpixE)));
    EXPECT_EQ(Cursor(2), std::pair(40.0, 0.75));
    EXPECT_EQ(Cursor(3), std::pair(900.0, 0.75));
    r[kOpMode] = 0;
    GetFromRam(r);
    EXPECT_TRUE(Dimmed(ui::NUMRightMaxX));
}

TEST_F(Parameters, CorrectionFactorBetweenPanelAndSensor) {
    for (auto [word, shown] : {std::pair<u16, double>{1024, 1.0}, {1280, 1.25}, {512, 0.5}}) {
        Record r = DefaultRecord();
        r[kCorrX1024] = word;
        GetFromRam(r);
        EXPECT_EQ(CtrlAs<QDoubleSpinBox>(ui::NUMCorr)->value(), shown) << word;
    }
    for (auto [typed, word] : {std::pair<double, u16>{1.25, 1280},
                               {0.9999, 1023},
                               {0.0009, 0},
                               {1.0, 1024},
                               {63.999, 65534}}) {
        EnterCorrection(typed);
        SendAndWait();
        EXPECT_EQ(sensor().Ram()[kCorrX1024], word) << typed;
    }
}

// Get followed by Send gives the sensor back its record with only the out-of-range words mended.
TEST_F(Parameters, GetThenSendChangesOnlyOutOfRangeWords) {
    Record r{900, 1, 700, 7, 0, 3, 100, 1000, 65535, 65535, 1, 2, 0xBEEF, 0xFFFF, 1000, 1280};
    Record expected = r;
    r[kPower] = 1001, expected[kPower] = 500;
    r[kAverage] = 65535, expected[kAverage] = 1024;
    GetFromRam(r);
    SendAndWait();
    EXPECT_EQ(RequestCodes(), std::vector<int>{SEND_RAM});
    EXPECT_EQ(sensor().Ram(), expected);
}

// Needs a correction control that holds k/1024 exactly: with four decimals, 1023/1024 is shown as
// 0.9990 and read back as 1022, so every Get and Send pair can lower the factor by one step.
TEST_F(Parameters, GetThenSendKeepsEveryCorrectionFactor) {
    for (u16 word : {1023, 1, 65535}) {
        Record r = DefaultRecord();
        r[kCorrX1024] = word;
        GetFromRam(r);
        SendAndWait();
        EXPECT_EQ(sensor().Ram()[kCorrX1024], word);
    }
}

TEST_F(Parameters, EdgeLimitsFollowPixBAndPixEOnly) {
    const int B = p().pixB, E = p().pixE;
    struct Edge {
        int ctrl;
        int typed, shown;
        bool limited;
    };
    const Edge edges[] = {
        {ui::NEDITEdgeLeft, B - 1, B, true},     {ui::NEDITEdgeLeft, E, E, false},
        {ui::NEDITEdgeLeft, E + 1, E - 1, true}, {ui::NEDITEdgeLeft, 65535, E - 1, true},
        {ui::NEDITEdgeLeft, B, B, false},        {ui::NEDITEdgeRight, E + 1, E, true},
        {ui::NEDITEdgeRight, B, B, false},       {ui::NEDITEdgeRight, B - 1, B + 1, true},
        {ui::NEDITEdgeRight, E, E, false},
    };
    for (const Edge& e : edges) {
        const bool left = e.ctrl == ui::NEDITEdgeLeft;
        u16& var = left ? p().eBeg : p().eEnd;
        const u16 before = var;
        EnterValue(e.ctrl, e.typed);
        EXPECT_EQ(Shown(e.ctrl), e.shown) << e.typed;
        EXPECT_EQ(var, e.limited ? e.shown : before) << e.typed;
        EXPECT_EQ(Cursor(left ? 2 : 3), std::pair(double(e.shown), 1.0)) << e.typed;
    }
    Click(ui::BTNGet);  // the next refresh lowers the cursors again
    EXPECT_EQ(Cursor(2).second, 0.75);
    EXPECT_EQ(Cursor(3).second, 0.75);

    EnterValue(ui::NEDITEdgeLeft, 900);
    EnterValue(ui::NEDITEdgeRight, 100);
    SendAndWait();
    EXPECT_EQ(sensor().Ram()[kEBeg], 900);
    EXPECT_EQ(sensor().Ram()[kEEnd], 100);
}

TEST_F(Parameters, ToleranceMirrorAndThresholdLineLeaveTheStateAlone) {
    EnterValue(ui::NEDITTolerance, 0);
    EXPECT_EQ(Shown(ui::NUMTolerance), 0);
    EnterValue(ui::NUMVideoThreshold, 20);
    EXPECT_EQ(p().thdArray[0], 20);
    EXPECT_EQ(p().thdArray[255], 20);
    EXPECT_EQ(p().tTol, 100);
    EXPECT_EQ(p().vThd, 512);
}

TEST_F(Parameters, TargetButtonsAndTargetAlwaysAgree) {
    const std::pair<int, int> clicks[] = {
        {ui::RBTEeprom, EEPROM}, {ui::RBTEeprom, RAM},   {ui::RBTFile, DATFILE},
        {ui::RBTEeprom, EEPROM}, {ui::RBTFile, DATFILE}, {ui::RBTFile, RAM},
        {ui::RBTRam, RAM},       {ui::RBTFile, DATFILE}, {ui::RBTRam, RAM},
    };
    for (auto [button, target] : clicks) {
        Click(button);
        EXPECT_EQ(p().target, target) << ui::kControlNames[button];
        for (auto [b, t] :
             {std::pair{ui::RBTRam, RAM}, {ui::RBTEeprom, EEPROM}, {ui::RBTFile, DATFILE}})
            EXPECT_EQ(CtrlAs<QRadioButton>(b)->isChecked(), t == target)
                << ui::kControlNames[button] << " then " << ui::kControlNames[b];
    }
}

TEST_F(Parameters, SendWritesToTheChosenMemory) {
    const Record eeprom = sensor().Eeprom();
    EnterValue(ui::NUMPower, 611);
    QTest::mousePress(Ctrl(ui::BTNSend), Qt::LeftButton);
    EXPECT_EQ(Status(), "Line Ok!");  // sent as the button goes down
    QTest::mouseRelease(Ctrl(ui::BTNSend), Qt::LeftButton);
    PumpUntil([&] { return !sensor().Log().empty(); }, 0.5);
    EXPECT_EQ(RequestCodes(), std::vector<int>{SEND_RAM});
    EXPECT_EQ(sensor().Ram(), Packed());
    EXPECT_EQ(sensor().Eeprom(), eeprom);
    EXPECT_EQ(Status(), "Line Ok!");

    Click(ui::RBTEeprom);
    EnterValue(ui::NUMPower, 622);
    SendAndWait();
    EXPECT_EQ(RequestCodes(), std::vector<int>{SEND_EEPROM});
    EXPECT_EQ(sensor().Eeprom(), Packed());
    EXPECT_EQ(sensor().Eeprom()[kPower], 622);

    Click(ui::RBTFile);
    AnswerFilePopup("");  // cancelled
    SendAndWait();
    EXPECT_EQ(RequestCodes(), std::vector<int>{});
    EXPECT_EQ(Status(), "Transmit...");

    Click(ui::RBTRam);
    p().rs.CloseCom(p().com);
    Click(ui::BTNSend);
    EXPECT_LT(p().nBytesW, FRAME_BYTES);
    EXPECT_EQ(Status(), "Transmit...");
}

TEST_F(Parameters, GetShowsWhatTheSensorHolds) {
    Record ram = DefaultRecord(), eeprom = DefaultRecord();
    ram[kPower] = 111, ram[kPara12] = 1;
    eeprom[kPower] = 222, eeprom[kPara12] = 2;
    sensor().SetRecords(ram, eeprom);
    Click(ui::RBTEeprom);
    Click(ui::BTNGet);
    EXPECT_EQ(Packed(), eeprom);
    EXPECT_EQ(Shown(ui::NUMPower), 222);
    Click(ui::RBTRam);
    Click(ui::BTNGet);
    EXPECT_EQ(Packed(), ram);
    EXPECT_EQ(Shown(ui::NUMPower), 111);
    EXPECT_EQ(RequestCodes(), (std::vector<int>{GET_EEPROM, GET_RAM}));
    EXPECT_EQ(Status(), "Parameter-frame received! - Line Ok!");
}

TEST_F(Parameters, TeachReadsTheTaughtRecordBack) {
    Record r = DefaultRecord();
    r[kTVal] = 7;
    GetFromRam(r);
    sensor().ClearLog();
    Click(ui::ButtonTeach);
    EXPECT_EQ(RequestCodes(), (std::vector<int>{TEACH, GET_RAM}));
    EXPECT_NE(sensor().Ram()[kTVal], 7);
    EXPECT_EQ(p().tVal, sensor().Ram()[kTVal]);
    EXPECT_EQ(Shown(ui::NUMTVal), sensor().Ram()[kTVal]);
    EXPECT_EQ(Status(), "Parameter-frame received! - Line Ok!");

    sensor().SetFaults(Faults("silent@6"));
    sensor().ClearLog();
    Click(ui::ButtonTeach);
    EXPECT_EQ(RequestCodes(), std::vector<int>{TEACH});
    EXPECT_EQ(Status(), "New setpoint value teached!");
}

TEST_F(Parameters, ResetTellsWhetherTheSensorAnswered) {
    Click(ui::ButtonReset);
    EXPECT_EQ(RequestCodes(), std::vector<int>{RESET_MAXMIN});
    EXPECT_EQ(Status(), "Reset of analog-output Max/Min OK!");

    sensor().SetFaults(Faults("silent@11"));
    const double t0 = Now();
    Click(ui::ButtonReset);
    EXPECT_GT(Now() - t0, 1.5);
    EXPECT_LT(Now() - t0, 3.0);
    EXPECT_EQ(Status(), "Timeout-RS-232...");
}

// A second sensor on port 2; the program starts on port 1.
class PortSelector : public ProgramTest {
  protected:
    void SetUp() override {
        ASSERT_TRUE(second.Start());
        setenv("TAVRIX_COM2", second.slavePath().c_str(), 1);
        StartSensor("--baud 0");
        StartProgram();
        second.ClearLog();
    }
    void TearDown() override {
        ProgramTest::TearDown();
        unsetenv("TAVRIX_COM2");
    }
    // Moves the drop-down's selection to port 2 with the arrow key, as a user would.
    void ChoosePortTwo() {
        auto* combo = CtrlAs<QComboBox>(ui::DropDCom);
        ASSERT_EQ(combo->findData(2), combo->currentIndex() + 1);
        combo->setFocus();
        QTest::keyClick(combo, Qt::Key_Down);
    }
    std::vector<int> SecondCodes() {
        std::vector<int> codes;
        for (const auto& r : second.Log())
            codes.push_back(r.code);
        return codes;
    }
    PtyServer second{SensorConfig{}, [] {
                         ServerOptions unpaced;
                         unpaced.baud = 0;
                         return unpaced;
                     }()};
};

TEST_F(PortSelector, IdlePanelReopensOnTheChosenPort) {
    Click(ui::RBTFile);
    sensor().ClearLog();
    ChoosePortTwo();
    EXPECT_EQ(p().com, 2);
    EXPECT_EQ(SecondCodes(), (std::vector<int>{LINE_CHECK, GET_HARDWARE, GET_RAM, GET_VERSION}));
    EXPECT_EQ(RequestCodes(), std::vector<int>{});
    EXPECT_FALSE(p().rs.IsOpen(1));
    EXPECT_EQ(Status(), SensorConfig{}.firmware);
    // Identification reads RAM and makes it the target: the buttons follow.
    EXPECT_EQ(p().target, RAM);
    EXPECT_TRUE(CtrlAs<QRadioButton>(ui::RBTRam)->isChecked());
    EXPECT_FALSE(CtrlAs<QRadioButton>(ui::RBTFile)->isChecked());
}

TEST_F(PortSelector, RunningLoopEndsAndTheSensorIsIdentifiedAgain) {
    After(0.3, [&] { ChoosePortTwo(); });
    Click(ui::BTNRun);  // returns when the loop has ended
    EXPECT_EQ(p().stop_flag, 1);
    EXPECT_EQ(p().com, 2);
    EXPECT_EQ(RequestCodes().back(), RUN);
    EXPECT_EQ(SecondCodes(), (std::vector<int>{LINE_CHECK, GET_HARDWARE, GET_RAM, GET_VERSION}));
    EXPECT_FALSE(Dimmed(ui::BTNRun));
    EXPECT_FALSE(Dimmed(ui::BTNVideo));
}

}  // namespace
}  // namespace systest
