#include "plot_base.h"

#include <QToolTip>
#include <algorithm>
#include <cmath>

namespace platform {

namespace {

// Sets one end of an axis range, moving the other end when the range would become empty, so that
// the panel file may give the ends in either order.
void SetRangeLower(QCPAxis* axis, double v) {
    QCPRange r = axis->range();
    r.lower = v;
    if (r.upper <= v) r.upper = v + 1.0;
    axis->setRange(r);
}

void SetRangeUpper(QCPAxis* axis, double v) {
    QCPRange r = axis->range();
    r.upper = v;
    if (r.lower >= v) r.lower = v - 1.0;
    axis->setRange(r);
}

}  // namespace

PlotBase::PlotBase(QWidget* parent) : QCustomPlot(parent) {
    redrawTimer_.setSingleShot(true);
    connect(&redrawTimer_, &QTimer::timeout, this, &PlotBase::redrawNow);
    sinceRedraw_.start();
    setBufferDevicePixelRatio(devicePixelRatioF());
    // One paint buffer instead of two: the overlay layer (selection rectangles, unused here) need
    // not be buffered on its own, and every buffer costs a full clear and a blend per redraw.
    layer(QStringLiteral("overlay"))->setMode(QCPLayer::lmLogical);
    // The plot fills its whole area with its background, so what lies beneath is not painted.
    setAttribute(Qt::WA_OpaquePaintEvent);
    setInteractions(QCP::iRangeDrag | QCP::iRangeZoom);
    connect(this, &QCustomPlot::mouseWheel, this, [this] { beginUserView(); });
    connect(this, &QCustomPlot::mouseMove, this, [this](QMouseEvent* event) {
        if ((event->buttons() & Qt::LeftButton) != 0) beginUserView();
        showReadout(event);
    });
    connect(this, &QCustomPlot::mouseDoubleClick, this, [this] { restoreView(); });
}

void PlotBase::beginUserView() {
    if (userView_) return;
    userView_ = true;
    wantedX_ = xAxis->range();
    wantedY_ = yAxis->range();
}

void PlotBase::restoreView() {
    if (!userView_) return;
    userView_ = false;
    xAxis->setRange(wantedX_);
    yAxis->setRange(wantedY_);
    dirty_ = true;
    redrawNow();
}

void PlotBase::showReadout(QMouseEvent* event) {
    const QStringList names = property("readout").toString().split(QLatin1Char(';'));
    if (names.size() != 2 || graphCount() == 0 || graph(0)->data()->isEmpty()) return;
    const double x = xAxis->pixelToCoord(event->pos().x());
    auto point = graph(0)->data()->findBegin(x, false);
    if (point == graph(0)->data()->constEnd()) return;
    const QString text = QStringLiteral("%1 %2, %3 %4")
                             .arg(names[0])
                             .arg(qRound(point->key))
                             .arg(names[1])
                             .arg(qRound(point->value));
    setToolTip(text);
    QToolTip::showText(event->globalPosition().toPoint(), text, this);
}

template <class Draw>
bool PlotBase::withTitle(const QString& title, Draw draw) {
    plotLayout()->insertRow(0);
    auto* line = new QCPTextElement(this, title, QFont(font().family(), 10, QFont::Bold));
    plotLayout()->addElement(0, 0, line);
    const bool written = draw();
    plotLayout()->remove(line);
    plotLayout()->simplify();
    dirty_ = true;
    requestRedraw();  // laid out for the screen again
    return written;
}

bool PlotBase::exportPng(const QString& path, int width, int height, const QString& title) {
    return withTitle(title, [&] { return savePng(path, width / 2, height / 2, 2.0); });
}

bool PlotBase::exportPdf(const QString& path, int width, int height, const QString& title) {
    return withTitle(title, [&] {
        return savePdf(path, width / 2, height / 2, QCP::epNoCosmetic,
                       QStringLiteral("Tavrix-Didor"), title);
    });
}

void PlotBase::requestRedraw() {
    dirty_ = true;
    if (redrawTimer_.isActive()) return;
    // Never at once: a loop that draws and then sends its next request dispatches pending events
    // in between, and the redraw belongs in its wait for the answer.
    const qint64 wait = std::max<qint64>(kMinDelayMs, kFrameMs - sinceRedraw_.elapsed());
    redrawTimer_.start(static_cast<int>(wait));
}

void PlotBase::redrawNow() {
    if (!dirty_ || !isVisible()) return;  // a hidden plot is drawn when it is shown
    dirty_ = false;
    if (autoX_ && !userView_) xAxis->rescale(true);
    if (autoY_ && !userView_) yAxis->rescale(true);
    replot(rpQueuedRefresh);
    sinceRedraw_.restart();
}

void PlotBase::followDevicePixelRatio() {
    const double ratio = devicePixelRatioF();
    if (qFuzzyCompare(bufferDevicePixelRatio(), ratio)) return;
    setBufferDevicePixelRatio(ratio);
    dirty_ = true;
}

bool PlotBase::event(QEvent* e) {
    const bool result = QCustomPlot::event(e);
    if (e->type() == QEvent::Resize) {
        fitTickCounts();
    } else if (e->type() == QEvent::Show) {
        followDevicePixelRatio();
        redrawNow();
    } else if (e->type() == QEvent::ScreenChangeInternal) {
        followDevicePixelRatio();
        if (dirty_) requestRedraw();
    }
    return result;
}

// About one tick label per 80 pixels across and 40 pixels up, so small plots stay legible.
void PlotBase::fitTickCounts() {
    xAxis->ticker()->setTickCount(std::max(2, width() / 80));
    yAxis->ticker()->setTickCount(std::max(2, height() / 40));
}

bool PlotBase::setAxisScaling(int axis, bool autoscale, double min, double max) {
    if (axis != 0 && axis != 1) return false;
    QCPAxis* a = axis == 0 ? xAxis : yAxis;
    if (!autoscale && !(std::isfinite(min) && std::isfinite(max) && min < max)) return false;
    bool& autoFlag = axis == 0 ? autoX_ : autoY_;
    const bool unchanged = autoFlag == autoscale &&
                           (autoscale || (a->range().lower == min && a->range().upper == max));
    if (unchanged) return true;
    autoFlag = autoscale;
    if (!autoscale && userView_)
        (axis == 0 ? wantedX_ : wantedY_) = QCPRange(min, max);  // applied when restored
    else if (!autoscale)
        a->setRange(min, max);
    requestRedraw();
    return true;
}

void PlotBase::setXLabel(const QString& label) {
    xAxis->setLabel(label);
    requestRedraw();
}

void PlotBase::setYLabel(const QString& label) {
    yAxis->setLabel(label);
    requestRedraw();
}

void PlotBase::setXMin(double v) {
    SetRangeLower(xAxis, v);
    requestRedraw();
}

void PlotBase::setXMax(double v) {
    SetRangeUpper(xAxis, v);
    requestRedraw();
}

void PlotBase::setYMin(double v) {
    SetRangeLower(yAxis, v);
    requestRedraw();
}

void PlotBase::setYMax(double v) {
    SetRangeUpper(yAxis, v);
    requestRedraw();
}

}  // namespace platform
