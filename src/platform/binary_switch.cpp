#include "binary_switch.h"

#include <QPainter>
#include <QStyleOptionFocusRect>
#include <QStylePainter>

namespace platform {

namespace {

constexpr int kGap = 4;

}  // namespace

BinarySwitch::BinarySwitch(QWidget* parent) : QAbstractButton(parent) {
    installAccessibility();
    setCheckable(true);
    setFocusPolicy(Qt::StrongFocus);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
}

void BinarySwitch::setOffText(const QString& text) {
    offText_ = text;
    textsChanged();
}

void BinarySwitch::setOnText(const QString& text) {
    onText_ = text;
    textsChanged();
}

void BinarySwitch::textsChanged() {
    // Assistive technology reads the position texts.
    setAccessibleDescription(offText_ + QLatin1Char('/') + onText_);
    updateGeometry();
    update();
}

QSize BinarySwitch::trackSize() const {
    const int h = fontMetrics().height() * 9 / 10;
    return {2 * h, h};
}

QSize BinarySwitch::sizeHint() const {
    const QFontMetrics fm = fontMetrics();
    const QSize track = trackSize();
    const int w =
        fm.horizontalAdvance(offText_) + fm.horizontalAdvance(onText_) + track.width() + 4 * kGap;
    return {w, std::max(track.height(), fm.height()) + kGap};
}

// The position text that applies is drawn in the text colour, the other one greyed.
void BinarySwitch::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const QFontMetrics fm = fontMetrics();
    const QSize track = trackSize();
    const int offWidth = fm.horizontalAdvance(offText_);
    const int total = offWidth + fm.horizontalAdvance(onText_) + track.width() + 2 * kGap;
    const int left = std::max(0, (width() - total) / 2);
    const QRect trackRect(left + offWidth + kGap, (height() - track.height()) / 2, track.width(),
                          track.height());

    const QPalette::ColorGroup group = isEnabled() ? QPalette::Active : QPalette::Disabled;
    const auto color = [&](QPalette::ColorRole role) { return palette().color(group, role); };
    const QColor active = color(QPalette::WindowText);
    const QColor inactive = palette().color(QPalette::Disabled, QPalette::WindowText);
    const QRect offRect(left, 0, offWidth, height());
    const QRect onRect(trackRect.right() + 1 + kGap, 0, width() - trackRect.right() - 1 - kGap,
                       height());
    p.setPen(isChecked() ? inactive : active);
    p.drawText(offRect, Qt::AlignVCenter | Qt::AlignLeft | Qt::TextDontClip, offText_);
    p.setPen(isChecked() ? active : inactive);
    p.drawText(onRect, Qt::AlignVCenter | Qt::AlignLeft | Qt::TextDontClip, onText_);

    const qreal radius = track.height() / 2.0;
    p.setPen(QPen(color(QPalette::Dark), 1));
    p.setBrush(isChecked() ? color(QPalette::Highlight) : color(QPalette::Mid));
    p.drawRoundedRect(QRectF(trackRect).adjusted(0.5, 0.5, -0.5, -0.5), radius, radius);
    const int knobSize = track.height() - 4;
    const int knobX = isChecked() ? trackRect.right() - 1 - knobSize : trackRect.left() + 2;
    p.setBrush(color(QPalette::Base));
    p.drawEllipse(QRect(knobX, trackRect.top() + 2, knobSize, knobSize));

    if (hasFocus()) {
        QStyleOptionFocusRect option;
        option.initFrom(this);
        option.rect = trackRect.adjusted(-2, -2, 2, 2);
        style()->drawPrimitive(QStyle::PE_FrameFocusRect, &option, &p, this);
    }
}

}  // namespace platform
