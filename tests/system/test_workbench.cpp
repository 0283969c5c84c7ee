// The measurement workbench against the simulated sensor: what a recording holds, a recording
// ended by a full disk while Run goes on, a killed writer, the exports, and the targets every
// writer of the program refuses.
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QFileDialog>
#include <QImage>
#include <QMessageBox>
#include <QPushButton>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "child_process.h"
#include "com232.h"
#include "gui.h"
#include "harness.h"
#include "options.h"
#include "panel_ids.h"
#include "workbench.h"

namespace systest {
namespace {

struct Csv {
    int comments = 0;
    std::string columns;
    std::vector<std::vector<std::string>> rows;
    bool wholeLines = true;  // every line ends with CRLF
};

Csv ReadCsv(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    Csv csv;
    csv.wholeLines = text.empty() || text.ends_with("\r\n");
    std::istringstream lines(text);
    for (std::string line; std::getline(lines, line);) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.starts_with("#")) {
            ++csv.comments;
        } else if (csv.columns.empty()) {
            csv.columns = line;
        } else {
            std::vector<std::string> fields;
            std::istringstream cells(line);
            for (std::string f; std::getline(cells, f, ',');)
                fields.push_back(f);
            csv.rows.push_back(fields);
        }
    }
    return csv;
}

class WorkbenchTest : public ProgramTest {
  protected:
    void TearDown() override {
        delete timers_;
        ProgramTest::TearDown();
    }
    void Start(const std::string& options) {
        QStandardPaths::setTestModeEnabled(true);  // the folder used last goes to a test profile
        QSettings(QStringLiteral("Tavrix"), QStringLiteral("Tavrix-Didor"))
            .remove(QStringLiteral("workbench/csvFormat"));  // RFC 4180, as for a new user
        options_ = options;
        StartSensor(options);
        StartProgram();
    }
    void RunFor(int button, double seconds) {
        QTimer::singleShot(static_cast<int>(seconds * 1000), timers_,
                           [this] { QTest::mouseClick(Ctrl(ui::BTNStop), Qt::LeftButton); });
        Click(button);
    }
    // Calls `check` every millisecond while a loop runs.
    void Watch(std::function<void()> check) {
        auto* poll = new QTimer(timers_);
        QObject::connect(poll, &QTimer::timeout, poll, std::move(check));
        poll->start(1);
    }
    // Presses `button` and Stop once `done` holds (or after a minute, which fails the caller's
    // checks): loads and sanitizers slow the loops, so no count of cycles is bound to a time.
    void RunUntil(int button, std::function<bool()> done) {
        bool pressed = false;
        Watch([this, done, pressed]() mutable {
            if (pressed || !done()) return;
            pressed = true;
            QTest::mouseClick(Ctrl(ui::BTNStop), Qt::LeftButton);
        });
        RunFor(button, 60.0);
    }
    void RunCycles(int button, long cycles) {
        RunUntil(button, [this, cycles] { return bench().cycles >= cycles; });
    }
    std::vector<sim::Answer> Answers() { return ReplayedAnswers(sensor(), options_); }
    std::string File(const char* name) const { return dir_.filePath(name).toStdString(); }
    Workbench& bench() { return *p().workbench; }

    std::string options_;
    QObject* timers_ = new QObject;
    QTemporaryDir dir_;
};

TEST_F(WorkbenchTest, RecordingHoldsEveryAnswerDrawnInOrder) {
    Start("--baud 19200");
    EXPECT_FALSE(StartRecording(p(), File("no-such-folder/run.csv")));
    EXPECT_TRUE(Status().starts_with("Recording not started: ")) << Status();
    ASSERT_TRUE(StartRecording(p(), File("run.csv")));
    sensor().ClearLog();
    RunCycles(ui::BTNRun, 150);
    StopRecording(p());

    const Csv csv = ReadCsv(File("run.csv"));
    const auto answers = Answers();
    const size_t n = csv.rows.size();
    EXPECT_TRUE(n == answers.size() || n == answers.size() - 1) << n;  // one was in flight
    EXPECT_GE(n, 150u);
    EXPECT_EQ(csv.comments, 7);
    EXPECT_EQ(csv.columns + "\r\n", MeasurementColumns());
    EXPECT_EQ(Status(), "Recording ended: " + std::to_string(n) + " rows in run.csv");
    std::vector<std::uint16_t> values;
    for (size_t k = 0; k < n; ++k) {
        const auto& row = csv.rows[k];
        ASSERT_EQ(row.size(), 21u);
        ASSERT_EQ(row[0], std::to_string(k + 1));
        for (int i = 0; i < PNUM; ++i)
            ASSERT_EQ(row[3 + i], std::to_string(WordAt(answers[k].bytes.data(), 4 + 2 * i)));
        if (k > 0) {
            ASSERT_LE(std::stod(csv.rows[k - 1][2]), std::stod(row[2])) << k;
            ASSERT_LE(csv.rows[k - 1][1], row[1]) << k;  // ISO times sort as text
        }
        values.push_back(static_cast<std::uint16_t>(std::stoi(row[5])));
    }
    // The figures since Run began are those of the same answers.
    const SeriesFigures total = bench().stats.Get().total[kValue];
    EXPECT_EQ(total.count, long(n));
    double sum = 0;
    for (auto v : values)
        sum += v;
    EXPECT_NEAR(total.mean, sum / static_cast<double>(n), 1e-6);

    // Video adds the line image of each recorded cycle in the second file. Begun while Video
    // runs (mostly while a line image is read), it has no image row without its measurement row.
    Watch([this] {
        if (bench().cycles > 0 && !bench().recorder.On() &&
            bench().recorder.Path() == File("run.csv"))
            StartRecording(p(), File("video.csv"));
    });
    RunCycles(ui::BTNVideo, 5);
    StopRecording(p());
    const Csv cycles = ReadCsv(File("video.csv")), images = ReadCsv(File("video-image.csv"));
    ASSERT_GT(images.rows.size(), 2u);
    EXPECT_EQ(images.rows.front()[0], cycles.rows.front()[0]);
    EXPECT_EQ(images.rows.size(), cycles.rows.size());
    EXPECT_EQ(images.rows.back()[0], cycles.rows.back()[0]);
    ASSERT_EQ(images.rows.back().size(), 3u + 256u);
    for (int i = 0; i < 256; ++i)
        ASSERT_EQ(images.rows.back()[3 + i], std::to_string(p().adcbuf[i])) << i;
}

// The file-size limit stands for a full disk: set a little above the first rows written, it cuts
// the next write short.
TEST_F(WorkbenchTest, FullDiskEndsTheRecordingWithWholeRowsAndRunGoesOn) {
    Start("--baud 19200");
    rlimit saved{};
    getrlimit(RLIMIT_FSIZE, &saved);  // the program's start-up ignores the signal, not the test
    ASSERT_TRUE(StartRecording(p(), File("full.csv")));
    bool limited = false;
    long atFailure = 0;
    Watch([&] {
        if (!limited && bench().recorder.Rows() > 0) {
            rlimit small = saved;
            small.rlim_cur = rlim_t(std::ifstream(File("full.csv"), std::ios::ate).tellg()) + 1000;
            limited = setrlimit(RLIMIT_FSIZE, &small) == 0;
        }
        if (atFailure == 0 && !bench().recorder.On()) atFailure = sensor().RequestCount();
    });
    RunUntil(ui::BTNRun, [&] { return atFailure > 0 && sensor().RequestCount() > atFailure + 50; });
    setrlimit(RLIMIT_FSIZE, &saved);

    ASSERT_GT(atFailure, 0);
    EXPECT_GT(sensor().RequestCount(), atFailure + 50);  // Run went on
    const Csv csv = ReadCsv(File("full.csv"));
    EXPECT_TRUE(csv.wholeLines);
    EXPECT_GT(csv.rows.size(), 10u);
    for (const auto& row : csv.rows)
        ASSERT_EQ(row.size(), 21u);
    EXPECT_EQ(Status(), "Recording stopped: file size limit reached (" +
                            std::to_string(csv.rows.size()) + " rows kept)");
}

TEST_F(WorkbenchTest, AKilledWriterLeavesWholeRows) {
    const std::string path = File("killed.csv");
    const pid_t child = fork();
    if (child == 0) {
        Recorder recorder;
        recorder.Start(path, "# killed\r\n", 0);
        MeasurementRow row;
        for (long k = 1;; ++k) {
            row.cycle = k, row.seconds = static_cast<double>(k) * 0.01;
            recorder.AddMeasurement(MeasurementLine(row), row.seconds);
        }
    }
    ASSERT_GT(child, 0);
    for (int i = 0; i < 10000 && std::ifstream(path, std::ios::ate).tellg() < 400000; ++i)
        usleep(1000);
    kill(child, SIGKILL);
    waitpid(child, nullptr, 0);
    const Csv csv = ReadCsv(path);
    EXPECT_TRUE(csv.wholeLines);
    ASSERT_GT(csv.rows.size(), 1000u);
    for (size_t k = 0; k < csv.rows.size(); ++k) {
        ASSERT_EQ(csv.rows[k].size(), 21u) << k;
        ASSERT_EQ(csv.rows[k][0], std::to_string(k + 1));
    }
}

TEST_F(WorkbenchTest, ExportsTheShownGraphsAndTheLatestHundred) {
    Start("--baud 19200");
    RunCycles(ui::BTNRun, 120);
    const QSize onScreen = Ctrl(ui::STRIPRaw)->size();
    SaveGraphs(p(), File("g.png"));
    SaveGraphs(p(), File("g.pdf"));
    EXPECT_EQ(Ctrl(ui::STRIPRaw)->size(), onScreen);
    const struct {
        const char* graph;
        QSize size;  // a size of its own per graph, whatever the screen
    } pngs[] = {{"g-strip", QSize(kExportWidth, kExportHeight)},
                {"g-bar", QSize(kExportWidth, kBarExportHeight)}};
    for (const auto& [graph, size] : pngs) {
        EXPECT_EQ(QImage(dir_.filePath(graph + QStringLiteral(".png"))).size(), size) << graph;
        std::ifstream pdf(File(graph) + ".pdf");
        std::string magic(4, ' ');
        pdf.read(magic.data(), 4);
        EXPECT_EQ(magic, "%PDF") << graph;
    }
    CopyShownGraphs(p());
    EXPECT_FALSE(QApplication::clipboard()->image().isNull());

    SaveLatestCsv(p(), File("latest.csv"));
    const Csv csv = ReadCsv(File("latest.csv"));
    ASSERT_EQ(csv.rows.size(), 100u);
    EXPECT_EQ(csv.rows.back()[0], std::to_string(bench().cycles));
    EXPECT_EQ(csv.rows.back()[5], std::to_string(p().Mvalue));
    EXPECT_EQ(Status(), "100 measurements saved");

    // The dock's CSV list chooses the format of the file written next.
    auto* format = Ctrl(ui::BTNRun)->window()->findChild<QComboBox*>("WorkbenchCsvFormat");
    format->setCurrentIndex(1);
    SaveLatestCsv(p(), File("semicolon.csv"));
    std::ifstream semicolon(File("semicolon.csv"));
    const std::string text((std::istreambuf_iterator<char>(semicolon)), {});
    EXPECT_NE(text.find("# format: semicolon"), std::string::npos);
    EXPECT_NE(text.find("\ncycle;utc;seconds;Ledge;"), std::string::npos);
}

// The user's way: Ctrl+R asks for the file (the folder used last, a dated name); cancelling leaves
// Record off, choosing starts it, Ctrl+R again ends it.
TEST_F(WorkbenchTest, CtrlRAsksForTheFileAndTogglesRecording) {
    Start("--baud 19200");
    QWidget* panel = Ctrl(ui::BTNRun)->window();
    auto* record = panel->findChild<QPushButton*>(QStringLiteral("WorkbenchRecord"));
    panel->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(panel));
    auto dialog = [panel]() -> QDialog* {
        for (auto* d : panel->findChildren<QFileDialog*>(QStringLiteral("WorkbenchFileDialog")))
            if (d->isVisible()) return d;
        return nullptr;
    };
    QTest::keyClick(panel, Qt::Key_R, Qt::ControlModifier);
    ASSERT_NE(dialog(), nullptr);
    auto* files = static_cast<QFileDialog*>(dialog());
    EXPECT_TRUE(files->selectedFiles().value(0).contains(QStringLiteral("tavrix-record-")));
    dialog()->reject();
    EXPECT_FALSE(record->isChecked());

    QTest::keyClick(panel, Qt::Key_R, Qt::ControlModifier);
    ASSERT_NE(dialog(), nullptr);
    static_cast<QFileDialog*>(dialog())->selectFile(dir_.filePath(QStringLiteral("keys")));
    dialog()->accept();
    EXPECT_TRUE(record->isChecked());
    EXPECT_EQ(Status(), "Recording to keys.csv");
    QTest::keyClick(panel, Qt::Key_R, Qt::ControlModifier);
    EXPECT_FALSE(record->isChecked());
    EXPECT_EQ(Status(), "Recording ended: 0 rows in keys.csv");

    // Choosing it again asks whether to replace it, without a loop of its own that would hold up
    // a running Run: accept() returns with the question open.
    QTest::keyClick(panel, Qt::Key_R, Qt::ControlModifier);
    static_cast<QFileDialog*>(dialog())->selectFile(dir_.filePath(QStringLiteral("keys.csv")));
    dialog()->accept();
    auto* question = panel->findChild<QMessageBox*>(QStringLiteral("WorkbenchReplaceQuestion"));
    ASSERT_NE(question, nullptr);
    EXPECT_TRUE(question->isVisible() && record->isChecked());
    question->button(QMessageBox::Yes)->click();
    EXPECT_EQ(Status(), "Recording to keys.csv");
}

namespace fs = std::filesystem;

// A target of each kind at `path`; "link" points to a regular file beside it.
void MakeTarget(const std::string& kind, const std::string& path) {
    if (kind == "regular" || kind == "link")
        std::ofstream(kind == "link" ? path + ".real" : path) << "old";
    if (kind == "link") fs::create_symlink(path + ".real", path);
    if (kind == "fifo") {
        ASSERT_EQ(mkfifo(path.c_str(), 0600), 0);
    }
    if (kind == "directory") fs::create_directory(path);
    // A null device of our own where that is allowed; else a link to the system's.
    if (kind == "device" && mknod(path.c_str(), S_IFCHR | 0600, makedev(1, 3)) != 0)
        fs::create_symlink("/dev/null", path);
}

// The regular targets are written (a link stays a link, its target is written); a pipe, a device
// and a folder are refused with nothing touched, and nothing blocks on the pipe.
TEST_F(WorkbenchTest, EveryWriterRefusesTargetsThatAreNoRegularFile) {
    Start("--baud 19200");
    RunCycles(ui::BTNRun, 3);
    const auto cli = [](const std::string& args) {
        const std::string command =
            std::string("timeout 20 ") + TAVRIX_CLI + " " + args + " --port sim >/dev/null 2>&1";
        return std::system(command.c_str()) == 0;
    };
    const std::pair<const char*, std::function<bool(const std::string&)>> writers[] = {
        {"Record",
         [this](const std::string& t) {
             return StartRecording(p(), t) && (StopRecording(p()), true);
         }},
        {"Save parameters",
         [this](const std::string& t) {
             return p().file_name = t, WriteParaFile(p()) == platform::kFileOk;
         }},
        {"Save last 100",
         [this](const std::string& t) {
             SaveLatestCsv(p(), t);
             return Status().ends_with("measurements saved");
         }},
        {"Save graphs",  // the target is the strip chart's file
         [this](const std::string& t) {
             SaveGraphs(p(), t.substr(0, t.size() - std::string("-strip.png").size()) + ".png");
             return Status() == "Graphs saved";
         }},
        {"get -o", [cli](const std::string& t) { return cli("get --from ram -o " + t); }},
        {"run --csv", [cli](const std::string& t) { return cli("run --count 2 --csv " + t); }},
    };
    int n = 0;
    for (const auto& [writer, write] : writers)
        for (const std::string kind :
             {"regular", "missing", "link", "fifo", "device", "directory"}) {
            const std::string path = File(("t" + std::to_string(++n) + "-strip.png").c_str());
            MakeTarget(kind, path);
            const bool written = write(path);
            const std::string what = std::string(writer) + " onto " + kind;
            const fs::file_status after = fs::status(path);
            if (kind == "fifo" || kind == "device" || kind == "directory") {
                EXPECT_FALSE(written) << what;
                EXPECT_EQ(after.type(), kind == "fifo"     ? fs::file_type::fifo
                                        : kind == "device" ? fs::file_type::character
                                                           : fs::file_type::directory)
                    << what;
                continue;
            }
            EXPECT_TRUE(written) << what;
            EXPECT_EQ(after.type(), fs::file_type::regular) << what;
            EXPECT_EQ(fs::is_symlink(fs::symlink_status(path)), kind == "link") << what;
            std::ifstream in(kind == "link" ? path + ".real" : path);
            const std::string text((std::istreambuf_iterator<char>(in)), {});
            EXPECT_TRUE(!text.empty() && text != "old") << what;
        }
}

// "Publish to plant": without a broker named it stays off and says why; with one, Run's
// measurements reach a subscriber in order, a Send reaches it as the change log's entry, and
// turning it off leaves the retained state offline.
TEST_F(WorkbenchTest, PublishToPlantSendsRunsMeasurementsInOrder) {
    Start("--baud 19200");
    QWidget* panel = Ctrl(ui::BTNRun)->window();
    auto* publish = panel->findChild<QPushButton*>(QStringLiteral("WorkbenchPlant"));
    ASSERT_NE(publish, nullptr);
    unsetenv("TAVRIX_MQTT_URL");
    publish->click();
    EXPECT_FALSE(publish->isChecked());
    EXPECT_EQ(Status(), "Publish to plant: TAVRIX_MQTT_URL names no broker");

    testsupport::TestBroker broker(File(""));
    ASSERT_TRUE(broker.Start()) << broker.log();
    const std::string port = std::to_string(broker.port());
    testsupport::Child sub(
        {"mosquitto_sub", "-h", "127.0.0.1", "-p", port, "-v", "-t", "tavrix/bench/#"},
        File("sub"));
    Pump(0.3);
    setenv("TAVRIX_MQTT_URL", broker.url().c_str(), 1);
    setenv("TAVRIX_MQTT_SENSOR_ID", "bench", 1);
    publish->click();
    unsetenv("TAVRIX_MQTT_URL");
    unsetenv("TAVRIX_MQTT_SENSOR_ID");
    EXPECT_TRUE(publish->isChecked());
    EXPECT_EQ(Status(), "Publishing to plant: tavrix/bench/ on 127.0.0.1:" + port);
    RunCycles(ui::BTNRun, 20);
    Click(ui::BTNSend);
    publish->click();
    EXPECT_FALSE(publish->isChecked());

    const std::string measurement = "tavrix/bench/measurement ";
    const auto cycles = static_cast<std::size_t>(bench().cycles);
    EXPECT_TRUE(testsupport::WaitFor(
        [&] { return testsupport::Lines(File("sub"), measurement).size() >= cycles; }, 5));
    const auto lines = testsupport::Lines(File("sub"), measurement);
    ASSERT_EQ(lines.size(), cycles);
    for (std::size_t k = 0; k < cycles; ++k)
        ASSERT_NE(lines[k].find("\"cycle\":" + std::to_string(k + 1) + ","), std::string::npos)
            << lines[k];
    const auto events = testsupport::Lines(File("sub"), "tavrix/bench/events ");
    ASSERT_EQ(events.size(), 1u);
    EXPECT_NE(events[0].find("\"action\":\"send-ram\""), std::string::npos) << events[0];
    const auto states = testsupport::Lines(File("sub"), "tavrix/bench/state ");
    ASSERT_FALSE(states.empty());
    EXPECT_NE(states.back().find("\"link\":\"offline\""), std::string::npos) << states.back();
}

}  // namespace
}  // namespace systest
