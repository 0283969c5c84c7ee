// One cell of the platform's tables (the workbench's statistics, the compare view).
#pragma once

#include <string>

namespace platform {

struct TableCell {
    std::string text;
    bool tinted = false;  // shown in the marking colour: the cell differs, or needs a look
};

}  // namespace platform
