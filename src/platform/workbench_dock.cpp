#include "workbench_dock.h"

#include <QDockWidget>
#include <QMainWindow>
#include <QScreen>
#include <QScrollArea>
#include <QToolButton>
#include <QVBoxLayout>

#include "dock_title_bar.h"
#include "window_layout.h"

namespace platform {

namespace {

constexpr int kDockWidth = 470;
constexpr int kDockFrame = 24;  // the dock's frame and its separator from the centre
constexpr const char* kDockName = "Workbench";
constexpr const char* kBoxCountProperty = "tavrixWorkbenchBoxes";

QDockWidget* MakeDock(QMainWindow* window) {
    auto* dock = new QDockWidget(QStringLiteral("Measurement workbench"), window);
    dock->setObjectName(QLatin1String(kDockName));
    auto* scroll = new QScrollArea;
    scroll->setObjectName(QStringLiteral("WorkbenchScrollArea"));
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setWidgetResizable(true);
    scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    auto* column = new QWidget;
    column->setObjectName(QStringLiteral("WorkbenchColumn"));
    new QVBoxLayout(column);
    scroll->setWidget(column);
    scroll->setMinimumWidth(kDockWidth / 2);
    dock->setWidget(scroll);
    AddFoldingTitleBar(dock,
                       QStringLiteral("mainwindow/%1/workbenchFolded").arg(window->objectName()));
    window->addDockWidget(Qt::RightDockWidgetArea, dock);
    window->resizeDocks({dock}, {kDockWidth}, Qt::Horizontal);

    auto* toggle = new QToolButton;
    toggle->setObjectName(QStringLiteral("WorkbenchToggle"));
    QAction* action = dock->toggleViewAction();
    action->setText(QStringLiteral("Workbench"));
    action->setToolTip(QStringLiteral("Show or hide the measurement workbench"));
    toggle->setDefaultAction(action);
    AddToStatusRow(window, toggle);

    // Beside the panel only where both fit; else one click away.
    const QScreen* screen = window->screen();
    const int wide = window->width() + kDockWidth + kDockFrame;
    const bool fits = screen == nullptr || screen->availableGeometry().width() >= wide;
    if (fits)
        window->resize(wide, window->height());
    else
        dock->hide();
    return dock;
}

}  // namespace

QDockWidget* WorkbenchDock(QWidget* window) {
    auto* main = qobject_cast<QMainWindow*>(window);
    if (main == nullptr) return nullptr;
    auto* dock = main->findChild<QDockWidget*>(QLatin1String(kDockName));
    return dock != nullptr ? dock : MakeDock(main);
}

QVBoxLayout* WorkbenchColumn(QWidget* window) {
    QDockWidget* dock = WorkbenchDock(window);
    if (dock == nullptr) return nullptr;
    auto* column = dock->findChild<QWidget*>(QStringLiteral("WorkbenchColumn"));
    return static_cast<QVBoxLayout*>(column->layout());
}

void AddWorkbenchBox(QWidget* window, QWidget* box) {
    QVBoxLayout* column = WorkbenchColumn(window);
    if (column == nullptr) return;
    QWidget* holder = column->parentWidget();
    const int boxes = holder->property(kBoxCountProperty).toInt();
    column->insertWidget(boxes, box);
    holder->setProperty(kBoxCountProperty, boxes + 1);
}

}  // namespace platform
