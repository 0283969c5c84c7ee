// Answers the program's modal file popup as a person would; arm it before the action that opens it.
// Notes what the popup shows, types the name and presses Enter, or Escape for an empty name or a
// name the popup refuses (so a test fails instead of hanging). Disarms after five seconds unused.
#pragma once

#include <QApplication>
#include <QFileDialog>
#include <QLineEdit>
#include <QTest>
#include <QTimer>

namespace systest {

struct PopupSeen {
    QString title, directory, proposedName;
};

inline void ActOnPopup(QFileDialog* popup, const QString& name, PopupSeen* seen) {
    auto* edit = popup->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
    if (seen != nullptr)
        *seen = {popup->windowTitle(), popup->directory().absolutePath(), edit->text()};
    if (!name.isEmpty()) {
        // With the focus elsewhere the popup would rewrite the field from its list's selection.
        popup->activateWindow();
        edit->setFocus();
        for (int i = 0; i < 100 && !edit->hasFocus(); ++i)
            QApplication::processEvents();
        edit->selectAll();
        QTest::keyClicks(edit, name);
        QTest::keyClick(edit, Qt::Key_Return);
    }
    if (popup->isVisible()) QTest::keyClick(popup, Qt::Key_Escape);
}

inline void AnswerFilePopup(const QString& name, PopupSeen* seen = nullptr) {
    auto* poll = new QTimer(qApp);
    QObject::connect(poll, &QTimer::timeout, [poll, name, seen, ticks = 0]() mutable {
        auto* popup = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        if (popup == nullptr && ++ticks < 500) return;
        poll->stop();
        poll->deleteLater();
        if (popup != nullptr) ActOnPopup(popup, name, seen);
    });
    poll->start(10);
}

}  // namespace systest
