// Run, Video and Stop.
#include "Tavrix-VarizA152.h"
#include "com232.h"
#include "gui.h"
#include "sensor_events.h"

using namespace platform;

int CC_BTNRun(int, int, int event, void* callbackData, int, int) {
    if (event != EVENT_COMMIT) return 0;
    Program& p = ProgramOf(callbackData);
    if (!p.loopRunning) SensorOutcome(p, PushRUN(p));  // never a loop inside another
    return 0;
}

int CC_BTNVideo(int, int, int event, void* callbackData, int, int) {
    if (event != EVENT_COMMIT) return 0;
    Program& p = ProgramOf(callbackData);
    if (!p.loopRunning) SensorOutcome(p, PushVIDEO(p));
    return 0;
}

// Kept: Stop acts the moment the mouse goes down on it, so a loop ends without waiting for the
// release. Run and Video stay dimmed until the loop's own ending steps have run: a loop started
// earlier would run inside the ending one and lose its answers.
int CC_BTNStop(int, int, int event, void* callbackData, int, int) {
    if (event != EVENT_LEFT_CLICK) return 0;
    ProgramOf(callbackData).stop_flag = 1;
    return 0;
}
