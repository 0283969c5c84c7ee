// The sensor's sub-pixel scale: how many sub-pixel units lie between neighbouring line-image
// samples, from the sub-pixel count of its hardware profile.
#pragma once

#include "state.h"

// The x factor of the line-image samples for a sub-pixel count (1 when not recognised).
int SubpixelFactor(u16 ccdsubpixel);
