#include "logo.h"

#include "panel_ids.h"

using namespace platform;

namespace {

constexpr int kWhite = 0xFFFFFF;
constexpr int kGrey = 0x808080;
constexpr int kBlue = 0x0080FF;

struct TextLine {
    const char* text;  // nullptr: the program name or version, by position in the brand's list
    int left, top, size;
};

struct Brand {
    bool drawn;
    int box, color;
    const char* bitmap;  // nullptr: no bitmap, the picture is hidden
    int bitmapLeft, bitmapTop;
    TextLine caption, phone, web;  // text nullptr: the brand has no such line
    TextLine name, version;
};

constexpr TextLine kNone{nullptr, 0, 0, 0};
constexpr TextLine kPlainName{nullptr, 20, 20, 18};
constexpr TextLine kPlainVersion{nullptr, 170, 26, 11};

constexpr Brand kBrands[7] = {
    {true, kWhite, kGrey, nullptr, 0, 0, kNone, kNone, kNone, kPlainName, kPlainVersion},
    {true, kBlue, kWhite, nullptr, 0, 0, kNone, kNone, kNone, kPlainName, kPlainVersion},
    {true,
     kBlue,
     kWhite,
     "mo.bmp",
     300,
     10,
     {"Merrow Optics", 15, 10, 11},
     {"Tel. +44 1632 960 152", 15, 25, 11},
     {"www.merrow-optics.example", 15, 40, 11},
     {nullptr, 300, 35, 18},
     {nullptr, 460, 40, 11}},
    {true, kWhite, kGrey, "pellin.bmp", 470, 8, kNone, kNone, kNone, kPlainName, kPlainVersion},
    {true,
     kBlue,
     kWhite,
     "corvex.bmp",
     470,
     7,
     {"Corvex", 15, 7, 11},
     {"Tel. +44 1632 960 417", 15, 22, 11},
     {"www.corvex.example", 15, 37, 11},
     {nullptr, 220, 30, 18},
     {nullptr, 370, 36, 11}},
    {false, 0, 0, nullptr, 0, 0, kNone, kNone, kNone, kNone, kNone},
    {true,
     kWhite,
     kGrey,
     "alder.bmp",
     470,
     7,
     {"Alder", 15, 7, 11},
     {"Tel. +44 1632 960 836", 15, 22, 11},
     {"www.alder-sensors.example", 15, 37, 11},
     {nullptr, 220, 30, 18},
     {nullptr, 370, 36, 11}},
};

void ShowLine(Program& p, const Brand& b, const TextLine& line, const std::string& text) {
    ShowInfoText(p, b.box, b.color, text, line.left, line.top, line.size);
}

}  // namespace

void ShowInfoText(Program& p, int background, int color, const std::string& text, int left, int top,
                  int pointSize) {
    const int ctrl = p.rt.NewCtrl(p.pHandle, CTRL_TEXT_MSG, "", top, left);
    p.rt.SetCtrlAttribute(p.pHandle, ctrl, ATTR_TEXT_FONT, "NIApp");
    p.rt.SetCtrlAttribute(p.pHandle, ctrl, ATTR_TEXT_BGCOLOR, background);
    p.rt.SetCtrlAttribute(p.pHandle, ctrl, ATTR_TEXT_COLOR, color);
    p.rt.SetCtrlAttribute(p.pHandle, ctrl, ATTR_TEXT_POINT_SIZE, pointSize);
    p.rt.SetCtrlVal(p.pHandle, ctrl, text);
}

void ShowLogo(Program& p, int brand) {
    if (brand < 0 || brand > 6 || !kBrands[brand].drawn) return;
    const Brand& b = kBrands[brand];
    p.rt.SetCtrlAttribute(p.pHandle, ui::DECOLogo, ATTR_FRAME_COLOR, b.box);
    if (b.bitmap == nullptr) {
        p.rt.SetCtrlAttribute(p.pHandle, ui::PICLogo, ATTR_VISIBLE, 0);
    } else {
        p.rt.SetCtrlAttribute(p.pHandle, ui::PICLogo, ATTR_TOP, b.bitmapTop);
        p.rt.SetCtrlAttribute(p.pHandle, ui::PICLogo, ATTR_LEFT, b.bitmapLeft);
        p.rt.DisplayImageFile(p.pHandle, ui::PICLogo, b.bitmap);
    }
    for (const TextLine* line : {&b.caption, &b.phone, &b.web})
        if (line->text != nullptr) ShowLine(p, b, *line, line->text);
    ShowLine(p, b, b.name, p.szSoftName);
    ShowLine(p, b, b.version, p.szSoftVersion);
}
