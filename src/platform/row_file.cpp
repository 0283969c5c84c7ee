#include "row_file.h"

#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <cerrno>

#include "file_failure.h"
#include "output_target.h"

namespace platform {

struct RowFile::Impl {
    QFile file;
    qint64 whole = 0;  // bytes up to the end of the latest complete Append
    QString error;
};

RowFile::RowFile() : impl_(std::make_unique<Impl>()) {}

RowFile::~RowFile() {
    Close();
}

RowFileResult RowFile::Open(const std::string& path) {
    Close();
    impl_->file.setFileName(QString::fromStdString(path));
    impl_->whole = 0;
    if (!MayWriteTo(path)) {
        impl_->error = QString::fromLatin1(kNotRegularText);
        return RowFileResult::CannotOpen;
    }
    // Unbuffered: every Append is one write to the system, nothing waits inside the process.
    if (!impl_->file.open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Unbuffered)) {
        impl_->error = impl_->file.errorString();
        return RowFileResult::CannotOpen;
    }
    return RowFileResult::Ok;
}

RowFileResult RowFile::Append(const std::string& rows) {
    if (!impl_->file.isOpen()) return RowFileResult::NotOpen;
    const auto size = static_cast<qint64>(rows.size());
    if (impl_->file.write(rows.data(), size) == size) {
        impl_->whole += size;
        return RowFileResult::Ok;
    }
    const int errorNumber = errno;  // before anything else can change it
    impl_->error = QString::fromStdString(FailureText(impl_->file, errorNumber));
    impl_->file.resize(impl_->whole);  // shrinking is allowed even when the disk is full
    impl_->file.close();
    return RowFileResult::WriteFailed;
}

void RowFile::Close() {
    if (impl_->file.isOpen()) impl_->file.close();
}

bool RowFile::IsOpen() const {
    return impl_->file.isOpen();
}

std::string RowFile::ErrorText() const {
    return impl_->error.toStdString();
}

std::string SaveTextFile(const std::string& path, const std::string& text) {
    if (!MayWriteTo(path)) return kNotRegularText;
    QSaveFile file(QString::fromStdString(path));
    if (!file.open(QIODevice::WriteOnly)) return file.errorString().toStdString();
    const auto size = static_cast<qint64>(text.size());
    if (file.write(text.data(), size) != size || !file.commit())
        return file.errorString().toStdString();
    return {};
}

std::string LoadTextFile(const std::string& path, std::string& text, long long maxBytes) {
    const QString name = QString::fromStdString(path);
    const QFileInfo info(name);
    if (info.exists() && !info.isFile()) return kNotRegularText;
    QFile file(name);
    if (!file.open(QIODevice::ReadOnly)) return file.errorString().toStdString();
    const QByteArray bytes = file.read(maxBytes + 1);
    if (file.error() != QFileDevice::NoError) return file.errorString().toStdString();
    if (bytes.size() > maxBytes) return "longer than " + std::to_string(maxBytes) + " bytes";
    text = bytes.toStdString();
    return {};
}

long long UtcMilliseconds() {
    return QDateTime::currentMSecsSinceEpoch();
}

}  // namespace platform
