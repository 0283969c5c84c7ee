// Tavrix-Didor: set-up and monitoring tool for the Tavrix line sensor.
// Copyright (C) 2026 The Tavrix-Didor developers. Licensed under the GPL-3.0-or-later.
#include "Tavrix-VarizA152.h"

int main() {
    return WinMain(nullptr, nullptr, nullptr, 0);
}
