// The parameter file through Send and Get with the File target and the two file popups: what the
// popups offer, the round trip of all 16 words, replacing, the low 16 bits, refused files and
// targets that cannot be written.
#include <sys/resource.h>

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <csignal>

#include "com232.h"
#include "file_popup_driver.h"
#include "harness.h"
#include "panel_ids.h"

namespace systest {
namespace {

using sim::DefaultRecord, sim::kPower, sim::kPara12, sim::kPara13;
using Record = std::array<u16, PNUM>;

QByteArray Contents(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

QByteArray Text(const Record& r) {
    QByteArray text;
    for (u16 w : r)
        text += QByteArray::number(w) + ' ';
    return text;
}

class ParameterFile : public ProgramTest {
  protected:
    void SetUp() override {
        StartSensor("--baud 0");
        StartProgram();
        p().proj_dir = dir.path().toStdString();
    }
    QString Path(const QString& name) const { return dir.filePath(name); }
    void Write(const QString& name, const QByteArray& bytes) {
        QFile f(Path(name));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
    }
    void UseFile() {
        if (p().target != DATFILE) Click(ui::RBTFile);
    }
    PopupSeen Save(const QString& name) {
        UseFile();
        PopupSeen seen;
        AnswerFilePopup(name, &seen);
        Click(ui::BTNSend);
        return seen;
    }
    PopupSeen Load(const QString& name) {
        UseFile();
        PopupSeen seen;
        AnswerFilePopup(name, &seen);
        Click(ui::BTNGet);
        return seen;
    }
    void GetFromRam(const Record& ram) {
        if (p().target != RAM) Click(ui::RBTRam);
        sensor().SetRecords(ram, sensor().Eeprom());
        Click(ui::BTNGet);
    }
    Record Packed() {
        ::State s = p();
        CopyVarsToPP(s);
        return s.pp;
    }
    int Shown(int id) {
        int v = -1;
        engine_->GetCtrlVal(p().pHandle, id, v);
        return v;
    }
    QTemporaryDir dir;
};

TEST_F(ParameterFile, PopupsOfferTheDefaultNameInTheProgramDirectory) {
    const PopupSeen save = Save("");  // cancelled
    EXPECT_TRUE(save.shown);
    EXPECT_EQ(save.title, "Tavrix-Series Parameter File");
    EXPECT_EQ(save.proposedName, "TAVRpara.dat");
    EXPECT_EQ(save.directory, QDir(dir.path()).absolutePath());
    EXPECT_EQ(Status(), "Transmit...");
    EXPECT_TRUE(QDir(dir.path()).isEmpty());

    // A cancelled load leaves the state and refreshes the panel from it.
    const Record before = Packed();
    const std::string status = p().szStatus;
    EnterValue(ui::NUMPower, 777);
    const PopupSeen load = Load("");
    EXPECT_EQ(load.title, "Tavrix-Parameter-File");
    EXPECT_EQ(load.proposedName, "TAVRpara.dat");
    EXPECT_EQ(load.directory, save.directory);
    EXPECT_EQ(Packed(), before);
    EXPECT_EQ(Shown(ui::NUMPower), before[kPower]);
    EXPECT_EQ(Status(), status);
}

TEST_F(ParameterFile, SaveAndLoadGiveBackAllSixteenWords) {
    const Record saved{900,  1,   700, 7, 0,      3,      100,  1000,
                       4000, 250, 1,   2, 0xBEEF, 0xFFFF, 1000, 1280};
    GetFromRam(saved);
    Save("round");  // the popup adds ".dat"
    EXPECT_EQ(p().file_name, Path("round.dat").toStdString());
    EXPECT_EQ(Contents(Path("round.dat")).simplified(), Text(saved).trimmed());
    EXPECT_EQ(Status(), "Transmit...");

    Record other = DefaultRecord();
    other[kPara12] = 1, other[kPara13] = 2;
    GetFromRam(other);
    Load("round.dat");
    EXPECT_EQ(p().pp, saved);
    EXPECT_EQ(Packed(), saved);
    EXPECT_EQ(Shown(ui::NUMTVal), 4000);
    EXPECT_EQ(Status(), "Parameter file loaded!");
}

TEST_F(ParameterFile, SavingAgainReplacesTheFile) {
    EnterValue(ui::NUMPower, 700);
    Save("TAVRpara.dat");
    const qint64 size = QFileInfo(Path("TAVRpara.dat")).size();
    EnterValue(ui::NUMPower, 800);
    Save("TAVRpara.dat");
    const QByteArray text = Contents(Path("TAVRpara.dat"));
    EXPECT_EQ(text.simplified().split(' ').size(), PNUM);
    EXPECT_TRUE(text.simplified().startsWith("800 "));
    EXPECT_EQ(text.size(), size);
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{"TAVRpara.dat"});
    Load("");  // the refresh after a cancelled load does not repeat the failure
    EXPECT_NE(Status(), "Error writing parameter file - nothing saved!");
}

TEST_F(ParameterFile, LoadKeepsLowSixteenBitsAndThePanelLimitsWhatItShows) {
    // vThd 20, tVal 65536, para12 70000, and a 17th number that does not count.
    Write("values.dat", "500 0 20 0 1 1 1 1024 65536 100\n0 1 70000 65535 0 1024 99\n");
    Load("values.dat");
    EXPECT_EQ(p().pp, (Record{500, 0, 20, 0, 1, 1, 1, 1024, 0, 100, 0, 1, 4464, 65535, 0, 1024}));
    EXPECT_EQ(p().vThd, 50);
    EXPECT_EQ(Shown(ui::NUMVideoThreshold), 50);
    EXPECT_EQ(p().tVal, 0);
    EXPECT_EQ(p().para12, 4464);
}

TEST_F(ParameterFile, BadFilesAreRefusedWithTheStateUnchanged) {
    QByteArray binary(512, '\0');
    for (int i = 0; i < binary.size(); ++i)
        binary[i] = static_cast<char>(i * 37);
    const std::pair<const char*, QByteArray> files[] = {
        {"short.dat", "500 0 512\n"},
        {"word.dat", "500 0 512 x 1 1 1 1024 512 100 0 1 0 0 0 1024\n"},
        {"negative.dat", "500 0 512 -1 1 1 1 1024 512 100 0 1 0 0 0 1024\n"},
        {"empty.dat", ""},
        {"binary.dat", binary},
    };
    const Record state = Packed(), record = p().pp;
    for (const auto& [name, content] : files) {
        Write(name, content);
        Load(name);
        EXPECT_EQ(Packed(), state) << name;
        EXPECT_EQ(p().pp, record) << name;
        EXPECT_TRUE(Status().ends_with("not loaded!")) << name << ": " << Status();
    }
    Write("good.dat", Text(state));
    Load("good.dat");
    EXPECT_EQ(Status(), "Parameter file loaded!");  // not the last refusal again
}

// Makes a directory read-only for root as well (the immutable flag), or by its mode bits where
// that flag is not allowed; undone at the end of the scope.
class ReadOnlyDirectory {
  public:
    explicit ReadOnlyDirectory(const QString& path) : path_(path) {
        immutable_ = QProcess::execute("chattr", {"+i", path_}) == 0;
        if (!immutable_) QFile::setPermissions(path_, QFile::ReadOwner | QFile::ExeOwner);
    }
    ~ReadOnlyDirectory() {
        if (immutable_) QProcess::execute("chattr", {"-i", path_});
        QFile::setPermissions(path_, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }
    bool holds() const { return !QFile(path_ + "/probe").open(QIODevice::WriteOnly); }

  private:
    QString path_;
    bool immutable_ = false;
};

TEST_F(ParameterFile, TargetThatCannotBeWrittenIsReportedAndKeepsTheOldFile) {
    Write("TAVRpara.dat", "old\n");
    // A full disk, by the file size limit (which binds root as well).
    rlimit saved{};
    getrlimit(RLIMIT_FSIZE, &saved);
    rlimit tiny = saved;
    tiny.rlim_cur = 8;
    const auto handler = std::signal(SIGXFSZ, SIG_IGN);
    setrlimit(RLIMIT_FSIZE, &tiny);
    Save("TAVRpara.dat");
    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, handler);
    EXPECT_EQ(Status(), "Error writing parameter file - nothing saved!");
    EXPECT_EQ(Contents(Path("TAVRpara.dat")), "old\n");
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{"TAVRpara.dat"});
    Load("");  // the refresh after a cancelled load does not repeat the failure
    EXPECT_NE(Status(), "Error writing parameter file - nothing saved!");

    ASSERT_TRUE(QDir(dir.path()).mkdir("locked"));
    Write("locked/TAVRpara.dat", "old\n");
    ReadOnlyDirectory locked(Path("locked"));
    if (!locked.holds()) GTEST_SKIP() << "cannot make a read-only directory here";
    Save(Path("locked/TAVRpara.dat"));
    EXPECT_EQ(Status(), "Cannot write parameter file - nothing saved!");
    EXPECT_EQ(Contents(Path("locked/TAVRpara.dat")), "old\n");
}

}  // namespace
}  // namespace systest
