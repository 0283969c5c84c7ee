#include "headless.h"

#include <QByteArray>
#include <QString>
#include <QtGlobal>
#include <cstdio>

namespace platform {

namespace {

// Scripts read standard error as one line per failure of the program's own: the toolkit's notes
// about its environment (no runtime directory, fonts) would be read as failures, so only its
// critical and fatal messages pass.
void KeepSeriousMessages(QtMsgType type, const QMessageLogContext&, const QString& message) {
    if (type == QtCriticalMsg || type == QtFatalMsg)
        std::fprintf(stderr, "%s\n", message.toLocal8Bit().constData());
}

}  // namespace

struct HeadlessToolkit::State {
    QtMessageHandler previousHandler = nullptr;
    std::unique_ptr<Toolkit> toolkit;
};

HeadlessToolkit::HeadlessToolkit() : state_(std::make_unique<State>()) {
    // Chosen before the application object exists: it reads the platform once, at its start.
    qputenv("QT_QPA_PLATFORM", QByteArrayLiteral("offscreen"));
    state_->previousHandler = qInstallMessageHandler(KeepSeriousMessages);
    state_->toolkit = std::make_unique<Toolkit>();
}

HeadlessToolkit::~HeadlessToolkit() {
    state_->toolkit.reset();
    qInstallMessageHandler(state_->previousHandler);
}

bool HeadlessToolkit::ok() const {
    return state_->toolkit->ok();
}

}  // namespace platform
