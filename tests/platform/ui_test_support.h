// Shared by the platform user-interface tests: the toolkit, the fixture panels, an event recorder.
#pragma once

#include <gtest/gtest.h>

#include <QWidget>
#include <functional>
#include <memory>
#include <utility>
#include <vector>

#include "engine.h"
#include "engine_impl.h"

namespace test {

// One application object for the whole test program (kept until exit on purpose).
inline void EnsureToolkit() {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    static auto* toolkit = new platform::Toolkit;
    ASSERT_TRUE(toolkit->ok());
}

struct Recorder {
    std::vector<std::pair<int, int>> events;  // (control or 0 for the panel, event)

    static int OnControl(int, int control, int event, void* data, int, int) {
        static_cast<Recorder*>(data)->events.emplace_back(control, event);
        return 0;
    }
    static int OnPanel(int, int event, void* data, int, int) {
        static_cast<Recorder*>(data)->events.emplace_back(0, event);
        return 0;
    }
    std::vector<int> codes() const {
        std::vector<int> out;
        for (const auto& e : events)
            out.push_back(e.second);
        return out;
    }
};

// A callback that runs a test's own code.
struct Hook {
    std::function<void(int control, int event)> run;

    static int OnControl(int, int control, int event, void* data, int, int) {
        static_cast<Hook*>(data)->run(control, event);
        return 0;
    }
    static int OnPanel(int, int event, void* data, int, int) {
        static_cast<Hook*>(data)->run(0, event);
        return 0;
    }
};

// An engine with the fixture's main panel loaded and shown.
class FixturePanel : public ::testing::Test {
  protected:
    void SetUp() override {
        EnsureToolkit();
        engine = std::make_unique<platform::Engine>();
        panel = engine->LoadPanel(0, TAVRIX_FIXTURE_PANELS, "PANEL");
        ASSERT_GT(panel, 0);
        engine->DisplayPanel(panel);
    }

    QWidget* control(int id) const { return engine->impl().widget(panel, id); }
    template <class W>
    W* controlAs(int id) const {
        auto* w = qobject_cast<W*>(control(id));
        EXPECT_NE(w, nullptr) << "control " << id;
        return w;
    }
    void record(int id) { engine->InstallCtrlCallback(panel, id, Recorder::OnControl, &recorder); }
    // Dispatches events for a while so that coalesced drawing has happened.
    void settle(int ms = 40) const {
        const double end = engine->Timer() + ms / 1000.0;
        while (engine->Timer() < end)
            engine->ProcessSystemEvents();
    }

    std::unique_ptr<platform::Engine> engine;
    int panel = 0;
    Recorder recorder;
};

}  // namespace test
