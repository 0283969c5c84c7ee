// The parameter file: 16 unsigned decimal numbers, the parameter record in order.
#include <cstdint>

#include "arrayfile.h"
#include "com232.h"
#include "gui.h"

using namespace platform;

const char* ParaFileErrorText(int code, bool writing) {
    switch (code) {
        case kFileTooFewValues:
            return "Parameter file holds fewer than 16 numbers - not loaded!";
        case kFileBadValue:
            return "Parameter file holds a value that is no number - not loaded!";
        case kFileCannotOpen:
            return writing ? "Cannot write parameter file - nothing saved!"
                           : "Cannot read parameter file - not loaded!";
        default:
            return writing ? "Error writing parameter file - nothing saved!"
                           : "Error reading parameter file - not loaded!";
    }
}

int ParaFilePopup(Program& p, int which) {
    const bool save = which == SAVE_POPUP;
    return p.rt.FileSelectPopup(p.proj_dir, kParaFileName, "*.dat",
                                save ? "Tavrix-Series Parameter File" : "Tavrix-Parameter-File",
                                save ? VAL_OK_BUTTON : VAL_LOAD_BUTTON, false, true, true, true,
                                p.file_name);
}

int WriteParaFile(Program& p) {
    std::uint32_t values[PNUM];
    for (int i = 0; i < PNUM; ++i)
        values[i] = p.pp[i];
    return ArrayToFile(p.file_name, values, PNUM, 5);
}

int LoadParaFile(Program& p) {
    std::uint32_t values[PNUM];
    const int result = FileToArray(p.file_name, values, PNUM);
    if (result != kFileOk) return result;
    for (int i = 0; i < PNUM; ++i)
        p.pp[i] = static_cast<u16>(values[i] & 0xFFFF);
    CopyPPtoVars(p);
    return kFileOk;
}

void SendParaToFile(Program& p) {
    GetPanelValues(p);
    CopyVarsToPP(p);
    const int result = WriteParaFile(p);
    // Shown, not stored: a later refresh must not repeat an old failure.
    if (result != kFileOk) ShowText(p, ParaFileErrorText(result, true));
}

void ReadParaFromFile(Program& p) {
    if (ParaFilePopup(p, LOAD_POPUP) <= 0) return;
    const int result = LoadParaFile(p);
    if (result != kFileOk) {
        p.szStatus = ParaFileErrorText(result, false);  // shown by the Get callback's refresh
        return;
    }
    // Replaces the text of an earlier refusal, which the Get callback's refresh would show again.
    p.szStatus = "Parameter file loaded!";
}
