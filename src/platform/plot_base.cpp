#include "plot_base.h"

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
    if (autoX_) xAxis->rescale(true);
    if (autoY_) yAxis->rescale(true);
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
    if (!autoscale) a->setRange(min, max);
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
