// Answers the program's modal file popup as a person would (arm it before the action that opens
// it): notes what it shows, types the name and presses Enter, or Escape for an empty or refused
// name so a test fails instead of hanging. Disarms after five seconds unused. Also the parameter
// record helpers the parameter tests share.
#pragma once

#include <QApplication>
#include <QFileDialog>
#include <QLineEdit>
#include <QTest>
#include <QTimer>

#include "com232.h"

namespace systest {

using Record = std::array<u16, PNUM>;

inline Record Packed(::State s) {  // the parameter variables as Send would pack them
    CopyVarsToPP(s);
    return s.pp;
}

inline void TypeAndEnter(auto* field, const QString& text) {  // over all it held, then Enter
    field->setFocus();
    for (int i = 0; i < 100 && !field->hasFocus(); ++i)
        QApplication::processEvents();
    field->selectAll();
    QTest::keyClicks(field, text);
    QTest::keyClick(field, Qt::Key_Return);
}

struct PopupSeen {
    QString title, directory, proposedName;
};

inline void ActOnPopup(QFileDialog* popup, const QString& name, PopupSeen* seen) {
    auto* edit = popup->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
    if (seen != nullptr)
        *seen = {popup->windowTitle(), popup->directory().absolutePath(), edit->text()};
    if (!name.isEmpty()) {  // with the focus elsewhere the popup rewrites the field from its list
        popup->activateWindow();
        TypeAndEnter(edit, name);
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
