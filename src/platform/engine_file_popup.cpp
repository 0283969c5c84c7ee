// The modal file selection popup.
#include <QApplication>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QPushButton>
#include <QToolButton>

#include "engine_impl.h"
#include "settings.h"

namespace platform {

namespace {

constexpr const char* kFolderKey = "files/lastFolder";

// The folder the user chose from last time, where the dialog may leave the program's folder.
QString StartFolder(const QString& directory, bool restrictDirectory) {
    if (restrictDirectory) return directory;
    const QString last = UserSettings().value(QLatin1String(kFolderKey)).toString();
    return !last.isEmpty() && QFileInfo(last).isDir() ? last : directory;
}

QString AcceptLabel(int button) {
    switch (button) {
        case VAL_SAVE_BUTTON:
            return QStringLiteral("Save");
        case VAL_LOAD_BUTTON:
            return QStringLiteral("Load");
        default:
            return QStringLiteral("OK");
    }
}

// ".dat" from "*.dat"; empty for patterns without a single plain extension.
QString ExtensionOf(const QString& typeList) {
    const QString pattern = typeList.trimmed();
    if (!pattern.startsWith(QLatin1String("*.")) || pattern.size() < 3) return {};
    const QString ext = pattern.mid(1);
    return ext.contains(QLatin1Char('*')) || ext.contains(QLatin1Char(' ')) ? QString() : ext;
}

void ConfigureButtons(QFileDialog& dialog, bool allowCancel, bool allowMakeDirectory) {
    if (auto* box = dialog.findChild<QDialogButtonBox*>())
        if (QPushButton* cancel = box->button(QDialogButtonBox::Cancel))
            cancel->setVisible(allowCancel);
    if (!allowMakeDirectory)
        if (auto* newFolder = dialog.findChild<QToolButton*>(QStringLiteral("newFolderButton")))
            newFolder->hide();
}

}  // namespace

int Engine::FileSelectPopup(const std::string& directory, const std::string& defaultName,
                            const std::string& typeList, const std::string& title, int buttonLabel,
                            bool restrictDirectory, bool restrictExtension, bool allowCancel,
                            bool allowMakeDirectory, std::string& path) {
    const QString startDir = StartFolder(QString::fromStdString(directory), restrictDirectory);
    const QString pattern = QString::fromStdString(typeList);
    const QString extension = ExtensionOf(pattern);
    const bool load = buttonLabel == VAL_LOAD_BUTTON;

    QFileDialog dialog(QApplication::activeWindow(), QString::fromStdString(title), startDir);
    dialog.setObjectName(QStringLiteral("FileSelectPopup"));
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setOption(QFileDialog::DontConfirmOverwrite);  // the program replaces the file
    dialog.setAcceptMode(load ? QFileDialog::AcceptOpen : QFileDialog::AcceptSave);
    dialog.setFileMode(load ? QFileDialog::ExistingFile : QFileDialog::AnyFile);
    QStringList filters{pattern.isEmpty() ? QStringLiteral("*") : pattern};
    if (!restrictExtension) filters << QStringLiteral("*");
    dialog.setNameFilters(filters);
    dialog.setLabelText(QFileDialog::Accept, AcceptLabel(buttonLabel));
    dialog.selectFile(QString::fromStdString(defaultName));
    ConfigureButtons(dialog, allowCancel, allowMakeDirectory);
    if (restrictDirectory)
        QObject::connect(&dialog, &QFileDialog::directoryEntered, &dialog,
                         [&dialog, startDir](const QString& dir) {
                             if (QFileInfo(dir) != QFileInfo(startDir))
                                 dialog.setDirectory(startDir);
                         });

    if (impl_->callbackDepth > 0) ++impl_->pumpCount;
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return VAL_NO_FILE_SELECTED;
    QString chosen = QFileInfo(dialog.selectedFiles().constFirst()).absoluteFilePath();
    if (!load && restrictExtension && !extension.isEmpty() &&
        !chosen.endsWith(extension, Qt::CaseInsensitive))
        chosen += extension;
    UserSettings().setValue(QLatin1String(kFolderKey), QFileInfo(chosen).absolutePath());
    path = chosen.toStdString();
    return QFileInfo::exists(chosen) ? VAL_EXISTING_FILE_SELECTED : VAL_NEW_FILE_SELECTED;
}

}  // namespace platform
