#include "subpixel_scale.h"

int SubpixelFactor(u16 ccdsubpixel) {
    switch (ccdsubpixel) {
        case 512:
            return 2;
        case 768:
            return 3;
        case 1024:
            return 4;
        case 1180:
        case 1280:
            return 5;
        case 1536:
            return 6;
        case 2048:
            return 8;
        case 2360:
        case 2560:
            return 10;
        case 8192:
            return 32;
        default:
            return 1;
    }
}
