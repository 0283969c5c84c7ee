// The set-up assistant against a still bright object on a dark background whose edges and levels
// the simulator knows: the proposals fall within bounds of them, nothing is written before Apply,
// and Cancel leaves the panel and the sensor's record as they were.
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>
#include <QTableWidget>
#include <QTest>
#include <fstream>

#include "harness.h"
#include "json_text.h"
#include "panel_ids.h"
#include "scene.h"
#include "setup_assistant.h"
#include "user_files.h"

namespace systest {
namespace {

class SetupAssistantTest : public ProgramTest {
  protected:
    void SetUp() override {
        StartSensor("--baud 19200 --scene still-bright");
        auto ram = sensor().Ram();
        ram[sim::kPolarity] = 0;  // a bright object
        ram[sim::kEMode] = 3;     // the centre between the edges
        sensor().SetRecords(ram, sensor().Eeprom());
        StartProgram();
    }
    template <class W>
    W* Find(const char* name) const {
        auto* w = Ctrl(ui::BTNRun)->window()->findChild<W*>(QLatin1String(name));
        EXPECT_NE(w, nullptr) << name;
        return w;
    }
    void Press(const char* button) { QTest::mouseClick(Find<QPushButton>(button), Qt::LeftButton); }
    int Proposed(int row) const {
        return Find<QTableWidget>("AssistantTable")->item(row, 2)->text().toInt();
    }
    std::string Text(const char* label) const { return Find<QLabel>(label)->text().toStdString(); }
    // Opens the assistant and goes through its steps with few cycles, up to Apply.
    void ThroughToApply() {
        Press("WorkbenchSetupAssistant");
        Find<QSpinBox>("AssistantVideoCycles")->setValue(6);
        Find<QSpinBox>("AssistantRunCycles")->setValue(40);
        EXPECT_FALSE(Find<QPushButton>("AssistantNext")->isEnabled()) << "nothing measured yet";
        Press("AssistantMeasure");
        EXPECT_FALSE(Dimmed(ui::BTNRun)) << "dimmed only while measuring";
        Press("AssistantNext");
        Press("AssistantNext");
        Press("AssistantMeasure");
        Press("AssistantNext");
        ASSERT_EQ(SetupAssistantStep(p()), AssistantStep::Apply) << Text("AssistantText");
    }
    // The change log's last entry.
    std::optional<JsonValue> LastLogEntry() const {
        std::ifstream log(platform::ChangeLogPath(""));
        std::string line, last;
        while (std::getline(log, line))
            last = line;
        return ParseJson(last);
    }
    int Shown(int id) const {
        int v = 0;
        engine_->GetCtrlVal(program_->pHandle, id, v);
        return v;
    }
};

TEST_F(SetupAssistantTest, ProposesWithinTheSceneAndCancelLeavesEverythingAsItWas) {
    const auto ramBefore = sensor().Ram();
    const int thresholdBefore = Shown(ui::NUMVideoThreshold);
    sensor().ClearLog();
    ThroughToApply();
    const double left = 4 * sim::Scene::kStillLeft, right = 4 * sim::Scene::kStillRight;
    const double span = right - left;
    EXPECT_NEAR(Proposed(0), (sim::Scene::kDark + sim::Scene::kBright) / 2, 10);
    EXPECT_NEAR(Proposed(1), left - 0.1 * span, 3);
    EXPECT_NEAR(Proposed(2), right + 0.1 * span, 3);
    EXPECT_NEAR(Proposed(3), (left + right) / 2, 2);
    EXPECT_GE(Proposed(4), 1);
    EXPECT_LE(Proposed(4), 10);
    EXPECT_EQ(Shown(ui::NUMVideoThreshold), Proposed(0)) << "on the panel as an unsent edit";
    for (int code : RequestCodes())
        EXPECT_TRUE(code != 1 && code != 3 && code != 6 && code != 11)
            << "code " << code << " went out before Apply";

    Press("AssistantBack");  // back from Apply takes the proposals off the panel
    EXPECT_EQ(Shown(ui::NUMVideoThreshold), thresholdBefore);
    Press("AssistantNext");
    Press("AssistantCancel");
    EXPECT_FALSE(Find<QWidget>("SetupAssistant")->isVisible());
    EXPECT_EQ(Shown(ui::NUMVideoThreshold), thresholdBefore);
    EXPECT_EQ(sensor().Ram(), ramBefore);

    // Sent, checked, then cancelled: the old RAM record goes back.
    ThroughToApply();
    Press("AssistantSendRam");
    EXPECT_EQ(sensor().Ram()[sim::kVThd], Proposed(0));
    EXPECT_NE(Text("AssistantStatus").find("Check Run: 40 of 40 in tolerance"), std::string::npos)
        << Text("AssistantStatus");
    const auto sent = LastLogEntry();  // the Send's entry carries the proposals and figures
    ASSERT_TRUE(sent && sent->Field("details"));
    const JsonValue* proposals = sent->Field("details")->Field("setup_assistant");
    ASSERT_NE(proposals, nullptr);
    EXPECT_EQ(proposals->Field("video_threshold")->number, Proposed(0));
    EXPECT_NE(proposals->Field("figures")->Field("sd"), nullptr);
    Press("AssistantCancel");
    EXPECT_EQ(sensor().Ram(), ramBefore);
    const auto back = LastLogEntry();  // the write-back is logged as every write
    ASSERT_TRUE(back && back->Field("action"));
    EXPECT_EQ(back->Field("action")->text, "send-ram");
    EXPECT_EQ(back->Field("details")->Field("setup_assistant"), nullptr);
    EXPECT_EQ(Status(), "Set-up assistant cancelled: the old RAM record was written back");
}

}  // namespace
}  // namespace systest
