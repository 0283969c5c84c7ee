// The marks: the panel's record against the model's RAM, on every change.
#include "edit_marks.h"

#include <array>

#include "com232_codec.h"
#include "compare.h"
#include "gui.h"
#include "panel_ids.h"
#include "records.h"
#include "sensor_view.h"
#include "workbench.h"

using namespace platform;

namespace {

// The parameter controls whose own callbacks do not hand their changes on (the others do).
constexpr int kPlainControls[] = {ui::NUMPower, ui::NUMPMode, ui::NUMAnaMode, ui::NUMPolarity,
                                  ui::NUMEMode, ui::NUMTVal,  ui::NUMHwMode,  ui::NUMAverage};

int CC_PlainParameter(int, int, int event, void* callbackData, int, int) {
    if (event == EVENT_COMMIT) EditMarksValueChanged(ProgramOf(callbackData));
    return 0;
}

}  // namespace

RecordWords PanelRecord(const Program& p) {
    State shown = p;
    ReadPanelValues(p, shown);  // as Send reads the panel
    return PackedRecord(shown);
}

void OpenEditMarks(Program& p) {
    for (int control : kPlainControls)
        p.rt.InstallCtrlCallback(p.pHandle, control, CC_PlainParameter, &p);
}

void EditMarksValueChanged(Program& p) {
    PanelChanged(p, "Edit");
}

void ShowEditMarks(Program& p) {
    const RecordWords panel = PanelRecord(p);
    const WordMask unsent = p.model.Unsent(panel), unknown = p.model.Unknown();
    for (int i = 0; i < PNUM; ++i) {
        const auto bit = static_cast<std::size_t>(i);
        const int control = kParameterRecord[i].control;
        if (control == kNoControl) continue;
        const int mark = unsent[bit] ? MARK_DIFFERS : unknown[bit] ? MARK_NOT_READ : MARK_NONE;
        p.rt.SetCtrlAttribute(p.pHandle, control, ATTR_MARKED, mark);
    }
    if (p.workbench) p.workbench->panel.ShowUnsent(UnsentText(static_cast<int>(unsent.count())));
    CompareViewPanelChanged(p, panel);
}
