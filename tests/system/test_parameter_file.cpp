// The parameter file through Send and Get with the File target and the two file popups.
#include <sys/resource.h>
#include <sys/stat.h>

#include <QDir>
#include <QProcess>
#include <QSpinBox>
#include <QTemporaryDir>

#include "file_popup_driver.h"
#include "harness.h"
#include "panel_ids.h"

namespace systest {
namespace {

QByteArray Text(const Record& r) {
    QByteArray text;
    for (u16 w : r)
        text += QByteArray::number(w) + ' ';
    return text.trimmed();
}

class ParameterFile : public ProgramTest {
  protected:
    void SetUp() override {
        StartSensor("--baud 19200");
        StartProgram();
        p().proj_dir = dir.path().toStdString();
    }
    QString Path(const QString& name) const { return dir.filePath(name); }
    QByteArray Contents(const QString& name) {
        QFile f(Path(name));
        return f.open(QIODevice::ReadOnly) ? f.readAll().simplified() : "<missing>";
    }
    void Write(const QString& name, const QByteArray& bytes) {
        QFile f(Path(name));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size());
    }
    PopupSeen Through(int button, const QString& name) {
        if (p().target != DATFILE) Click(ui::RBTFile);
        PopupSeen seen;
        AnswerFilePopup(name, &seen);
        Click(button);
        return seen;
    }
    QTemporaryDir dir;
};

TEST_F(ParameterFile, PopupsOfferTheDefaultNameInTheProgramDirectory) {
    const PopupSeen save = Through(ui::BTNSend, "");  // cancelled
    EXPECT_EQ((QStringList{save.title, save.proposedName, save.directory}),
              (QStringList{"Tavrix-Series Parameter File", "TAVRpara.dat",
                           QDir(dir.path()).absolutePath()}));
    EXPECT_TRUE(QDir(dir.path()).isEmpty());

    const Record before = Packed(p());
    EnterValue(ui::NUMPower, 777);
    const std::string status = Status();
    const PopupSeen load = Through(ui::BTNGet, "");
    EXPECT_EQ((QStringList{load.title, load.proposedName, load.directory}),
              (QStringList{"Tavrix-Parameter-File", "TAVRpara.dat", save.directory}));
    EXPECT_EQ(Packed(p()), before);
    EXPECT_EQ(CtrlAs<QSpinBox>(ui::NUMPower)->value(), 777);  // the unsent edit is kept
    EXPECT_EQ(Status(), status);
}

// The popups open where the user last chose a file, not in the program's directory.
TEST_F(ParameterFile, PopupsOpenInTheFolderChosenLast) {
    QTemporaryDir other;
    Through(ui::BTNSend, other.filePath(QStringLiteral("elsewhere.dat")));
    ASSERT_TRUE(QFile::exists(other.filePath(QStringLiteral("elsewhere.dat"))));
    const PopupSeen load = Through(ui::BTNGet, "");
    EXPECT_EQ(load.directory, QDir(other.path()).absolutePath());
}

// Refused files (short, not numbers, empty, binary) leave the state alone; the saved one loads.
TEST_F(ParameterFile, SavedRecordComesBackWholeAndBadFilesAreRefused) {
    const Record saved{900,  1,   700, 7, 0,      3,      100,  1000,
                       4000, 250, 1,   2, 0xBEEF, 0xFFFF, 1000, 1280};
    sensor().SetRecords(saved, saved);
    Click(ui::BTNGet);
    Through(ui::BTNSend, "round");  // the popup adds ".dat"
    EXPECT_EQ(p().file_name, Path("round.dat").toStdString());
    EXPECT_EQ(Contents("round.dat"), Text(saved));
    EXPECT_EQ(Status(), "Transmit...");

    Click(ui::RBTRam);
    sensor().SetRecords(sim::DefaultRecord(), saved);
    Click(ui::BTNGet);
    const Record state = Packed(p()), record = p().pp;
    const QByteArray tail = " 1 1 1 1024 512 100 0 1 0 0 0 1024";
    ASSERT_EQ(::mkfifo(Path("pipe.dat").toLocal8Bit().constData(), 0600), 0);
    for (const QByteArray& bad :
         {"500 0 512\n" + QByteArray(), "500 0 512 x" + tail, "500 0 512 -1" + tail, QByteArray(),
          "500 0 512 70000" + tail, QByteArray("\177ELF\0\1\377\200 12 7\n\0\0", 16),
          QByteArray("pipe")}) {
        if (bad == "pipe") {  // a named pipe would block the reader until something writes
            Through(ui::BTNGet, "pipe.dat");
            EXPECT_EQ(Status(), "Parameter file is not a regular file - not loaded!");
            continue;
        }
        Write("bad.dat", bad);
        Through(ui::BTNGet, "bad.dat");
        EXPECT_EQ(std::pair(Packed(p()), p().pp), std::pair(state, record)) << bad.toStdString();
        EXPECT_TRUE(Status().ends_with("not loaded!")) << bad.toStdString() << ": " << Status();
    }
    Write("bom.dat", "\xEF\xBB\xBF" + Text(saved));  // as some editors write it
    Through(ui::BTNGet, "bom.dat");
    EXPECT_EQ(std::pair(Packed(p()), p().pp), std::pair(saved, saved));
    EXPECT_EQ(Status(), "Parameter file loaded!");

    EnterValue(ui::NUMPower, 800);  // saving again replaces the file
    Through(ui::BTNSend, "round.dat");
    EXPECT_EQ(Contents("round.dat"), Text(Packed(p())));
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files),
              (QStringList{"bad.dat", "bom.dat", "round.dat"}));
}

TEST_F(ParameterFile, ThePanelLimitsWhatALoadedFileShows) {
    // vThd 20, and a 17th number that does not count.
    Write("values.dat", "500 0 20 0 1 1 1 1024 65535 100\n0 1 65534 65535 0 1024 99\n");
    Through(ui::BTNGet, "values.dat");
    EXPECT_EQ(p().pp,
              (Record{500, 0, 20, 0, 1, 1, 1, 1024, 65535, 100, 0, 1, 65534, 65535, 0, 1024}));
    EXPECT_EQ(p().vThd, 50);
    EXPECT_EQ(CtrlAs<QSpinBox>(ui::NUMVideoThreshold)->value(), 50);
}

// A full disk (by the file size limit, which binds root too) and a read-only folder (by the
// immutable flag, or by mode bits where that flag is not allowed).
TEST_F(ParameterFile, TargetThatCannotBeWrittenIsReportedAndKeepsTheOldFile) {
    Write("TAVRpara.dat", "old\n");
    rlimit saved{};
    getrlimit(RLIMIT_FSIZE, &saved);
    const rlimit tiny{8, saved.rlim_max};
    setrlimit(RLIMIT_FSIZE, &tiny);
    Through(ui::BTNSend, "TAVRpara.dat");
    setrlimit(RLIMIT_FSIZE, &saved);
    EXPECT_EQ(Status(), "Error writing parameter file - nothing saved!");
    EXPECT_EQ(Contents("TAVRpara.dat"), "old");
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{"TAVRpara.dat"});

    const QString locked = Path("locked");
    ASSERT_TRUE(QDir(dir.path()).mkdir("locked"));
    Write("locked/TAVRpara.dat", "old\n");
    const bool immutable = QProcess::execute("chattr", {"+i", locked}) == 0;
    QFile::setPermissions(locked, QFile::ReadOwner | QFile::ExeOwner);
    if (QFile(locked + "/probe").open(QIODevice::WriteOnly)) GTEST_SKIP() << "no read-only folder";
    Through(ui::BTNSend, locked + "/TAVRpara.dat");
    if (immutable) QProcess::execute("chattr", {"-i", locked});
    QFile::setPermissions(locked, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    EXPECT_EQ(Status(), "Cannot write parameter file - nothing saved!");
    EXPECT_EQ(Contents("locked/TAVRpara.dat"), "old");
}

}  // namespace
}  // namespace systest
