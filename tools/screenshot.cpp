// Starts the tool on the built-in simulated sensor, runs Video for a few seconds and saves a
// picture of the main window: the README's screenshot. With --workbench it runs Run with recording
// on (to a temporary file) instead, with the workbench dock shown: the README's picture of the
// measurement workbench. With --safe it sends an edit to RAM and leaves another unsent: the
// picture of "A safe set-up".
//   tavrix-screenshot [--workbench | --safe] OUTPUT.png
#include <QApplication>
#include <QDockWidget>
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

}  // namespace

int main(int argc, char** argv) {
    const bool workbench = argc == 3 && std::string(argv[1]) == "--workbench";
    const bool safe = argc == 3 && std::string(argv[1]) == "--safe";
    if (argc != 2 && !workbench && !safe) {
        std::fprintf(stderr, "usage: tavrix-screenshot [--workbench | --safe] OUTPUT.png\n");
        return 2;
    }
    const QString output = QString::fromLocal8Bit(argv[argc - 1]);
    if (qEnvironmentVariableIsEmpty("TAVRIX_COM1")) qputenv("TAVRIX_COM1", "sim");
    platform::Toolkit toolkit;
    if (!toolkit.ok()) return 1;
    platform::Engine engine;
    platform::Rs232 ports(engine);
    Program p(engine, ports);
    if (StartProgram(p) < 0) return 1;

    bool saved = false;
    QTemporaryDir recordings;
    QTimer::singleShot(200, [&] {
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
