// The logo area at the top of the main panel: box colour, brand bitmap and text lines.
#pragma once

#include <string>

#include "program.h"

// Draws the logo area of brand 0 to 6 once; other numbers, and 5, draw nothing.
void ShowLogo(Program& p, int brand);
// Creates one text line on the main panel in the application font.
void ShowInfoText(Program& p, int background, int color, const std::string& text, int left, int top,
                  int pointSize);
