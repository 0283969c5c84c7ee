#include "user_files.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

namespace platform {

std::string DataFolder() {
    const QString folder = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
    if (folder.isEmpty() || !QDir().mkpath(folder)) return "";
    return folder.toStdString();
}

std::string ChangeLogPath(const std::string& option) {
    if (!option.empty()) return option;
    const QString fromEnvironment = qEnvironmentVariable("TAVRIX_LOG");
    if (!fromEnvironment.isEmpty()) return fromEnvironment.toStdString();
    const std::string folder = DataFolder();
    return folder.empty() ? "changes.jsonl" : folder + "/changes.jsonl";
}

std::string UserName() {
    QString name = qEnvironmentVariable("USER");
    if (name.isEmpty()) name = qEnvironmentVariable("USERNAME");
    return name.toStdString();
}

std::string RotatedLogPath(const std::string& path) {
    const QFileInfo info(QString::fromStdString(path));
    const QString name = info.suffix().isEmpty() ? info.fileName() + ".1"
                                                 : info.completeBaseName() + ".1." + info.suffix();
    return QDir(info.path()).filePath(name).toStdString();
}

bool AppendChangeLine(const std::string& path, const std::string& line, std::string& error) {
    const QString file = QString::fromStdString(path);
    const QFileInfo info(file);
    QDir().mkpath(info.absolutePath());
    if (info.exists() && info.size() >= kChangeLogRotateBytes) {
        const QString old = QString::fromStdString(RotatedLogPath(path));
        QFile::remove(old);
        QFile::rename(file, old);
    }
    // Append maps to O_APPEND and Unbuffered to one write() per call: concurrent writers'
    // entries never interleave.
    QFile out(file);
    if (!out.open(QIODevice::WriteOnly | QIODevice::Append | QIODevice::Unbuffered)) {
        error = out.errorString().toStdString();
        return false;
    }
    const QByteArray bytes = QByteArray::fromStdString(line);
    if (out.write(bytes) != bytes.size()) {
        error = out.errorString().toStdString();
        return false;
    }
    return true;
}

}  // namespace platform
