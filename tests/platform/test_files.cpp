// Array files and the file selection popup, driven the way a person would.
#include <sys/resource.h>

#include <QApplication>
#include <QDialogButtonBox>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <array>
#include <csignal>
#include <cstdint>
#include <functional>

#include "arrayfile.h"
#include "ui_test_support.h"

using namespace platform;

namespace {

QByteArray Contents(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

void Write(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

TEST(ArrayFile, RoundTripWritesRightAlignedFieldsAndReplacesTheFile) {
    QTemporaryDir dir;
    const std::string path = dir.filePath("TAVRpara.dat").toStdString();
    const std::array<std::uint32_t, 4> values{500, 0, 65535, 4294967295u};
    ASSERT_EQ(ArrayToFile(path, values.data(), 4, 5), kFileOk);
    EXPECT_EQ(Contents(dir.filePath("TAVRpara.dat")), "  500\n    0\n65535\n4294967295\n");
    std::array<std::uint32_t, 4> back{};
    ASSERT_EQ(FileToArray(path, back.data(), 4), kFileOk);
    EXPECT_EQ(back, values);

    ASSERT_EQ(ArrayToFile(path, values.data(), 2, 5), kFileOk);  // replaced, never appended
    EXPECT_EQ(Contents(dir.filePath("TAVRpara.dat")), "  500\n    0\n");
}

TEST(ArrayFile, BadFilesAreRefusedAndLeaveTheValuesAlone) {
    QTemporaryDir dir;
    QByteArray garbage(4096, '\0');
    for (int i = 0; i < garbage.size(); ++i)
        garbage[i] = static_cast<char>((i * 7919) % 256);
    struct Case {
        const char* name;
        QByteArray content;
        int expect;
    };
    const Case cases[] = {{"short", "1 2", kFileTooFewValues},
                          {"empty", "", kFileTooFewValues},
                          {"word", "1 x 3", kFileBadValue},
                          {"negative", "1 -2 3", kFileBadValue},
                          {"too big", "1 4294967296 3", kFileBadValue},
                          {"long", "1 99999999999999999999999999999999999999999 3", kFileBadValue},
                          {"binary", garbage, kFileBadValue},
                          {"extra ignored", "\r\n 1\t2\r\n0000000000003 junk", kFileOk}};
    for (const Case& c : cases) {
        const QString path = dir.filePath(QString::fromLatin1(c.name));
        Write(path, c.content);
        std::array<std::uint32_t, 3> values{9, 9, 9};
        EXPECT_EQ(FileToArray(path.toStdString(), values.data(), 3), c.expect) << c.name;
        if (c.expect != kFileOk) {
            EXPECT_EQ(values, (std::array<std::uint32_t, 3>{9, 9, 9})) << c.name;
        }
    }
    std::uint32_t v = 0;
    EXPECT_EQ(FileToArray(dir.filePath("absent").toStdString(), &v, 1), kFileCannotOpen);
    EXPECT_EQ(FileToArray(dir.path().toStdString(), &v, 1), kFileCannotOpen);
}

// A write that fails half-way (here: the file size limit, which binds root as well) keeps the old
// file and leaves no temporary file behind.
TEST(ArrayFile, FailedWriteKeepsTheOldFile) {
    QTemporaryDir dir;
    const QString path = dir.filePath("TAVRpara.dat");
    Write(path, "old\n");
    std::array<std::uint32_t, 16> values{};
    values.fill(65535);

    rlimit saved{};
    getrlimit(RLIMIT_FSIZE, &saved);
    rlimit tiny = saved;
    tiny.rlim_cur = 8;
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    setrlimit(RLIMIT_FSIZE, &tiny);
    const int result = ArrayToFile(path.toStdString(), values.data(), 16, 5);
    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, oldHandler);

    EXPECT_EQ(result, kFileWriteFailed);
    EXPECT_EQ(Contents(path), "old\n");
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{"TAVRpara.dat"});

    Write(dir.filePath("plain"), "x");
    EXPECT_EQ(ArrayToFile(dir.filePath("plain/TAVRpara.dat").toStdString(), values.data(), 16, 5),
              kFileCannotOpen);
    EXPECT_EQ(ArrayToFile(dir.path().toStdString(), values.data(), 16, 5), kFileCannotOpen);
}

// Acts on the popup, as a person would, once it is up.
void WhenPopupShows(std::function<void(QFileDialog*, QDialogButtonBox*)> act) {
    auto* poll = new QTimer;
    QObject::connect(poll, &QTimer::timeout, [poll, act] {
        for (QWidget* w : QApplication::topLevelWidgets()) {
            if (w->objectName() != "FileSelectPopup" || !w->isVisible()) continue;
            poll->deleteLater();
            poll->stop();
            auto* dialog = qobject_cast<QFileDialog*>(w);
            act(dialog, dialog->findChild<QDialogButtonBox*>());
            return;
        }
    });
    poll->start(10);
}

class FilePopupTest : public ::testing::Test {
  protected:
    void SetUp() override { test::EnsureToolkit(); }
    int popup(int button) {
        return engine.FileSelectPopup(dir.path().toStdString(), "TAVRpara.dat", "*.dat",
                                      "Tavrix-Series Parameter File", button, false, true, true,
                                      true, path);
    }
    Engine engine;
    QTemporaryDir dir;
    std::string path = "unchanged";
};

TEST_F(FilePopupTest, SaveTakesATypedNameAndAddsTheExtension) {
    QString title, acceptText, proposed;
    WhenPopupShows([&](QFileDialog* dialog, QDialogButtonBox* box) {
        title = dialog->windowTitle();
        acceptText = box->button(QDialogButtonBox::Save)->text();
        auto* edit = dialog->findChild<QLineEdit*>("fileNameEdit");
        proposed = edit->text();
        edit->selectAll();
        QTest::keyClicks(edit, "mine");
        QTest::keyClick(edit, Qt::Key_Return);
    });
    EXPECT_EQ(popup(VAL_OK_BUTTON), VAL_NEW_FILE_SELECTED);
    EXPECT_EQ(path, dir.filePath("mine.dat").toStdString());
    EXPECT_EQ(title, "Tavrix-Series Parameter File");
    EXPECT_EQ(proposed, "TAVRpara.dat");
    EXPECT_EQ(acceptText, "OK");
}

TEST_F(FilePopupTest, CancelChoosesNothingAndLoadPicksAnExistingFile) {
    WhenPopupShows([](QFileDialog*, QDialogButtonBox* box) {
        QTest::mouseClick(box->button(QDialogButtonBox::Cancel), Qt::LeftButton);
    });
    EXPECT_EQ(popup(VAL_SAVE_BUTTON), VAL_NO_FILE_SELECTED);
    EXPECT_EQ(path, "unchanged");

    Write(dir.filePath("TAVRpara.dat"), "1\n");
    QString loadText;
    WhenPopupShows([&](QFileDialog*, QDialogButtonBox* box) {
        loadText = box->button(QDialogButtonBox::Open)->text();
        QTest::mouseClick(box->button(QDialogButtonBox::Open), Qt::LeftButton);
    });
    EXPECT_EQ(popup(VAL_LOAD_BUTTON), VAL_EXISTING_FILE_SELECTED);
    EXPECT_EQ(path, dir.filePath("TAVRpara.dat").toStdString());
    EXPECT_EQ(loadText, "Load");
}

}  // namespace
