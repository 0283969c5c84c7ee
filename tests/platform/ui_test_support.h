// Shared by the platform user-interface tests: the toolkit, the fixture panel, callback hooks.
#pragma once

#include <gtest/gtest.h>

#include <QTemporaryDir>
#include <QWidget>
#include <functional>
#include <memory>
#include <vector>

#include "engine.h"
#include "engine_impl.h"
#include "toolkit.h"

namespace test {

// One application object for the whole test program, kept until exit.
inline void EnsureToolkit() {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    // What the platform remembers goes to this process's own folder, not the user's settings.
    static QTemporaryDir settings;
    qputenv("XDG_CONFIG_HOME", settings.path().toLocal8Bit());
    static auto* toolkit = new platform::Toolkit;
    ASSERT_TRUE(toolkit->ok());
}

// A callback running a test's own code; the control is 0 for a panel callback.
struct Hook {
    std::function<void(int control, int event)> run;
    static int OnControl(int, int control, int event, void* data, int, int) {
        return static_cast<Hook*>(data)->run(control, event), 0;
    }
    static int OnPanel(int, int event, void* data, int, int) {
        return static_cast<Hook*>(data)->run(0, event), 0;
    }
};

// An engine with the fixture's main panel loaded and shown; `events` collects recorded callbacks.
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
    QWidget* window() const { return engine->impl().panel(panel)->window; }
    template <class W>
    W* controlAs(int id) const {
        auto* w = qobject_cast<W*>(control(id));
        EXPECT_NE(w, nullptr) << "control " << id;
        return w;
    }
    int value(int id) const {
        int v = -1;
        engine->GetCtrlVal(panel, id, v);
        return v;
    }
    void record(int id) { engine->InstallCtrlCallback(panel, id, Hook::OnControl, &recorder); }
    // Dispatches events long enough for coalesced drawing to happen.
    void settle(int ms = 40) const {
        for (const double end = engine->Timer() + ms / 1000.0; engine->Timer() < end;)
            engine->ProcessSystemEvents();
    }

    std::unique_ptr<platform::Engine> engine;
    int panel = 0;
    std::vector<int> events;
    Hook recorder{[this](int, int event) { events.push_back(event); }};
};

}  // namespace test
