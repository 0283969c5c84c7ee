// Starts the tool on the built-in simulated sensor, runs Video for a few seconds and saves a
// picture of the main window: the README's screenshot. With --workbench it runs Run with recording
// on (to a temporary file) instead, with the workbench dock shown: the README's picture of the
// measurement workbench. With --safe it sends an edit to RAM and leaves another unsent: the
// picture of "A safe set-up". With --assistant it goes through the set-up assistant's steps on the
// simulator's still scene and saves one picture a step: OUTPUT-signal.png, OUTPUT-edges.png,
// OUTPUT-setpoint.png, OUTPUT-apply.png.
//   tavrix-screenshot [--workbench | --safe | --assistant] OUTPUT.png
#include <QApplication>
#include <QDockWidget>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <QWidget>
#include <cstdio>
#include <string>

#include "Tavrix-VarizA152.h"
#include "edit_marks.h"
#include "panel_ids.h"
#include "workbench.h"

namespace {

QWidget* MainPanel() {
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w->objectName() == ui::kMainPanelName) return w;
    return nullptr;
}

void Press(QWidget* window, const char* button) {
    if (auto* b = window->findChild<QPushButton*>(QLatin1String(button))) b->click();
}

// The assistant's steps on a bright object: each step measured, pictured, then the next.
bool AssistantPictures(Program& p, const QString& output) {
    p.rt.SetCtrlVal(p.pHandle, ui::NUMPolarity, 0);
    p.rt.SetCtrlVal(p.pHandle, ui::NUMEMode, 3);
    CC_BTNSend(p.pHandle, ui::BTNSend, platform::EVENT_LEFT_CLICK, &p, 0, 0);
    QWidget* main = MainPanel();
    Press(main, "WorkbenchSetupAssistant");
    QWidget* assistant = main->findChild<QWidget*>(QStringLiteral("SetupAssistant"));
    if (assistant == nullptr) return false;
    const QString stem = output.left(output.lastIndexOf(QLatin1Char('.')));
    bool saved = true;
    const auto picture = [&](const char* step) {
        QApplication::processEvents();
        saved = assistant->grab().save(stem + QLatin1Char('-') + QLatin1String(step) +
                                       QStringLiteral(".png")) &&
                saved;
    };
    Press(assistant, "AssistantMeasure");
    picture("signal");
    Press(assistant, "AssistantNext");
    picture("edges");
    Press(assistant, "AssistantNext");
    Press(assistant, "AssistantMeasure");
    picture("setpoint");
    Press(assistant, "AssistantNext");
    picture("apply");
    Press(assistant, "AssistantCancel");
    return saved;
}

}  // namespace

int main(int argc, char** argv) {
    const bool workbench = argc == 3 && std::string(argv[1]) == "--workbench";
    const bool safe = argc == 3 && std::string(argv[1]) == "--safe";
    const bool assistant = argc == 3 && std::string(argv[1]) == "--assistant";
    if (argc != 2 && !workbench && !safe && !assistant) {
        std::fprintf(stderr,
                     "usage: tavrix-screenshot [--workbench | --safe | --assistant] OUTPUT.png\n");
        return 2;
    }
    const QString output = QString::fromLocal8Bit(argv[argc - 1]);
    if (qEnvironmentVariableIsEmpty("TAVRIX_COM1")) qputenv("TAVRIX_COM1", "sim");
    if (assistant) qputenv("TAVRIX_SIM", "--scene still-bright");
    platform::Toolkit toolkit;
    if (!toolkit.ok()) return 1;
    platform::Engine engine;
    platform::Rs232 ports(engine);
    Program p(engine, ports);
    if (StartProgram(p) < 0) return 1;

    bool saved = false;
    QTemporaryDir recordings;
    QTimer::singleShot(200, [&] {
        if (assistant) {
            saved = AssistantPictures(p, output);
            engine.QuitUserInterface(0);
            return;
        }
        if (safe) {
            p.rt.SetCtrlVal(p.pHandle, ui::NUMPower, 700);
            EditMarksValueChanged(p);
            CC_BTNSend(p.pHandle, ui::BTNSend, platform::EVENT_LEFT_CLICK, &p, 0, 0);
            p.rt.SetCtrlVal(p.pHandle, ui::NUMTVal, 600);
            EditMarksValueChanged(p);
            return;
        }
        if (!workbench) {
            CC_BTNVideo(p.pHandle, ui::BTNVideo, platform::EVENT_COMMIT, &p, 0, 0);
            return;
        }
        if (auto* dock = MainPanel()->findChild<QDockWidget*>(QStringLiteral("Workbench")))
            dock->show();
        StartRecording(p, recordings.filePath(QStringLiteral("run.csv")).toStdString());
        CC_BTNRun(p.pHandle, ui::BTNRun, platform::EVENT_COMMIT, &p, 0, 0);
    });
    if (!assistant)
        QTimer::singleShot(safe ? 2000 : 4000, [&] {
            QWidget* panel = MainPanel();
            saved = panel != nullptr && panel->grab().save(output);
            p.stop_flag = 1;
            engine.QuitUserInterface(0);
        });
    engine.RunUserInterface();
    EndProgram(p);
    return saved ? 0 : 1;
}
