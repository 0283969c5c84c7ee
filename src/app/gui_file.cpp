// The parameter file: 16 unsigned decimal numbers, the parameter record in order.
#include <algorithm>
#include <cstdint>

#include "arrayfile.h"
#include "com232.h"
#include "gui.h"

using namespace platform;

namespace {

// A parameter word is 16 bits: a larger number is refused like any other bad file.
constexpr FileResult kFileValueTooLarge = static_cast<FileResult>(-100);

}  // namespace

const char* ParaFileErrorText(FileResult code, bool writing) {
    switch (static_cast<int>(code)) {
        case kFileTooFewValues:
            return "Parameter file holds fewer than 16 numbers - not loaded!";
        case kFileValueTooLarge:
            return "Parameter file holds a number above 65535 - not loaded!";
        case kFileBadValue:
            return "Parameter file holds a value that is no number - not loaded!";
        case kFileNotRegular:
            return writing ? "Parameter file is not a regular file - nothing saved!"
                           : "Parameter file is not a regular file - not loaded!";
        case kFileTooLarge:
            return "Parameter file is longer than 64 KiB - not loaded!";
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

FileResult WriteParaFile(Program& p) {
    std::uint32_t values[PNUM];
    for (int i = 0; i < PNUM; ++i)
        values[i] = p.pp[i];
    return ArrayToFile(p.file_name, values, PNUM, 5);
}

FileResult ReadParaFileWords(const std::string& path, std::array<u16, PNUM>& words) {
    std::uint32_t values[PNUM];
    const FileResult result = FileToArray(path, values, PNUM);
    if (result != kFileOk) return result;
    if (std::any_of(values, values + PNUM, [](std::uint32_t v) { return v > 0xFFFF; }))
        return kFileValueTooLarge;
    for (int i = 0; i < PNUM; ++i)
        words[i] = static_cast<u16>(values[i]);
    return kFileOk;
}

FileResult LoadParaFile(Program& p) {
    const FileResult result = ReadParaFileWords(p.file_name, p.pp);
    if (result == kFileOk) CopyPPtoVars(p);
    return result;
}

void SendParaToFile(Program& p) {
    GetPanelValues(p);
    CopyVarsToPP(p);
    const FileResult result = WriteParaFile(p);
    // Shown, not stored: a later refresh must not repeat an old failure.
    if (result != kFileOk) ShowText(p, ParaFileErrorText(result, true));
}

bool ReadParaFromFile(Program& p) {
    if (ParaFilePopup(p, LOAD_POPUP) <= 0) return false;
    const FileResult result = LoadParaFile(p);
    if (result != kFileOk) {
        SetStatus(p, ParaFileErrorText(result, false));
        return false;
    }
    p.szStatus = "Parameter file loaded!";
    return true;
}
