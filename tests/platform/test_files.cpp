// Array files: the text layout, what a read accepts, and replacing the file whole. Refusals of
// short, non-numeric, empty and binary files are covered through the program's parameter file.
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <array>
#include <cstdint>

#include <gtest/gtest.h>

#include "arrayfile.h"
#include "toolkit.h"
#include "user_files.h"

using namespace platform;

namespace {

QByteArray Contents(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

void Write(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size());
}

// Numbers beyond 32 bits are refused rather than wrapped; any white space and trailing text pass.
TEST(ArrayFile, RoundTripReplacesTheFileAndReadRefusesOverflow) {
    QTemporaryDir dir;
    const QString path = dir.filePath("TAVRpara.dat");
    const std::array<std::uint32_t, 3> values{500, 65535, 4294967295u};
    ASSERT_EQ(ArrayToFile(path.toStdString(), values.data(), 3, 5), kFileOk);
    EXPECT_EQ(Contents(path), "  500\n65535\n4294967295\n");  // right-aligned fields
    ASSERT_EQ(ArrayToFile(path.toStdString(), values.data(), 2, 5), kFileOk);  // never appended
    EXPECT_EQ(Contents(path), "  500\n65535\n");

    const std::pair<QByteArray, int> cases[] = {
        {"  500\n65535\n4294967295\n", kFileOk},  // as written
        {"\r\n 500\t65535\r\n0004294967295 junk", kFileOk},
        {"1 4294967296 3", kFileBadValue},
        {"1 99999999999999999999999999999999999999999 3", kFileBadValue},
        // A number the 64 KiB limit would cut short ("1024" read as "10") is never read.
        {"1 2" + QByteArray(64 * 1024 - 5, ' ') + "1024", kFileTooLarge}};
    const std::array<std::uint32_t, 3> untouched{9, 9, 9};
    for (const auto& [content, expect] : cases) {
        Write(path, content);
        std::array<std::uint32_t, 3> back = untouched;
        EXPECT_EQ(FileToArray(path.toStdString(), back.data(), 3), expect) << content.constData();
        EXPECT_EQ(back, expect == kFileOk ? values : untouched);
    }
    std::uint32_t v = 0;
    EXPECT_EQ(FileToArray(dir.filePath("absent").toStdString(), &v, 1), kFileCannotOpen);
    EXPECT_EQ(FileToArray(dir.path().toStdString(), &v, 1), kFileNotRegular);
}

// A write that fails half-way (here: the file size limit, which binds root as well, set for a child
// process that ignores the signal as the program's start-up makes it) keeps the old file and leaves
// no temporary file behind.
TEST(ArrayFile, FailedWriteKeepsTheOldFile) {
    QTemporaryDir dir;
    const QString path = dir.filePath("TAVRpara.dat");
    Write(path, "old\n");
    std::array<std::uint32_t, 16> values{};
    values.fill(65535);

    const pid_t child = fork();
    if (child == 0) {
        const Toolkit toolkit;
        rlimit tiny{};
        getrlimit(RLIMIT_FSIZE, &tiny);
        tiny.rlim_cur = 8;
        setrlimit(RLIMIT_FSIZE, &tiny);
        _exit(-ArrayToFile(path.toStdString(), values.data(), 16, 5));
    }
    int status = 0;
    waitpid(child, &status, 0);
    ASSERT_TRUE(WIFEXITED(status)) << "ended by signal " << WTERMSIG(status);
    EXPECT_EQ(-WEXITSTATUS(status), kFileWriteFailed);
    EXPECT_EQ(Contents(path), "old\n");
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{"TAVRpara.dat"});
    EXPECT_EQ(ArrayToFile(dir.path().toStdString(), values.data(), 16, 5), kFileNotRegular);
}

}  // namespace

namespace {

// At the size limit the log moves aside to the one old file, replacing an older one; the entry
// goes to a fresh file.
TEST(ChangeLogFile, RotatesAtTheLimitKeepingOneOldFile) {
    QTemporaryDir dir;
    const QString log = dir.filePath(QStringLiteral("changes.jsonl"));
    const QString old = QString::fromStdString(RotatedLogPath(log.toStdString()));
    Write(old, "older\n");
    for (const long long size : {kChangeLogRotateBytes - 1, kChangeLogRotateBytes}) {
        QFile full(log);
        ASSERT_TRUE(full.open(QIODevice::WriteOnly) && full.resize(size));
        full.close();
        std::string error;
        ASSERT_TRUE(AppendChangeLine(log.toStdString(), "{}\n", error)) << error;
        const bool rotated = size >= kChangeLogRotateBytes;
        EXPECT_EQ(QFileInfo(log).size(), rotated ? 3 : size + 3) << size;
        EXPECT_EQ(QFileInfo(old).size(), rotated ? size : 6) << size;
    }
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files).size(), 2);
}

}  // namespace
