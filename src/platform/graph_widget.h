// A graph: XY line plots and filled rectangles, drawn under numbered vertical cursors. The class
// name GraphWidget also stands in the panel file, where the loader makes one for it: renaming the
// class means editing the .ui file too.
//
// Plots and rectangles get handles from 1 upwards (never reused by one graph). Cursors are not
// plots: deleting plots leaves them. Cursor n (from 1) is drawn, once placed, as a vertical line
// from y = 0 up to its y at its x, ending in a small diamond.
//
// Both axes run from 0 to 1 until the panel file or the program sets them.
// Panel file properties: cursorCount (0 when absent), cursorColor (black when absent), and those of
// PlotBase.
#pragma once

#include <QColor>
#include <QVector>
#include <map>
#include <vector>

#include "plot_base.h"

namespace platform {

class GraphWidget : public PlotBase {
    Q_OBJECT
    Q_PROPERTY(int cursorCount READ cursorCount WRITE setCursorCount)
    Q_PROPERTY(QColor cursorColor READ cursorColor WRITE setCursorColor)

  public:
    static constexpr int kMaxCursors = 16;

    explicit GraphWidget(QWidget* parent = nullptr);

    // A line through the points in the given order of x (sorted by x). Returns the plot handle.
    int plotXY(const QVector<double>& x, const QVector<double>& y, const QColor& color);
    // A rectangle between two corners in any order, outlined and filled. Returns the handle.
    int plotRectangle(const QPointF& corner1, const QPointF& corner2, const QColor& outline,
                      const QColor& fill);
    // handle -1 deletes every plot and rectangle. False for an unknown handle.
    bool deletePlot(int handle);
    int plotCount() const { return static_cast<int>(plots_.size()); }

    int cursorCount() const { return static_cast<int>(cursors_.size()); }
    void setCursorCount(int count);  // clamped to 0..kMaxCursors
    QColor cursorColor() const { return cursorColor_; }
    void setCursorColor(const QColor& color);
    // False when cursor is not in 1..cursorCount() or a coordinate is not finite.
    bool setGraphCursor(int cursor, double x, double y);
    // A cursor never placed is at (0, 0).
    bool graphCursor(int cursor, double& x, double& y) const;

  private:
    struct Plot {
        QCPGraph* graph = nullptr;
        QCPItemRect* rect = nullptr;
    };
    struct Cursor {
        QCPItemLine* line = nullptr;
        double x = 0.0;
        double y = 0.0;
    };

    void removePlot(const Plot& plot);
    QPen cursorPen() const;

    std::map<int, Plot> plots_;
    int nextHandle_ = 1;
    std::vector<Cursor> cursors_;
    QColor cursorColor_ = Qt::black;
};

}  // namespace platform
