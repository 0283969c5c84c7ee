#include "window_layout.h"

#include <QApplication>
#include <QDockWidget>
#include <QEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QMainWindow>
#include <QPointer>
#include <QScreen>
#include <QScrollArea>
#include <QVBoxLayout>
#include <algorithm>
#include <vector>

#include "settings.h"

namespace platform {

namespace {

constexpr const char* kContentName = "PanelContent";
constexpr const char* kStatusRowName = "PanelStatusRow";
constexpr const char* kShownProperty = "tavrixShownOnce";
constexpr QSize kMinimumWindow{320, 240};

// How a widget follows the growth (dx, dy) of the area beyond the panel's own size: it moves by
// (moveX * dx, moveY * dy) and grows by (growX * dx, growY * dy). The trend/line-image plot takes
// two thirds of the extra height, the bar graph below it the rest.
struct Anchor {
    const char* name;
    double moveX, moveY, growX, growY;
};
constexpr double kTop = 2.0 / 3.0;
constexpr Anchor kAnchors[] = {
    {"groupGraph", 0, 0, 1, kTop},    {"GRAPHVideo", 0, 0, 1, kTop},
    {"STRIPRaw", 0, 0, 1, kTop},      {"label_27", 1, 0, 0, 0},
    {"BINSW_Zoom", 1, 0, 0, 0},       {"groupTarget", 1, 0, 0, 0},
    {"groupMeasurement", 1, 0, 0, 0}, {"CTRLAnaOutput", 1, 0, 0, 0},
    {"groupAnalogue", 1, 0, 0, 0},    {"groupBar", 0, kTop, 1, 1 - kTop},
    {"GRAPHBar", 0, 0, 1, 1 - kTop},  {"label_28", 1, 0, 0, 0},
    {"NUMMvalue2", 1, 0, 0, 0},       {"labelBarLegend", 1, 0, 0, 0},
};
// The status row, kept in view below the scroll area.
constexpr const char* kStatusRow[] = {"label_41", "TEXTStatus"};

// Keys of this window kind of its own: geometry saved by the earlier single-widget window is
// never applied to a main window with docks.
QString GeometryKey(const QWidget* window) {
    return QStringLiteral("mainwindow/%1/geometry").arg(window->objectName());
}
// Where the window's frame stood, kept beside the geometry: restoring a geometry moves a window
// that stood off the screen back onto it, so the fit is judged from this.
QString FrameKey(const QWidget* window) {
    return QStringLiteral("mainwindow/%1/frame").arg(window->objectName());
}
QString StateKey(const QWidget* window) {
    return QStringLiteral("mainwindow/%1/state").arg(window->objectName());
}

struct Placed {
    QPointer<QWidget> widget;
    QRect design;
    const Anchor* anchor;
};

// Places the anchored widgets for the content's current size.
class Stretcher : public QObject {
  public:
    Stretcher(QWidget* content, QSize design) : QObject(content), design_(design) {
        for (const Anchor& anchor : kAnchors)
            if (auto* w = content->findChild<QWidget*>(QLatin1String(anchor.name)))
                placed_.push_back({w, w->geometry(), &anchor});
        content->installEventFilter(this);
    }

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Resize) place(static_cast<QWidget*>(watched)->size());
        return false;
    }

  private:
    void place(QSize size) {
        const double dx = std::max(0, size.width() - design_.width());
        const double dy = std::max(0, size.height() - design_.height());
        for (const Placed& p : placed_) {
            if (p.widget.isNull()) continue;
            const Anchor& a = *p.anchor;
            const QRect& r = p.design;
            p.widget->setGeometry(r.x() + qRound(a.moveX * dx), r.y() + qRound(a.moveY * dy),
                                  r.width() + qRound(a.growX * dx),
                                  r.height() + qRound(a.growY * dy));
        }
    }

    QSize design_;
    std::vector<Placed> placed_;
};

// The rectangle of a control and the labels that name it (left of it on its row, or just above
// it), in the coordinates of `content`: what a reader needs in view together.
QRect WithLabels(QWidget* content, QWidget* control) {
    const auto rectIn = [content](const QWidget* w) {
        return QRect(w->mapTo(content, QPoint()), w->size());
    };
    const QRect own = rectIn(control);
    QRect all = own;
    const QWidget* parent = control->parentWidget();
    if (parent == nullptr) return all;
    for (const QLabel* label : parent->findChildren<QLabel*>(Qt::FindDirectChildrenOnly)) {
        if (label->isHidden()) continue;
        const QRect r = rectIn(label);
        const bool sameRow = r.bottom() >= own.top() && r.top() <= own.bottom() &&
                             r.right() < own.left() && own.left() - r.right() < 160;
        const bool above = r.right() >= own.left() && r.left() <= own.right() &&
                           r.bottom() < own.top() && own.top() - r.bottom() < 24;
        if (sameRow || above) all = all.united(r);
    }
    return all;
}

// Scrolls a control that takes the focus into view together with its labels.
class FocusFollower : public QObject {
  public:
    explicit FocusFollower(QScrollArea* scroll) : QObject(scroll), area_(scroll) {
        connect(qApp, &QApplication::focusChanged, this,
                [this](QWidget*, QWidget* now) { follow(now); });
    }

  private:
    void follow(QWidget* now) {
        // The focus also moves while the window is being destroyed: a scroll area whose own
        // destructor has run is no scroll area any more, and is left alone.
        auto* scroll = qobject_cast<QScrollArea*>(area_);
        QWidget* content = scroll != nullptr ? scroll->widget() : nullptr;
        if (now == nullptr || content == nullptr || !content->isAncestorOf(now)) return;
        const QRect r = WithLabels(content, now);
        scroll->ensureVisible(r.center().x(), r.center().y(), r.width() / 2 + 4,
                              r.height() / 2 + 4);
    }

    QWidget* area_;
};

// Remembers the window's geometry and docks whenever it is hidden (closed, discarded, end).
class WindowWatcher : public QObject {
  public:
    explicit WindowWatcher(QMainWindow* window) : QObject(window) {
        window->installEventFilter(this);
    }

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        // A window being destroyed hides once more, with its layout (and dock places) gone.
        auto* window = qobject_cast<QMainWindow*>(watched);
        if (window != nullptr && window->layout() != nullptr && event->type() == QEvent::Hide &&
            !event->spontaneous() && window->property(kShownProperty).toBool()) {
            UserSettings().setValue(GeometryKey(window), window->saveGeometry());
            UserSettings().setValue(FrameKey(window), window->frameGeometry());
            UserSettings().setValue(StateKey(window), window->saveState());
        }
        return false;
    }
};

// The status row keeps the margins and gap the panel file gives it; its line takes the width.
QWidget* TakeStatusRow(QWidget* panel) {
    std::vector<QWidget*> widgets;
    for (const char* name : kStatusRow)
        if (auto* w = panel->findChild<QWidget*>(QLatin1String(name), Qt::FindDirectChildrenOnly))
            widgets.push_back(w);
    if (widgets.empty()) return nullptr;
    // Only a row along the bottom edge, with nothing else beside or below it, is taken out.
    QRect band = widgets.front()->geometry().united(widgets.back()->geometry());
    band.setBottom(panel->height() - 1);
    for (QObject* child : panel->children()) {
        auto* w = qobject_cast<QWidget*>(child);
        if (w != nullptr && !w->isWindow() &&
            std::find(widgets.begin(), widgets.end(), w) == widgets.end() &&
            w->geometry().intersects(band))
            return nullptr;
    }
    auto* row = new QWidget;
    row->setObjectName(QLatin1String(kStatusRowName));
    auto* layout = new QHBoxLayout(row);
    const QRect first = widgets.front()->geometry(), last = widgets.back()->geometry();
    const int below = std::max(0, panel->height() - last.bottom() - 1);
    layout->setContentsMargins(first.x(), below, std::max(0, panel->width() - last.right() - 1),
                               below);
    if (widgets.size() > 1) layout->setSpacing(widgets[1]->x() - first.right() - 1);
    for (QWidget* w : widgets) {
        if (w == widgets.back())
            w->setFixedHeight(w->height());
        else
            w->setFixedSize(w->size());
        layout->addWidget(w, w == widgets.back() ? 1 : 0);
    }
    return row;
}

// The widgets that take Tab, in the order Tab visits them.
std::vector<QPointer<QWidget>> TabChain(QWidget* panel) {
    std::vector<QPointer<QWidget>> chain;
    for (QWidget* w = panel->nextInFocusChain(); w != nullptr && w != panel;
         w = w->nextInFocusChain())
        if ((w->focusPolicy() & Qt::TabFocus) != 0 && panel->isAncestorOf(w)) chain.emplace_back(w);
    return chain;
}

void RestoreTabChain(const std::vector<QPointer<QWidget>>& chain) {
    for (std::size_t i = 1; i < chain.size(); ++i)
        if (chain[i - 1] && chain[i]) QWidget::setTabOrder(chain[i - 1], chain[i]);
}

QRect AvailableArea(const QWidget* anchor) {
    const QScreen* screen = anchor != nullptr ? anchor->screen() : nullptr;
    if (screen == nullptr) screen = QGuiApplication::primaryScreen();
    return screen != nullptr ? screen->availableGeometry() : QRect(0, 0, 1024, 600);
}

// The window frame's share of the window's outer size, as far as the window system tells it.
QSize FrameExtra(QWidget* window) {
    window->winId();  // the native window gives its frame margins
    return window->frameGeometry().size() - window->size();
}

// A saved geometry is taken only when it restores, lies within the available area and is not
// cut short (at least half the design size, as far as the area allows).
bool RestoreFitting(QWidget* window, QSize design, const QRect& area) {
    const QByteArray saved = UserSettings().value(GeometryKey(window)).toByteArray();
    const QRect frame = UserSettings().value(FrameKey(window)).toRect();
    const QSize least = design.boundedTo(area.size()) / 2;
    if (saved.isEmpty() || !area.contains(frame) || frame.width() < least.width() ||
        frame.height() < least.height())
        return false;
    const QRect before = window->geometry();
    if (window->restoreGeometry(saved) && area.contains(window->frameGeometry())) return true;
    window->setGeometry(before);
    return false;
}

// The design size (or the whole area, where it is smaller), centred on the area.
void OpenAtDesignSize(QWidget* window, QSize design, const QRect& area) {
    const QSize extra = FrameExtra(window);
    window->resize(design.boundedTo(area.size() - extra));
    QRect frame(QPoint(), window->size() + extra);
    frame.moveCenter(area.center());
    window->move(frame.topLeft());
}

}  // namespace

QMainWindow* MakePanelWindow(QWidget* panel) {
    auto* window = new QMainWindow(nullptr);
    window->setObjectName(panel->objectName());
    window->setWindowTitle(panel->windowTitle());
    window->setAccessibleName(panel->accessibleName());
    window->setWindowIcon(panel->windowIcon());
    window->setDockOptions(QMainWindow::AnimatedDocks | QMainWindow::AllowTabbedDocks);
    const std::vector<QPointer<QWidget>> chain = TabChain(panel);
    const QSize panelSize = panel->size();
    panel->setObjectName(QLatin1String(kContentName));
    panel->setAccessibleName(QString());

    QWidget* statusRow = TakeStatusRow(panel);
    const int statusHeight = statusRow != nullptr ? statusRow->sizeHint().height() : 0;
    const QSize design(panelSize.width(), panelSize.height() - statusHeight);
    // The panel file may have fixed the panel's size; the window's layout now owns it.
    panel->setMinimumSize(design);
    panel->setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
    new Stretcher(panel, design);

    auto* scroll = new QScrollArea;
    scroll->setObjectName(QStringLiteral("PanelScrollArea"));
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setWidgetResizable(true);
    scroll->setWidget(panel);
    new FocusFollower(scroll);

    auto* centre = new QWidget;
    centre->setObjectName(QStringLiteral("PanelCentre"));
    auto* layout = new QVBoxLayout(centre);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(scroll, 1);
    if (statusRow != nullptr) layout->addWidget(statusRow);
    window->setCentralWidget(centre);
    window->setMinimumSize(kMinimumWindow);
    window->resize(panelSize);
    RestoreTabChain(chain);
    new WindowWatcher(window);
    return window;
}

QWidget* PanelContent(QWidget* window) {
    if (window == nullptr) return nullptr;
    auto* content = window->findChild<QWidget*>(QLatin1String(kContentName));
    return content != nullptr ? content : window;
}

void AddToStatusRow(QWidget* window, QWidget* widget) {
    auto* row = window->findChild<QWidget*>(QLatin1String(kStatusRowName));
    if (row == nullptr) return;
    static_cast<QHBoxLayout*>(row->layout())->addWidget(widget);
}

void PrepareToShow(QWidget* window, const QWidget* anchor) {
    if (anchor == nullptr || !anchor->isVisible()) anchor = window;
    if (window->property(kShownProperty).toBool()) {
        if (window->isHidden()) KeepOnScreen(window, anchor);
        return;
    }
    window->setProperty(kShownProperty, true);
    const QRect area = AvailableArea(anchor);
    const QWidget* content = PanelContent(window);
    const QSize design = window->size().expandedTo(content->minimumSize());
    if (!RestoreFitting(window, design, area)) OpenAtDesignSize(window, design, area);
    if (auto* main = qobject_cast<QMainWindow*>(window))
        main->restoreState(UserSettings().value(StateKey(window)).toByteArray());
}

void KeepOnScreen(QWidget* window, const QWidget* anchor) {
    const QRect area = AvailableArea(anchor != nullptr ? anchor : window);
    const QSize extra = FrameExtra(window);
    window->resize(window->size().boundedTo(area.size() - extra));
    if (area.contains(window->frameGeometry())) return;
    QRect frame(QPoint(), window->size() + extra);
    frame.moveCenter(area.center());
    window->move(frame.topLeft());
}

}  // namespace platform
