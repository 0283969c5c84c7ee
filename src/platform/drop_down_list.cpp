#include "drop_down_list.h"

#include <QAbstractItemView>
#include <QScrollBar>
#include <QStyle>
#include <QStylePainter>
#include <algorithm>

namespace platform {

void DropDownList::showPopup() {
    if (beforeOpen_) beforeOpen_();
    int widest = 0;
    const QFontMetrics metrics = view()->fontMetrics();
    for (int i = 0; i < count(); ++i)
        widest = std::max(widest, metrics.horizontalAdvance(itemText(i)));
    // Item margins and frame on both sides, and room for a scroll bar when the list is long.
    const int margins = 4 * style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, view()) +
                        2 * view()->frameWidth() + 16;
    const int scrollBar =
        count() > maxVisibleItems() ? view()->verticalScrollBar()->sizeHint().width() : 0;
    view()->setMinimumWidth(widest + margins + scrollBar);
    QComboBox::showPopup();
}

void DropDownList::paintEvent(QPaintEvent*) {
    QStylePainter painter(this);
    painter.setPen(palette().color(QPalette::Text));
    QStyleOptionComboBox option;
    initStyleOption(&option);
    painter.drawComplexControl(QStyle::CC_ComboBox, option);
    const QRect text =
        style()->subControlRect(QStyle::CC_ComboBox, &option, QStyle::SC_ComboBoxEditField, this);
    option.currentText = fontMetrics().elidedText(option.currentText, Qt::ElideRight, text.width());
    painter.drawControl(QStyle::CE_ComboBoxLabel, option);
}

}  // namespace platform
