#include "desktop.h"

#include <QGuiApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QSessionManager>

#include "engine_impl.h"

namespace platform {

namespace {

std::string scriptedAnswer;
std::string lastQuestion;

int Scripted(const std::vector<std::string>& buttons) {
    for (std::size_t i = 0; i < buttons.size(); ++i)
        if (buttons[i] == scriptedAnswer) return static_cast<int>(i);
    return static_cast<int>(buttons.size()) - 1;
}

}  // namespace

int AskQuestion(Engine& engine, int panel, const std::string& title, const std::string& text,
                const std::vector<std::string>& buttons) {
    lastQuestion = text;
    if (buttons.empty()) return -1;
    if (!scriptedAnswer.empty()) return Scripted(buttons);
    const PanelRecord* record = engine.impl().panel(panel);
    QMessageBox box(QMessageBox::Question, QString::fromStdString(title),
                    QString::fromStdString(text), QMessageBox::NoButton,
                    record != nullptr ? record->window : nullptr);
    box.setObjectName(QStringLiteral("Question"));
    std::vector<QPushButton*> added;
    for (const std::string& b : buttons)
        added.push_back(box.addButton(QString::fromStdString(b), QMessageBox::ActionRole));
    box.setDefaultButton(added.front());
    box.setEscapeButton(added.back());
    box.exec();
    for (std::size_t i = 0; i < added.size(); ++i)
        if (box.clickedButton() == added[i]) return static_cast<int>(i);
    return static_cast<int>(added.size()) - 1;
}

void AnswerQuestionsWith(const std::string& button) {
    scriptedAnswer = button;
}

std::string LastQuestion() {
    return lastQuestion;
}

namespace {
void (*sessionEndCall)(void*) = nullptr;
void* sessionEndData = nullptr;
}  // namespace

void WhenSessionEnds(void (*call)(void* data), void* data) {
    sessionEndCall = call, sessionEndData = data;
    auto* app = qobject_cast<QGuiApplication*>(QCoreApplication::instance());
    if (app == nullptr) return;
    static QMetaObject::Connection connection;
    QObject::disconnect(connection);
    if (call == nullptr) return;
    connection = QObject::connect(app, &QGuiApplication::commitDataRequest, app,
                                  [](QSessionManager&) { EndSessionNow(); });
}

void EndSessionNow() {
    if (sessionEndCall != nullptr) sessionEndCall(sessionEndData);
}

}  // namespace platform
