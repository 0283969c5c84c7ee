// Array routines for the strip chart's history window.
#pragma once

// Results of the array routines (their own family of codes).
enum ArrayResult : int {
    kArrayCountTooSmall = -20003,  // element count below 1
    kArrayShiftTooLarge = -20102,  // shift magnitude of n or more
};

// Shifts n doubles by `places` (positive towards higher indices) with zero fill. Input and output
// may be the same array. Returns 0, or an error code above without writing anything.
int Shift(const double* input, int n, int places, double* output);
// Copies n doubles. Returns 0, or kArrayCountTooSmall without writing anything.
int Copy1D(const double* input, int n, double* output);
