// Answers the program's modal file popup as a person would. Arm it before the action that opens
// the popup: once the popup is up it notes what the popup shows, then types the name into the
// file-name field and presses Enter, or clicks Cancel when the name is empty. A popup that stays
// open after Enter (a name it refuses) is cancelled, so a test fails instead of hanging; a popup
// that never comes within five seconds disarms the driver.
#pragma once

#include <QApplication>
#include <QDialogButtonBox>
#include <QElapsedTimer>
#include <QFileDialog>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>

namespace systest {

struct PopupSeen {
    bool shown = false;
    QString title, directory, proposedName;
};

inline void CancelPopup(QFileDialog* dialog) {
    auto* box = dialog->findChild<QDialogButtonBox*>();
    QTest::mouseClick(box->button(QDialogButtonBox::Cancel), Qt::LeftButton);
}

inline void ActOnPopup(QFileDialog* dialog, const QString& name, PopupSeen* seen) {
    auto* edit = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
    if (seen != nullptr)
        *seen = {true, dialog->windowTitle(), dialog->directory().absolutePath(), edit->text()};
    if (name.isEmpty()) return CancelPopup(dialog);
    // With the focus elsewhere the popup would rewrite the field from its file list's selection.
    dialog->activateWindow();
    edit->setFocus();
    for (int i = 0; i < 100 && !edit->hasFocus(); ++i)
        QApplication::processEvents();
    edit->selectAll();
    QTest::keyClicks(edit, name);
    QTest::keyClick(edit, Qt::Key_Return);
    if (dialog->isVisible()) CancelPopup(dialog);
}

inline void AnswerFilePopup(const QString& name, PopupSeen* seen = nullptr) {
    auto* poll = new QTimer(qApp);
    auto* clock = new QElapsedTimer;
    clock->start();
    QObject::connect(poll, &QTimer::timeout, [poll, clock, name, seen] {
        QFileDialog* popup = nullptr;
        for (QWidget* w : QApplication::topLevelWidgets())
            if (auto* d = qobject_cast<QFileDialog*>(w);
                d != nullptr && d->objectName() == "FileSelectPopup" && d->isVisible())
                popup = d;
        if (popup == nullptr && clock->elapsed() < 5000) return;
        poll->stop();
        poll->deleteLater();
        delete clock;
        if (popup != nullptr) ActOnPopup(popup, name, seen);
    });
    poll->start(10);
}

}  // namespace systest
