// A set-up that cannot be lost unnoticed: the close question, the marks after a file and on a
// silent sensor, and undo after a Get, against the simulated sensor.
#include <QAction>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QTest>

#include "close_guard.h"
#include "desktop.h"
#include "file_popup_driver.h"
#include "harness.h"
#include "options.h"
#include "panel_ids.h"

namespace systest {
namespace {

using sim::kPower, sim::kTVal;

class SafeSetUp : public ProgramTest {
  protected:
    void TearDown() override {
        platform::AnswerQuestionsWith("");
        ProgramTest::TearDown();
    }
    QWidget* Window() const { return Ctrl(ui::BTNRun)->window(); }
    int Mark(int control) {
        int mark = 0;
        engine_->GetCtrlAttribute(p().pHandle, control, platform::ATTR_MARKED, mark);
        return mark;
    }
    int Value(int control) { return CtrlAs<QSpinBox>(control)->value(); }
    std::string Label(const char* name) {
        return Window()->findChild<QLabel*>(QLatin1String(name))->text().toStdString();
    }
};

TEST_F(SafeSetUp, CloseWithAnUnsentEditAsksAndCancelKeepsTheEdit) {
    StartSensor();
    StartProgram();
    EnterValue(ui::NUMPower, 700);
    platform::AnswerQuestionsWith("Cancel");
    Window()->close();
    ASSERT_TRUE(PumpUntil([] { return !platform::LastQuestion().empty(); }, 2.0));
    EXPECT_NE(
        platform::LastQuestion().find("The panel holds 1 value that the sensor does not have"),
        std::string::npos)
        << platform::LastQuestion();
    EXPECT_FALSE(p().quitting);
    EXPECT_EQ(Value(ui::NUMPower), 700);
    EXPECT_EQ(Mark(ui::NUMPower), platform::MARK_DIFFERS);

    platform::AnswerQuestionsWith("Send and store in EEPROM");
    Window()->close();
    ASSERT_TRUE(PumpUntil([this] { return p().quitting; }, 5.0));
    EXPECT_EQ(sensor().Ram()[kPower], 700);
    EXPECT_EQ(sensor().Eeprom()[kPower], 700);
}

TEST_F(SafeSetUp, LoadingAFileMarksTheValuesThatDifferFromRam) {
    StartSensor();
    StartProgram();
    QTemporaryDir dir;
    p().proj_dir = dir.path().toStdString();
    Record file = sensor().Ram();
    file[kPower] = 800;
    QFile f(dir.filePath("TAVRpara.dat"));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    for (u16 w : file)
        f.write(QByteArray::number(w) + "\n");
    f.close();
    Click(ui::RBTFile);
    AnswerFilePopup(dir.filePath("TAVRpara.dat"));
    Click(ui::BTNGet);
    EXPECT_EQ(Value(ui::NUMPower), 800);
    EXPECT_EQ(Mark(ui::NUMPower), platform::MARK_DIFFERS);
    EXPECT_EQ(Mark(ui::NUMTVal), platform::MARK_NONE);
    EXPECT_EQ(Label("WorkbenchUnsent"), "1 value not sent");
}

TEST_F(SafeSetUp, UndoAfterAGetBringsTheEditBack) {
    StartSensor();
    StartProgram();
    EnterValue(ui::NUMTVal, 600);
    Click(ui::BTNGet);
    EXPECT_EQ(Value(ui::NUMTVal), sensor().Ram()[kTVal]);
    // The field keeps the focus after its edit; not being typed in, Ctrl+Z is the window's Undo.
    Window()->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(Window()));
    QTest::keyClick(CtrlAs<QSpinBox>(ui::NUMTVal), Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(Value(ui::NUMTVal), 600);
    EXPECT_EQ(Mark(ui::NUMTVal), platform::MARK_DIFFERS);
    Window()->findChild<QAction*>(QStringLiteral("Redo"))->trigger();
    EXPECT_EQ(Value(ui::NUMTVal), sensor().Ram()[kTVal]);

    // While a field is being typed in, Ctrl+Z undoes the typing there, not the window's last step.
    auto* power = CtrlAs<QSpinBox>(ui::NUMPower);
    const QString typedOver = power->text();
    power->setFocus();
    QTest::keyClick(power, Qt::Key_End);
    QTest::keyClick(power, Qt::Key_Backspace);  // 500 becomes 50, not yet committed
    ASSERT_NE(power->text(), typedOver);
    QTest::keyClick(power, Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(power->text(), typedOver);
    EXPECT_EQ(Value(ui::NUMTVal), sensor().Ram()[kTVal]) << "the Get was not undone";
}

// A logout cannot wait for a question: the edit goes to the recovery file, which the next start
// offers; loaded, it is on the panel and not sent.
TEST_F(SafeSetUp, ALogoutKeepsAnUnsentEditForTheNextStart) {
    StartSensor();
    StartProgram();
    const auto ram = sensor().Ram();
    EnterValue(ui::NUMPower, 700);
    platform::EndSessionNow();
    ASSERT_TRUE(QFile::exists(QString::fromStdString(RecoveryFilePath())));
    EndProgram(*program_);
    started_ = false;
    platform::AnswerQuestionsWith("Load");
    StartProgram();
    EXPECT_EQ(Value(ui::NUMPower), 700);
    EXPECT_EQ(Mark(ui::NUMPower), platform::MARK_DIFFERS);
    EXPECT_EQ(Status(), "Recovery file loaded - not sent to the sensor");
    EXPECT_EQ(sensor().Ram(), ram);
    EXPECT_FALSE(QFile::exists(QString::fromStdString(RecoveryFilePath()))) << "offered once";
}

TEST_F(SafeSetUp, ASilentSensorLeavesTheValuesMarkedAsNotRead) {
    StartSensor("--baud 19200 --fault silent");
    StartProgram();
    EXPECT_EQ(RequestCodes(), std::vector<int>{LINE_CHECK});
    EXPECT_EQ(Mark(ui::NUMPower), platform::MARK_NOT_READ);
    EXPECT_EQ(Ctrl(ui::NUMPower)->toolTip().toStdString(), "not read from the sensor");
    EXPECT_EQ(Label("SensorLink").rfind("Not answering since ", 0), 0u) << Label("SensorLink");
    EXPECT_NE(Label("SensorNotice").find("Check the cable, the sensor's power and the port"),
              std::string::npos);

    // Find sensor while a Get waits would close the port under it: refused until the wait ends.
    std::string refusal;
    After(0.2, [&] {
        Window()->findChild<QPushButton*>(QStringLiteral("SensorFind"))->click();
        refusal = Status();
    });
    Click(ui::BTNGet);
    EXPECT_EQ(refusal, "Wait for the sensor's answer before finding the sensor");
    EXPECT_EQ(RequestCodes(), (std::vector<int>{LINE_CHECK, GET_RAM}));
}

}  // namespace
}  // namespace systest
