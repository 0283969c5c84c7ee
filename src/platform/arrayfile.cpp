// Arrays of unsigned 32-bit integers in text files.
#include "arrayfile.h"

#include <QFile>
#include <QSaveFile>
#include <algorithm>
#include <limits>
#include <vector>

namespace platform {

namespace {

constexpr int kMaxFieldWidth = 64;

bool IsSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f';
}

enum class Token { End, Number, Bad };

// Reads the next white-space separated token as an unsigned decimal number of 32 bits. Reading
// stops at the first character that cannot belong to one, so no token is ever held in memory.
Token NextNumber(QFile& file, std::uint32_t& value) {
    char c = 0;
    do {
        if (!file.getChar(&c)) return Token::End;
    } while (IsSpace(c));
    std::uint64_t v = 0;
    do {
        if (c < '0' || c > '9') return Token::Bad;
        v = v * 10 + static_cast<std::uint64_t>(c - '0');
        if (v > std::numeric_limits<std::uint32_t>::max()) return Token::Bad;
    } while (file.getChar(&c) && !IsSpace(c));
    value = static_cast<std::uint32_t>(v);
    return Token::Number;
}

}  // namespace

int ArrayToFile(const std::string& path, const std::uint32_t* values, int count, int fieldWidth) {
    if (count < 0 || (count > 0 && values == nullptr)) return kFileWriteFailed;
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

int FileToArray(const std::string& path, std::uint32_t* values, int count) {
    if (count < 0 || (count > 0 && values == nullptr)) return kFileBadValue;
    QFile file(QString::fromStdString(path));
    if (path.empty() || !file.open(QIODevice::ReadOnly)) return kFileCannotOpen;
    std::vector<std::uint32_t> read;
    read.reserve(static_cast<std::size_t>(std::min(count, 4096)));
    while (static_cast<int>(read.size()) < count) {
        std::uint32_t v = 0;
        const Token token = NextNumber(file, v);
        if (token == Token::Bad) return kFileBadValue;
        if (token == Token::End)
            return file.error() == QFileDevice::NoError ? kFileTooFewValues : kFileCannotOpen;
        read.push_back(v);
    }
    std::copy(read.begin(), read.end(), values);
    return kFileOk;
}

}  // namespace platform
