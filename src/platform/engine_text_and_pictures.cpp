// Text messages made at run time, and bitmaps in picture controls.
#include <QImageReader>
#include <QLabel>
#include <QPixmap>

#include "engine_impl.h"
#include "window_layout.h"

namespace platform {

int Engine::NewCtrl(int panel, int style, const std::string& label, int top, int left) {
    PanelRecord* record = impl_->panel(panel);
    if (record == nullptr) return kErrBadHandle;
    if (style != CTRL_TEXT_MSG) return kErrNotSupported;
    auto* text = new QLabel(PanelContent(record->window));
    text->setProperty(kTextMessageProperty, true);
    text->move(left, top);
    SetControlText(text, QString::fromStdString(label));
    text->show();  // appears with its panel
    return impl_->addControl(panel, text);
}

int Engine::DisplayImageFile(int panel, int control, const std::string& file) {
    QWidget* w = impl_->widget(panel, control);
    if (w == nullptr) return kErrBadHandle;
    auto* picture = qobject_cast<QLabel*>(w);
    if (picture == nullptr) return kErrNotSupported;
    QImageReader reader(ProjectFilePath(file));
    const QImage image = reader.read();
    if (image.isNull()) return kErrNoFile;
    // Scale for the screen's pixel density so the bitmap stays sharp on high-DPI screens.
    const qreal ratio = picture->devicePixelRatioF();
    const QSize area = picture->contentsRect().size();
    QPixmap pixmap = QPixmap::fromImage(image);
    if (!area.isEmpty()) {
        pixmap = pixmap.scaled(area * ratio, Qt::KeepAspectRatio, Qt::SmoothTransformation);
        pixmap.setDevicePixelRatio(ratio);
    }
    picture->setScaledContents(false);  // stretching would undo the kept shape
    picture->setPixmap(pixmap);
    return 0;
}

}  // namespace platform
