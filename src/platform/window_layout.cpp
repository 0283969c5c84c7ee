#include "window_layout.h"

#include <QChildEvent>
#include <QEvent>
#include <QHBoxLayout>
#include <QPointer>
#include <QScreen>
#include <QScrollArea>
#include <QVBoxLayout>
#include <QWidget>
#include <algorithm>
#include <vector>

#include "settings.h"

namespace platform {

namespace {

constexpr const char* kInstalledProperty = "tavrixWindowLayout";
constexpr const char* kContentName = "PanelContent";
constexpr const char* kStatusRowName = "PanelStatusRow";
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
    {"Workbench", 1, 0, 0, 1},
};
// The status row, kept in view below the scroll area.
constexpr const char* kStatusRow[] = {"label_41", "TEXTStatus"};

QString GeometryKey(const QWidget* window) {
    return QStringLiteral("window/%1/geometry").arg(window->objectName());
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

// Keeps its place the panel file gives a widget moved into the scroll area's content.
void MoveInto(QWidget* content, QWidget* w) {
    const QRect r = w->geometry();
    const bool visible = !w->isHidden();
    w->setParent(content);
    w->setGeometry(r);
    w->setVisible(visible);
}

// Remembers the window's geometry whenever it is hidden (closed, discarded, program end), and
// moves widgets added to the window later (marks beside controls, say) into the content, where
// they scroll with the controls they belong to.
class WindowWatcher : public QObject {
  public:
    WindowWatcher(QWidget* window, QWidget* content) : QObject(window), content_(content) {
        window->installEventFilter(this);
    }

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        auto* window = static_cast<QWidget*>(watched);
        if (event->type() == QEvent::Hide && !event->spontaneous())
            UserSettings().setValue(GeometryKey(window), window->saveGeometry());
        if (event->type() == QEvent::ChildAdded) {
            // The child is still being built: move it once control is back in the event loop.
            QPointer<QObject> child = static_cast<QChildEvent*>(event)->child();
            QMetaObject::invokeMethod(
                this, [this, window, child] { adopt(window, child); }, Qt::QueuedConnection);
        }
        return false;
    }

  private:
    void adopt(QWidget* window, QObject* child) {
        auto* w = qobject_cast<QWidget*>(child);
        if (w == nullptr || content_.isNull() || w->parentWidget() != window || w->isWindow() ||
            window->layout()->indexOf(w) >= 0)
            return;
        MoveInto(content_, w);
    }

    QPointer<QWidget> content_;
};

// The status row keeps the margins and gap the panel file gives it; its line takes the width.
QWidget* TakeStatusRow(QWidget* window) {
    std::vector<QWidget*> widgets;
    for (const char* name : kStatusRow)
        if (auto* w = window->findChild<QWidget*>(QLatin1String(name), Qt::FindDirectChildrenOnly))
            widgets.push_back(w);
    if (widgets.empty()) return nullptr;
    // Only a row along the bottom edge, with nothing else beside or below it, is taken out.
    QRect band = widgets.front()->geometry().united(widgets.back()->geometry());
    band.setBottom(window->height() - 1);
    for (QObject* child : window->children()) {
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
    const int below = std::max(0, window->height() - last.bottom() - 1);
    layout->setContentsMargins(first.x(), below, std::max(0, window->width() - last.right() - 1),
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
std::vector<QPointer<QWidget>> TabChain(QWidget* window) {
    std::vector<QPointer<QWidget>> chain;
    for (QWidget* w = window->nextInFocusChain(); w != nullptr && w != window;
         w = w->nextInFocusChain())
        if ((w->focusPolicy() & Qt::TabFocus) != 0 && window->isAncestorOf(w))
            chain.emplace_back(w);
    return chain;
}

void RestoreTabChain(const std::vector<QPointer<QWidget>>& chain) {
    for (std::size_t i = 1; i < chain.size(); ++i)
        if (chain[i - 1] && chain[i]) QWidget::setTabOrder(chain[i - 1], chain[i]);
}

void SizeToScreen(QWidget* window, QSize design) {
    const QByteArray saved = UserSettings().value(GeometryKey(window)).toByteArray();
    if (!saved.isEmpty() && window->restoreGeometry(saved)) return;
    QSize size = design;
    if (const QScreen* screen = window->screen())
        size = size.boundedTo(screen->availableGeometry().size());
    window->resize(size);
}

// Moves the window's widgets into a content widget of the given least size, at their places.
QWidget* TakeContent(QWidget* window, QSize design) {
    auto* content = new QWidget;
    content->setObjectName(QLatin1String(kContentName));
    content->setMinimumSize(design);
    const QObjectList children = window->children();  // moving them changes the list
    for (QObject* child : children) {
        auto* w = qobject_cast<QWidget*>(child);
        if (w == nullptr || w->isWindow()) continue;
        QRect r = w->geometry();
        r.setBottom(std::min(r.bottom(), design.height() - 1));  // a side panel's full height
        w->setGeometry(r);
        MoveInto(content, w);
    }
    new Stretcher(content, design);
    return content;
}

QScrollArea* ScrollAreaFor(QWidget* content) {
    auto* scroll = new QScrollArea;
    scroll->setObjectName(QStringLiteral("PanelScrollArea"));
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setWidgetResizable(true);
    scroll->setWidget(content);
    return scroll;
}

}  // namespace

void InstallWindowLayout(QWidget* window) {
    if (window == nullptr || window->property(kInstalledProperty).toBool()) return;
    window->setProperty(kInstalledProperty, true);
    const std::vector<QPointer<QWidget>> chain = TabChain(window);
    const QSize design = window->size();

    QWidget* statusRow = TakeStatusRow(window);
    const int statusHeight = statusRow != nullptr ? statusRow->sizeHint().height() : 0;
    QWidget* content = TakeContent(window, QSize(design.width(), design.height() - statusHeight));
    auto* layout = new QVBoxLayout(window);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(ScrollAreaFor(content), 1);
    if (statusRow != nullptr) layout->addWidget(statusRow);

    // The panel file (or a side panel) may have fixed the size; the layout now owns it.
    window->setMinimumSize(kMinimumWindow);
    window->setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
    RestoreTabChain(chain);
    SizeToScreen(window, design);
    new WindowWatcher(window, content);
}

}  // namespace platform
