#include "arrayops.h"

int Copy1D(const double* input, int n, double* output) {
    if (n < 1) return kArrayCountTooSmall;
    for (int i = 0; i < n; ++i)
        output[i] = input[i];
    return 0;
}

int Shift(const double* input, int n, int places, double* output) {
    if (n < 1) return kArrayCountTooSmall;
    if (places >= n || places <= -n) return kArrayShiftTooLarge;
    if (places == 0) return Copy1D(input, n, output);
    if (places > 0) {
        // Copy downwards so that an in-place shift reads each element before it is overwritten.
        for (int i = n - 1; i >= places; --i)
            output[i] = input[i - places];
        for (int i = 0; i < places; ++i)
            output[i] = 0.0;
    } else {
        const int s = -places;
        for (int i = 0; i < n - s; ++i)
            output[i] = input[i + s];
        for (int i = n - s; i < n; ++i)
            output[i] = 0.0;
    }
    return 0;
}
