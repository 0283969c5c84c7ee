// The event loop, ProcessSystemEvents and the clock.
#include <sys/resource.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QPushButton>
#include <QSocketNotifier>
#include <QTest>
#include <QTimer>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <thread>

#include "panel_ids.h"
#include "ui_test_support.h"

using namespace platform;

namespace {

double CpuSeconds() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    const auto seconds = [](const timeval& t) { return t.tv_sec + t.tv_usec / 1e6; };
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

class PumpTest : public test::FixturePanel {};

// A polling loop must sleep in the dispatcher, not spin a core.
TEST_F(PumpTest, PollingLoopDoesNotSpin) {
    settle();
    const double cpuStart = CpuSeconds();
    const double start = engine->Timer();
    long calls = 0;
    while (engine->Timer() - start < 2.0) {
        engine->ProcessSystemEvents();
        ++calls;
    }
    const double wall = engine->Timer() - start;
    const double share = (CpuSeconds() - cpuStart) / wall;
    std::printf("ProcessSystemEvents idle: %ld calls in %.2f s, %.1f %% of a core\n", calls, wall,
                100.0 * share);
    EXPECT_LT(share, 0.5);
    EXPECT_GT(calls, 100);  // it returns when idle instead of blocking
}

// Input written by another thread while the loop polls is dispatched (the latency is printed,
// not asserted).
TEST_F(PumpTest, DispatchesSocketInputWhilePolling) {
    int fds[2];
    ASSERT_EQ(pipe(fds), 0);
    QSocketNotifier notifier(fds[0], QSocketNotifier::Read);
    double seen = 0;
    QObject::connect(&notifier, &QSocketNotifier::activated, [&] {
        char c = 0;
        if (read(fds[0], &c, 1) == 1) seen = engine->Timer();
    });
    std::atomic<double> written{0};
    std::thread writer([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        written = engine->Timer();
        ASSERT_EQ(write(fds[1], "x", 1), 1);
    });
    for (const double end = engine->Timer() + 2.0; seen == 0 && engine->Timer() < end;)
        engine->ProcessSystemEvents();
    writer.join();
    EXPECT_GT(seen, 0);
    std::printf("input seen %.0f us after it was written\n", (seen - written) * 1e6);
    close(fds[0]);
    close(fds[1]);
}

// The close box, handled inside a Run-like callback that waits in ProcessSystemEvents, ends the
// event loop once that callback has returned.
TEST_F(PumpTest, QuitFromNestedCallbackEndsTheLoopAfterUnwinding) {
    bool stop = false;
    std::vector<std::string> trace;
    test::Hook run{[&](int, int event) {
        if (event != EVENT_COMMIT) return;
        trace.push_back("run");
        while (!stop)
            engine->ProcessSystemEvents();
        trace.push_back("run ends");
    }};
    test::Hook close{[&](int, int event) {
        if (event != EVENT_CLOSE) return;
        trace.push_back("close");
        stop = true;
        engine->QuitUserInterface(7);
    }};
    engine->InstallCtrlCallback(panel, ui::BTNRun, test::Hook::OnControl, &run);
    engine->InstallPanelCallback(panel, test::Hook::OnPanel, &close);
    auto* button = controlAs<QPushButton>(ui::BTNRun);
    QWidget* window = engine->impl().panel(panel)->window;
    QTimer::singleShot(0, button, [button] { QTest::mouseClick(button, Qt::LeftButton); });
    QTimer::singleShot(30, window, [window] { window->close(); });

    EXPECT_EQ(engine->RunUserInterface(), 7);
    EXPECT_EQ(trace, (std::vector<std::string>{"run", "close", "run ends"}));

    engine->QuitUserInterface(3);  // before the loop runs: it returns at once
    EXPECT_EQ(engine->RunUserInterface(), 3);
}

}  // namespace
