// Reading a drawn plot back: the plot's image and whether a colour lies near a point given in the
// plot's own coordinates. Lines are thin and may be smoothed, so a match within `reach` pixels
// counts.
#pragma once

#include <qcustomplot.h>

#include <QImage>
#include <cmath>
#include <functional>

namespace testsupport {

using ColourTest = std::function<bool(const QColor&)>;

// The plot as it is drawn now.
inline QImage DrawnPlot(QCustomPlot* plot) {
    plot->replot(QCustomPlot::rpImmediateRefresh);
    return plot->grab().toImage();
}

inline bool ColourNear(const QImage& image, QCustomPlot* plot, double x, double y,
                       const ColourTest& colour, int reach = 1) {
    const qreal ratio = image.devicePixelRatio();
    const int px = qRound(plot->xAxis->coordToPixel(x) * ratio);
    const int py = qRound(plot->yAxis->coordToPixel(y) * ratio);
    reach *= static_cast<int>(std::ceil(ratio));
    for (int dx = -reach; dx <= reach; ++dx)
        for (int dy = -reach; dy <= reach; ++dy)
            if (colour(image.pixelColor(px + dx, py + dy))) return true;
    return false;
}

// A colour of the same pure hue as `want` (each channel full or off), smoothing allowed.
inline ColourTest HueOf(const QColor& want) {
    return [want](const QColor& c) {
        const int top = std::max({want.red(), want.green(), want.blue()});
        auto fits = [top](int got, int w) { return w == top ? got >= top * 3 / 4 : got < 128; };
        return fits(c.red(), want.red()) && fits(c.green(), want.green()) &&
               fits(c.blue(), want.blue());
    };
}

}  // namespace testsupport
