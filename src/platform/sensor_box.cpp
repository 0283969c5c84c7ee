// The sensor box's widgets.
#include "sensor_box.h"

#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QShortcut>
#include <QVBoxLayout>

#include "engine_impl.h"
#include "sensor_box_frame.h"

namespace platform {

namespace {

constexpr const char* kFrameName = "SensorBox";

int LampColor(Lamp lamp) {
    switch (lamp) {
        case Lamp::Online:
            return 0x2EAD4A;
        case Lamp::Busy:
            return 0xE0B020;
        case Lamp::NotAnswering:
        case Lamp::Unplugged:
        case Lamp::WrongDevice:
            return 0xD03030;
        case Lamp::NoPort:
            break;
    }
    return 0x909090;
}

QLabel* AddLabel(QVBoxLayout* layout, const char* name) {
    auto* label = new QLabel;
    label->setObjectName(QLatin1String(name));
    label->setWordWrap(true);
    label->setTextInteractionFlags(Qt::TextSelectableByMouse);
    layout->addWidget(label);
    return label;
}

}  // namespace

QWidget* NewSensorBoxFrame() {
    auto* frame = new QGroupBox(QStringLiteral("Sensor"));
    frame->setObjectName(QLatin1String(kFrameName));
    new QVBoxLayout(frame);
    return frame;
}

QWidget* FindSensorBoxFrame(QWidget* window) {
    return window != nullptr ? window->findChild<QWidget*>(QLatin1String(kFrameName)) : nullptr;
}

struct SensorBox::Impl {
    QPointer<QLabel> lamp, link, identity, memory, result, notice;
};

SensorBox::SensorBox(Engine& engine, int panel, SensorBoxCallback findSensor, void* data)
    : impl_(std::make_unique<Impl>()) {
    PanelRecord* record = engine.impl().panel(panel);
    QWidget* frame = FindSensorBoxFrame(record != nullptr ? record->window : nullptr);
    if (frame == nullptr) return;
    auto* layout = static_cast<QVBoxLayout*>(frame->layout());
    auto* top = new QHBoxLayout;
    impl_->lamp = new QLabel;
    impl_->lamp->setObjectName(QStringLiteral("SensorLamp"));
    impl_->lamp->setFixedSize(14, 14);
    top->addWidget(impl_->lamp);
    impl_->link = new QLabel;
    impl_->link->setObjectName(QStringLiteral("SensorLink"));
    top->addWidget(impl_->link, 1);
    auto* find = new QPushButton(QStringLiteral("Find sensor"));
    find->setObjectName(QStringLiteral("SensorFind"));
    find->setToolTip(QStringLiteral("Identify the sensor on the chosen port again (Ctrl+I)"));
    top->addWidget(find);
    layout->addLayout(top);
    Engine::Impl* engineImpl = &engine.impl();
    QObject::connect(find, &QPushButton::clicked, frame, [engineImpl, findSensor, data] {
        CallbackScope scope(*engineImpl);
        findSensor(data);
    });
    auto* shortcut = new QShortcut(QKeySequence(QStringLiteral("Ctrl+I")), record->window);
    QObject::connect(shortcut, &QShortcut::activated, find, &QPushButton::click);
    impl_->identity = AddLabel(layout, "SensorIdentity");
    impl_->memory = AddLabel(layout, "SensorMemory");
    impl_->result = AddLabel(layout, "SensorResult");
    impl_->notice = AddLabel(layout, "SensorNotice");
}

SensorBox::~SensorBox() = default;

void SensorBox::Show(const SensorBoxText& text) {
    Impl& b = *impl_;
    if (!b.lamp) return;
    const QColor color = ToColor(LampColor(text.lamp));
    b.lamp->setStyleSheet(QStringLiteral("background: %1; border-radius: 7px;").arg(color.name()));
    b.lamp->setAccessibleName(QString::fromStdString(text.link));
    const auto set = [](QLabel* label, const std::string& value) {
        label->setText(QString::fromStdString(value));
        label->setVisible(!value.empty());
    };
    set(b.link, text.link);
    set(b.identity, text.identity);
    set(b.memory, text.memory);
    set(b.result, text.result);
    set(b.notice, text.notice);
}

}  // namespace platform
