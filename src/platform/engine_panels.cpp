// Panels from a Qt Designer file: loading, showing, hiding, discarding.
#include <QFile>
#include <QFileInfo>
#include <QMainWindow>
#include <QUiLoader>
#include <memory>

#include "binary_switch.h"
#include "decimal_spin_box.h"
#include "drop_down_list.h"
#include "engine_impl.h"
#include "graph_widget.h"
#include "meaning_spin_box.h"
#include "panel_ids.h"
#include "secondary_window.h"
#include "strip_chart.h"
#include "window_layout.h"

namespace platform {

namespace {

// Knows the project's own widget classes; every other class goes to the standard loader.
class PanelLoader : public QUiLoader {
  public:
    QWidget* createWidget(const QString& className, QWidget* parent, const QString& name) override {
        QWidget* widget = nullptr;
        if (className == QLatin1String("GraphWidget"))
            widget = new GraphWidget(parent);
        else if (className == QLatin1String("StripChartWidget"))
            widget = new StripChartWidget(parent);
        else if (className == QLatin1String("BinarySwitch"))
            widget = new BinarySwitch(parent);
        else if (className == QLatin1String("QDoubleSpinBox"))
            widget = new DecimalSpinBox(parent);
        else if (className == QLatin1String("QSpinBox"))
            widget = new MeaningSpinBox(parent);
        else if (className == QLatin1String("QComboBox"))
            widget = new DropDownList(parent);
        else
            return QUiLoader::createWidget(className, parent, name);
        widget->setObjectName(name);
        return widget;
    }
};

std::vector<QWidget*> FindControls(QWidget* window) {
    std::vector<QWidget*> controls(ui::kCtrlCount, nullptr);
    for (int id = 1; id < ui::kCtrlCount; ++id)
        controls[static_cast<std::size_t>(id)] =
            window->findChild<QWidget*>(QLatin1String(ui::kControlNames[id]));
    return controls;
}

}  // namespace

int Engine::LoadPanel(int parent, const std::string& file, const std::string& panelName) {
    QWidget* parentWindow = nullptr;
    if (parent != 0) {
        PanelRecord* record = impl_->panel(parent);
        if (record == nullptr) return kErrBadHandle;
        parentWindow = record->window;
    }
    QFile source(ProjectFilePath(file));
    if (!source.open(QIODevice::ReadOnly)) return kErrNoFile;
    PanelLoader loader;
    loader.setWorkingDirectory(QFileInfo(source).absoluteDir());
    std::unique_ptr<QWidget> root(loader.load(&source));
    if (root == nullptr) return kErrNoFile;
    if (panelName.empty()) return kErrNoPanel;
    const QString name = QString::fromStdString(panelName);
    auto* window = root->findChild<QWidget*>(name, Qt::FindDirectChildrenOnly);
    if (window == nullptr) window = root->findChild<QWidget*>(name);  // panel nested in a frame
    if (window == nullptr) return kErrNoPanel;
    window->setParent(nullptr);
    QMainWindow* main = MakePanelWindow(window);
    if (parentWindow != nullptr) main->setParent(parentWindow, Qt::Window);
    main->hide();
    return impl_->addPanel(main, FindControls(main));
}

int Engine::DisplayPanel(int panel) {
    PanelRecord* record = impl_->panel(panel);
    if (record == nullptr) return kErrBadHandle;
    // Secondary windows open on the screen of the first panel shown (the main panel).
    const QWidget* anchor = nullptr;
    for (const auto& [handle, other] : impl_->panels)
        if (other.window && other.window->isVisible()) {
            anchor = other.window;
            break;
        }
    PrepareToShow(record->window, anchor);
    if (anchor != nullptr && anchor != record->window)
        CloseOnEscape(*impl_, record->window, anchor);
    record->window->show();
    record->window->raise();
    record->window->activateWindow();
    return 0;
}

int Engine::HidePanel(int panel) {
    PanelRecord* record = impl_->panel(panel);
    if (record == nullptr) return kErrBadHandle;
    record->window->hide();
    return 0;
}

int Engine::DiscardPanel(int panel) {
    if (impl_->panel(panel) == nullptr) return kErrBadHandle;
    impl_->discardPanel(panel);
    return 0;
}

}  // namespace platform
