#include "lamp_view.h"

#include <QLabel>
#include <QPointer>

#include "engine_impl.h"
#include "window_layout.h"

namespace platform {

namespace {

// The free corner of the measurement group, right of the peak display.
constexpr QRect kPlace{118, 198, 206, 44};

QString StyleOf(LampLook look) {
    const char* colours = "background: #d8d8d8; color: #505050";
    if (look == LampLook::Good) colours = "background: #1f9d3a; color: white";
    if (look == LampLook::Bad) colours = "background: #d01c1c; color: white";
    if (look == LampLook::Neutral) colours = "background: #f0c040; color: black";
    return QStringLiteral("QLabel { %1; font-weight: bold; border-radius: 4px; }")
        .arg(QLatin1String(colours));
}

}  // namespace

struct ToleranceLampView::Impl {
    QPointer<QLabel> lamp;
    LampLook look = LampLook::Idle;
    QString text;
};

ToleranceLampView::ToleranceLampView(Engine& engine, int panel) : impl_(std::make_unique<Impl>()) {
    PanelRecord* record = engine.impl().panel(panel);
    if (record == nullptr) return;
    QWidget* content = PanelContent(record->window);
    auto* group = content->findChild<QWidget*>(QStringLiteral("groupMeasurement"));
    auto* lamp = new QLabel(group != nullptr ? group : content);
    lamp->setObjectName(QStringLiteral("ToleranceLamp"));
    lamp->setAlignment(Qt::AlignCenter);
    lamp->setGeometry(kPlace);
    lamp->setAccessibleDescription(QStringLiteral("Tolerance lamp"));
    impl_->lamp = lamp;
    impl_->text = QStringLiteral("?");  // differs from any text: the first Show draws
    Show(LampLook::Idle, "Idle");
    lamp->show();
}

ToleranceLampView::~ToleranceLampView() = default;

void ToleranceLampView::Show(LampLook look, const std::string& text) {
    QLabel* lamp = impl_->lamp;
    const QString words = QString::fromStdString(text);
    if (lamp == nullptr || (look == impl_->look && words == impl_->text)) return;
    if (look != impl_->look || impl_->text == QLatin1String("?"))
        lamp->setStyleSheet(StyleOf(look));
    lamp->setText(words);
    lamp->setAccessibleName(words);
    impl_->look = look;
    impl_->text = words;
}

}  // namespace platform
