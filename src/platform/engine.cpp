// The engine object and the registry of panels and controls.
#include <QCoreApplication>
#include <QDir>
#include <QVariant>

#include "engine_impl.h"

namespace platform {

Engine::Engine() : impl_(std::make_unique<Impl>()) {}
Engine::~Engine() = default;

Engine::Impl::Impl() {
    wakeTimer.setTimerType(Qt::PreciseTimer);
    wakeTimer.setSingleShot(true);
}

Engine::Impl::~Impl() {
    for (auto& [handle, record] : panels)
        delete record.window.data();
    for (auto& window : discarded)
        delete window.data();
    // deleteLater only acts inside an event loop; after the last one these are still alive.
    for (auto& window : released)
        delete window.data();
}

PanelRecord* Engine::Impl::panel(int handle) {
    auto it = panels.find(handle);
    return it == panels.end() || it->second.window.isNull() ? nullptr : &it->second;
}

const PanelRecord* Engine::Impl::panel(int handle) const {
    return const_cast<Engine::Impl*>(this)->panel(handle);
}

QWidget* Engine::Impl::widget(int panelHandle, int control) const {
    const PanelRecord* record = panel(panelHandle);
    if (record == nullptr || control < 1 || control >= static_cast<int>(record->controls.size()))
        return nullptr;
    return record->controls[static_cast<std::size_t>(control)].data();
}

int Engine::Impl::addPanel(QWidget* window, const std::vector<QWidget*>& controls) {
    const int handle = nextPanelHandle++;
    PanelRecord& record = panels[handle];
    record.window = window;
    record.controls.assign(controls.begin(), controls.end());
    watchPanel(handle, window);
    for (std::size_t id = 1; id < controls.size(); ++id)
        if (controls[id] != nullptr) wireControl(handle, static_cast<int>(id), controls[id]);
    return handle;
}

int Engine::Impl::addControl(int panelHandle, QWidget* control) {
    PanelRecord* record = panel(panelHandle);
    if (record == nullptr) return kErrBadHandle;
    const int id = static_cast<int>(record->controls.size());
    record->controls.emplace_back(control);
    wireControl(panelHandle, id, control);
    return id;
}

void Engine::Impl::discardPanel(int handle) {
    auto it = panels.find(handle);
    if (it == panels.end()) return;
    QPointer<QWidget> window = it->second.window;
    panels.erase(it);
    if (window.isNull()) return;
    window->hide();
    // A callback of this panel may still be further up the stack, inside a signal of one of its
    // widgets: destroy the window only after every callback has returned.
    discarded.push_back(window);
    if (callbackDepth == 0) releaseDiscarded();
}

void Engine::Impl::releaseDiscarded() {
    std::erase_if(released, [](const QPointer<QWidget>& w) { return w.isNull(); });
    for (auto& window : discarded) {
        if (window.isNull()) continue;
        window->deleteLater();
        released.push_back(window);
    }
    discarded.clear();
}

CallbackScope::~CallbackScope() {
    if (--impl_.callbackDepth == 0 && !impl_.discarded.empty()) impl_.releaseDiscarded();
}

QString ProjectFilePath(const std::string& file) {
    const QString name = QString::fromStdString(file);
    if (QDir::isAbsolutePath(name)) return name;
    return QDir(QCoreApplication::applicationDirPath()).filePath(name);
}

std::string Engine::GetProjectDir() const {
    return QCoreApplication::applicationDirPath().toStdString();
}

}  // namespace platform
