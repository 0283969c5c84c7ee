// The unsent-edit marks: the panel's record against the reference, on every value change.
#include "edit_marks.h"

#include "com232_codec.h"
#include "compare.h"
#include "gui.h"
#include "panel_ids.h"
#include "records.h"
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

// Marks the controls of the words that differ, touching only those whose mark changes.
void ShowMarks(Program& p, const WordMask& differ) {
    for (int i = 0; i < PNUM; ++i) {
        const auto bit = static_cast<std::size_t>(i);
        const int control = kParameterRecord[i].control;
        if (control == kNoControl || differ[bit] == p.editMarked[bit]) continue;
        p.rt.SetCtrlAttribute(p.pHandle, control, ATTR_MARKED, differ[bit] ? 1 : 0);
    }
    p.editMarked = differ;
    if (p.workbench) p.workbench->panel.ShowUnsent(UnsentText(static_cast<int>(differ.count())));
}

void Compare(Program& p) {
    const RecordWords panel = PanelRecord(p);
    ShowMarks(p, DifferingWords(panel, p.editReference));
    CompareViewPanelChanged(p, panel);
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
    EditMarksReference(p, PanelRecord(p));
}

void EditMarksReference(Program& p, const RecordWords& reference) {
    p.editReference = reference;
    Compare(p);
}

void EditMarksValueChanged(Program& p) {
    Compare(p);
}
