// The common ground of the graph and the strip chart: a QCustomPlot whose redraws are coalesced.
//
// Content changes only mark the plot dirty. The redraw follows on a short single-shot timer, at
// most about 60 times a second, so a loop that changes a plot a thousand times a second costs one
// redraw per frame; the plot is up to date once events have been dispatched for about 16 ms. A
// hidden plot is not drawn until it is shown. The draw buffers follow the screen's device pixel
// ratio, so text stays sharp on high-DPI screens.
//
// The mouse wheel zooms and a drag pans (the plot library's own interactions). A user's zoom or
// pan suspends the ranges the program sets until a double click restores them. A plot whose
// panel file names its axes for the reader (the string property "readout", "pixel;sample") shows
// the nearest point of its first curve at the mouse.
//
// Exports draw the plot at a size of their own, with a title line above it, in one go: nothing is
// painted on screen meanwhile, and the plot is laid out again for the screen afterwards.
//
// Panel file properties: xLabel, yLabel (axis titles) and xMin, xMax, yMin, yMax (axis ranges).
#pragma once

#include <qcustomplot.h>
#include <QElapsedTimer>
#include <QTimer>

namespace platform {

class PlotBase : public QCustomPlot {
    Q_OBJECT
    Q_PROPERTY(QString xLabel READ xLabel WRITE setXLabel)
    Q_PROPERTY(QString yLabel READ yLabel WRITE setYLabel)
    Q_PROPERTY(double xMin READ xMin WRITE setXMin)
    Q_PROPERTY(double xMax READ xMax WRITE setXMax)
    Q_PROPERTY(double yMin READ yMin WRITE setYMin)
    Q_PROPERTY(double yMax READ yMax WRITE setYMax)

  public:
    static constexpr int kFrameMs = 16;
    static constexpr int kMinDelayMs = 2;  // from the first change to its redraw

    explicit PlotBase(QWidget* parent = nullptr);

    // The content changed: redraw at the next frame.
    void requestRedraw();
    bool redrawPending() const { return dirty_; }

    // axis: 0 the x axis, 1 the left y axis. Manual scaling needs finite min < max; autoscale
    // fits the axis to the data at every redraw. Returns false for a bad axis or range.
    bool setAxisScaling(int axis, bool autoscale, double min, double max);

    // A PNG of width x height pixels drawn at twice the pixel density, or a PDF of that size in
    // points halved, as vectors; `title` on a line above the plot. False when it cannot be written.
    bool exportPng(const QString& path, int width, int height, const QString& title);
    bool exportPdf(const QString& path, int width, int height, const QString& title);
    // True while a user's zoom or pan holds the view.
    bool userView() const { return userView_; }

    QString xLabel() const { return xAxis->label(); }
    QString yLabel() const { return yAxis->label(); }
    void setXLabel(const QString& label);
    void setYLabel(const QString& label);
    double xMin() const { return xAxis->range().lower; }
    double xMax() const { return xAxis->range().upper; }
    double yMin() const { return yAxis->range().lower; }
    double yMax() const { return yAxis->range().upper; }
    void setXMin(double v);
    void setXMax(double v);
    void setYMin(double v);
    void setYMax(double v);

  protected:
    bool event(QEvent* event) override;

  private:
    void beginUserView();
    void restoreView();
    void showReadout(QMouseEvent* event);
    template <class Draw>
    bool withTitle(const QString& title, Draw draw);

    void redrawNow();
    void followDevicePixelRatio();
    void fitTickCounts();

    QTimer redrawTimer_;
    QElapsedTimer sinceRedraw_;
    bool dirty_ = false;
    bool autoX_ = false;
    bool autoY_ = false;
    bool userView_ = false;
    QCPRange wantedX_, wantedY_;  // the program's ranges, while a user's view holds
};

}  // namespace platform
