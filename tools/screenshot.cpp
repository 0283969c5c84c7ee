// Starts the tool on the built-in simulated sensor, runs Video for a few seconds and saves a
// picture of the main panel: the README's screenshot.
//   tavrix-screenshot OUTPUT.png
#include <QApplication>
#include <QTimer>
#include <QWidget>
#include <cstdio>

#include "Tavrix-VarizA152.h"
#include "panel_ids.h"

namespace {

QWidget* MainPanel() {
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w->objectName() == ui::kMainPanelName) return w;
    return nullptr;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: tavrix-screenshot OUTPUT.png\n");
        return 2;
    }
    if (qEnvironmentVariableIsEmpty("TAVRIX_COM1")) qputenv("TAVRIX_COM1", "sim");
    platform::Toolkit toolkit;
    if (!toolkit.ok()) return 1;
    platform::Engine engine;
    platform::Rs232 ports(engine);
    Program p(engine, ports);
    if (StartProgram(p) < 0) return 1;

    bool saved = false;
    QTimer::singleShot(
        200, [&] { CC_BTNVideo(p.pHandle, ui::BTNVideo, platform::EVENT_COMMIT, &p, 0, 0); });
    QTimer::singleShot(4000, [&] {
        QWidget* panel = MainPanel();
        saved = panel != nullptr && panel->grab().save(QString::fromLocal8Bit(argv[1]));
        p.stop_flag = 1;
        engine.QuitUserInterface(0);
    });
    engine.RunUserInterface();
    EndProgram(p);
    return saved ? 0 : 1;
}
