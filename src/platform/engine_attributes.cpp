// Control attributes: state, position, text appearance, colours, switch texts, strip settings.
#include <QApplication>
#include <QLineEdit>

#include "binary_switch.h"
#include "engine_impl.h"
#include "strip_chart.h"

namespace platform {

namespace {

int FromColor(const QColor& color) {
    return static_cast<int>(color.rgb() & 0xFFFFFFu);
}

void SetBackground(QWidget* w, int rgb) {
    QPalette pal = w->palette();
    pal.setColor(QPalette::Window, ToColor(rgb));
    pal.setColor(QPalette::Base, ToColor(rgb));
    w->setPalette(pal);
    w->setAutoFillBackground(true);
}

void SetForeground(QWidget* w, int rgb) {
    QPalette pal = w->palette();
    for (auto role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText})
        pal.setColor(role, ToColor(rgb));
    w->setPalette(pal);
}

int Background(const QWidget* w) {
    const auto role =
        qobject_cast<const QLineEdit*>(w) != nullptr ? QPalette::Base : QPalette::Window;
    return FromColor(w->palette().color(role));
}

constexpr const char* kMarkedProperty = "tavrixMarkedPalette";  // the palette before marking
constexpr const char* kMarkedFillProperty = "tavrixMarkedAutoFill";
constexpr const char* kMarkedTipProperty = "tavrixMarkedToolTip";
constexpr const char* kMarkKindProperty = "tavrixMarkKind";
constexpr int kNotReadColor = 0xC9DCEE;

void Unmark(QWidget* w) {
    const QVariant before = w->property(kMarkedProperty);
    if (!before.isValid()) return;
    w->setPalette(before.value<QPalette>());
    w->setAutoFillBackground(w->property(kMarkedFillProperty).toBool());
    w->setToolTip(w->property(kMarkedTipProperty).toString());
    for (const char* name : {kMarkedProperty, kMarkedFillProperty, kMarkedTipProperty})
        w->setProperty(name, QVariant());
    w->setProperty(kMarkKindProperty, QVariant());
}

// The look before marking is kept whole: a control without a palette of its own gets its
// inherited one back, so later changes of the window's palette still reach it.
void SetMarked(QWidget* w, int kind) {
    if (kind == w->property(kMarkKindProperty).toInt()) return;
    Unmark(w);
    if (kind != MARK_DIFFERS && kind != MARK_NOT_READ) return;
    const bool own = w->testAttribute(Qt::WA_SetPalette);
    w->setProperty(kMarkedProperty, own ? QVariant(w->palette()) : QVariant(QPalette()));
    w->setProperty(kMarkedFillProperty, w->autoFillBackground());
    w->setProperty(kMarkedTipProperty, w->toolTip());
    w->setProperty(kMarkKindProperty, kind);
    QPalette pal = w->palette();
    for (auto role : {QPalette::Window, QPalette::Base, QPalette::Button})
        pal.setColor(role, ToColor(kind == MARK_DIFFERS ? kMarkColor : kNotReadColor));
    w->setPalette(pal);
    w->setAutoFillBackground(true);
    if (kind == MARK_NOT_READ) w->setToolTip(QStringLiteral("not read from the sensor"));
}

int SetPointSize(QWidget* w, int points) {
    if (points <= 0) return kErrBadValue;
    QFont font = w->font();
    font.setPointSize(points);
    w->setFont(font);
    FitTextMessage(w);
    return 0;
}

int SetStripAttribute(QWidget* w, int attr, int value) {
    auto* strip = qobject_cast<StripChartWidget*>(w);
    if (strip == nullptr) return kErrNotSupported;
    switch (attr) {
        case ATTR_POINTS_PER_SCREEN:
            return strip->setPointsPerScreen(value) ? 0 : kErrBadValue;
        case ATTR_NUM_TRACES:
            return strip->setTraceCount(value) ? 0 : kErrBadValue;
        default:
            strip->setWindowMode(value != 0);
            return 0;
    }
}

int GetStripAttribute(const QWidget* w, int attr, int& value) {
    auto* strip = qobject_cast<const StripChartWidget*>(w);
    if (strip == nullptr) return kErrNotSupported;
    value = attr == ATTR_POINTS_PER_SCREEN ? strip->pointsPerScreen()
            : attr == ATTR_NUM_TRACES      ? strip->traceCount()
                                           : (strip->windowMode() ? 1 : 0);
    return 0;
}

}  // namespace

int Engine::SetCtrlAttribute(int panel, int control, int attr, int value) {
    QWidget* w = impl_->widget(panel, control);
    if (w == nullptr) return kErrBadHandle;
    switch (attr) {
        case ATTR_DIMMED:
            w->setEnabled(value == 0);
            return 0;
        case ATTR_VISIBLE:
            w->setVisible(value != 0);
            return 0;
        case ATTR_TOP:
            w->move(w->x(), value);
            return 0;
        case ATTR_LEFT:
            w->move(value, w->y());
            return 0;
        case ATTR_TEXT_BGCOLOR:
        case ATTR_FRAME_COLOR:
            SetBackground(w, value);
            return 0;
        case ATTR_TEXT_COLOR:
            SetForeground(w, value);
            return 0;
        case ATTR_TEXT_POINT_SIZE:
            return SetPointSize(w, value);
        case ATTR_POINTS_PER_SCREEN:
        case ATTR_NUM_TRACES:
        case ATTR_STRIP_WINDOW_MODE:
            return SetStripAttribute(w, attr, value);
        case ATTR_MARKED:
            SetMarked(w, value);
            return 0;
        case ATTR_TEXT_FONT:
        case ATTR_ON_TEXT:
        case ATTR_OFF_TEXT:
            return kErrBadValue;  // these take a string
        default:
            return kErrNotSupported;
    }
}

int Engine::SetCtrlAttribute(int panel, int control, int attr, const std::string& value) {
    QWidget* w = impl_->widget(panel, control);
    if (w == nullptr) return kErrBadHandle;
    const QString text = QString::fromStdString(value);
    if (attr == ATTR_TEXT_FONT) {
        // "NIApp" is the program's name for the toolkit's application font.
        QFont font = text == QLatin1String("NIApp") ? QApplication::font() : w->font();
        if (text != QLatin1String("NIApp")) font.setFamilies({text});
        if (w->font().pointSizeF() > 0) font.setPointSizeF(w->font().pointSizeF());
        w->setFont(font);
        FitTextMessage(w);
        return 0;
    }
    if (attr == ATTR_ON_TEXT || attr == ATTR_OFF_TEXT) {
        auto* binarySwitch = qobject_cast<BinarySwitch*>(w);
        if (binarySwitch == nullptr) return kErrNotSupported;
        if (attr == ATTR_ON_TEXT)
            binarySwitch->setOnText(text);
        else
            binarySwitch->setOffText(text);
        return 0;
    }
    return attr >= ATTR_DIMMED && attr <= ATTR_MARKED ? kErrBadValue : kErrNotSupported;
}

int Engine::GetCtrlAttribute(int panel, int control, int attr, int& value) const {
    const QWidget* w = impl_->widget(panel, control);
    if (w == nullptr) return kErrBadHandle;
    switch (attr) {
        case ATTR_DIMMED:
            value = w->isEnabled() ? 0 : 1;
            return 0;
        case ATTR_VISIBLE:
            value = w->isHidden() ? 0 : 1;  // as set, whether or not the panel is shown
            return 0;
        case ATTR_TOP:
            value = w->y();
            return 0;
        case ATTR_LEFT:
            value = w->x();
            return 0;
        case ATTR_TEXT_BGCOLOR:
        case ATTR_FRAME_COLOR:
            value = Background(w);
            return 0;
        case ATTR_TEXT_COLOR:
            value = FromColor(w->palette().color(QPalette::WindowText));
            return 0;
        case ATTR_TEXT_POINT_SIZE:
            value = w->font().pointSize();
            return 0;
        case ATTR_POINTS_PER_SCREEN:
        case ATTR_NUM_TRACES:
        case ATTR_STRIP_WINDOW_MODE:
            return GetStripAttribute(w, attr, value);
        case ATTR_MARKED:
            value = w->property(kMarkKindProperty).toInt();
            return 0;
        default:
            return kErrNotSupported;
    }
}

}  // namespace platform
