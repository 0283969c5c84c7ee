// Arrays of unsigned 32-bit integers in text files.
#include "arrayfile.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <algorithm>
#include <limits>
#include <vector>

#include "output_target.h"

namespace platform {

namespace {

constexpr int kMaxFieldWidth = 64;
// Array files are small; a larger one is refused, never read in part: a number cut at the limit
// would be taken as a smaller one.
constexpr qint64 kMaxReadBytes = 64 * 1024;

bool IsSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f';
}

enum class Token { End, Number, Bad };

// Reads the next white-space separated token of `text` from `at` as an unsigned decimal number
// of 32 bits.
Token NextNumber(const QByteArray& text, qsizetype& at, std::uint32_t& value) {
    while (at < text.size() && IsSpace(text[at]))
        ++at;
    if (at == text.size()) return Token::End;
    std::uint64_t v = 0;
    for (; at < text.size() && !IsSpace(text[at]); ++at) {
        const char c = text[at];
        if (c < '0' || c > '9') return Token::Bad;
        v = v * 10 + static_cast<std::uint64_t>(c - '0');
        if (v > std::numeric_limits<std::uint32_t>::max()) return Token::Bad;
    }
    value = static_cast<std::uint32_t>(v);
    return Token::Number;
}

}  // namespace

FileResult ArrayToFile(const std::string& path, const std::uint32_t* values, int count,
                       int fieldWidth) {
    if (count < 0 || (count > 0 && values == nullptr)) return kFileWriteFailed;
    if (!MayWriteTo(path)) return kFileNotRegular;
    QSaveFile file(QString::fromStdString(path));
    if (path.empty() || !file.open(QIODevice::WriteOnly)) return kFileCannotOpen;
    QByteArray text;
    fieldWidth = std::clamp(fieldWidth, 0, kMaxFieldWidth);
    for (int i = 0; i < count; ++i) {
        text += QByteArray::number(values[i]).rightJustified(fieldWidth, ' ');
        text += '\n';
    }
    // Without commit the temporary file is dropped and the old file stays. The explicit flush
    // matters: commit() does not notice a flush that wrote only part of the buffer.
    if (file.write(text) != text.size() || !file.flush()) return kFileWriteFailed;
    return file.commit() ? kFileOk : kFileWriteFailed;
}

FileResult FileToArray(const std::string& path, std::uint32_t* values, int count) {
    if (count < 0 || (count > 0 && values == nullptr)) return kFileBadValue;
    const QString name = QString::fromStdString(path);
    // A pipe or a device would block the open or the read until something writes to it.
    const QFileInfo info(name);
    if (info.exists() && !info.isFile()) return kFileNotRegular;
    QFile file(name);
    if (path.empty() || !file.open(QIODevice::ReadOnly)) return kFileCannotOpen;
    QByteArray text = file.read(kMaxReadBytes + 1);
    if (file.error() != QFileDevice::NoError) return kFileCannotOpen;
    if (text.size() > kMaxReadBytes) return kFileTooLarge;
    if (text.startsWith("\xEF\xBB\xBF")) text.remove(0, 3);  // the mark some editors write
    qsizetype at = 0;
    std::vector<std::uint32_t> read(static_cast<std::size_t>(count));
    for (std::uint32_t& value : read) {
        const Token token = NextNumber(text, at, value);
        if (token == Token::Bad) return kFileBadValue;
        if (token == Token::End) return kFileTooFewValues;
    }
    std::copy(read.begin(), read.end(), values);
    return kFileOk;
}

}  // namespace platform
