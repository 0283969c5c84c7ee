#include "dock_title_bar.h"

#include <QDockWidget>
#include <QHBoxLayout>
#include <QLabel>
#include <QMainWindow>
#include <QStyle>
#include <QToolButton>

#include "settings.h"

namespace platform {

namespace {

constexpr const char* kKeyProperty = "tavrixFoldKey";
constexpr const char* kOpenSizeProperty = "tavrixOpenSize";  // the dock's size before folding
constexpr const char* kFoldButtonName = "DockFoldButton";

QToolButton* BarButton(const QString& text, const QString& tip) {
    auto* button = new QToolButton;
    button->setAutoRaise(true);
    button->setText(text);
    button->setToolTip(tip);
    button->setAccessibleName(text);
    button->setFocusPolicy(Qt::TabFocus);
    return button;
}

void ShowFoldState(QDockWidget* dock, bool folded) {
    auto* fold = dock->findChild<QToolButton*>(QLatin1String(kFoldButtonName));
    if (fold == nullptr) return;
    fold->setArrowType(folded ? Qt::RightArrow : Qt::DownArrow);
    fold->setText(folded ? QStringLiteral("Unfold") : QStringLiteral("Fold"));
    fold->setAccessibleName(fold->text());
    fold->setToolTip(folded ? QStringLiteral("Open again")
                            : QStringLiteral("Fold to the title bar"));
}

class TitleBar : public QWidget {
  public:
    explicit TitleBar(QDockWidget* dock) : QWidget(dock) {
        auto* row = new QHBoxLayout(this);
        row->setContentsMargins(2, 1, 2, 1);
        row->setSpacing(2);
        auto* fold = BarButton(QStringLiteral("Fold"), QString());
        fold->setObjectName(QLatin1String(kFoldButtonName));
        fold->setToolButtonStyle(Qt::ToolButtonIconOnly);
        auto* title = new QLabel(dock->windowTitle());
        auto* floating = BarButton(QStringLiteral("Float"), QStringLiteral("Float, or dock again"));
        floating->setIcon(style()->standardIcon(QStyle::SP_TitleBarNormalButton));
        auto* close = BarButton(QStringLiteral("Close"), QStringLiteral("Close"));
        close->setIcon(style()->standardIcon(QStyle::SP_TitleBarCloseButton));
        row->addWidget(fold);
        row->addWidget(title, 1);
        row->addWidget(floating);
        row->addWidget(close);
        connect(fold, &QToolButton::clicked, dock,
                [dock] { SetDockFolded(dock, !DockFolded(dock)); });
        connect(floating, &QToolButton::clicked, dock,
                [dock] { dock->setFloating(!dock->isFloating()); });
        connect(close, &QToolButton::clicked, dock, &QDockWidget::close);
        connect(dock, &QDockWidget::windowTitleChanged, title, &QLabel::setText);
    }
};

// The dock's extent across its area: its width beside the centre, its height above or below.
Qt::Orientation Across(QMainWindow* main, QDockWidget* dock) {
    const Qt::DockWidgetArea area = main->dockWidgetArea(dock);
    return area == Qt::TopDockWidgetArea || area == Qt::BottomDockWidgetArea ? Qt::Vertical
                                                                             : Qt::Horizontal;
}

void Resize(QDockWidget* dock, QSize size) {
    auto* main = qobject_cast<QMainWindow*>(dock->parentWidget());
    if (dock->isFloating() || main == nullptr) {
        dock->resize(size);
        return;
    }
    const Qt::Orientation across = Across(main, dock);
    main->resizeDocks({dock}, {across == Qt::Horizontal ? size.width() : size.height()}, across);
}

}  // namespace

void AddFoldingTitleBar(QDockWidget* dock, const QString& settingsKey) {
    dock->setTitleBarWidget(new TitleBar(dock));
    dock->setProperty(kKeyProperty, settingsKey);
    // Kept while folded: the size to unfold to.
    const QSize open = UserSettings().value(settingsKey).toSize();
    const bool folded = open.isValid() && dock->widget() != nullptr;
    ShowFoldState(dock, folded);
    if (!folded) return;
    dock->setProperty(kOpenSizeProperty, open);
    dock->widget()->hide();
}

bool DockFolded(const QDockWidget* dock) {
    return dock->widget() != nullptr && dock->widget()->isHidden();
}

void SetDockFolded(QDockWidget* dock, bool folded) {
    QWidget* content = dock->widget();
    if (content == nullptr || DockFolded(dock) == folded) return;
    if (folded) dock->setProperty(kOpenSizeProperty, dock->size());
    content->setVisible(!folded);
    ShowFoldState(dock, folded);
    const QSize open = dock->property(kOpenSizeProperty).toSize();
    if (folded)
        Resize(dock, dock->minimumSizeHint());
    else if (open.isValid())
        Resize(dock, open);
    const QString key = dock->property(kKeyProperty).toString();
    if (key.isEmpty()) return;
    if (folded)
        UserSettings().setValue(key, open);
    else
        UserSettings().remove(key);
}

}  // namespace platform
