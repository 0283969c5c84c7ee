#!/usr/bin/env bash
# Installs what is missing, checks the style, builds and runs every test headless: the whole suite,
# the whole suite again under AddressSanitizer and UndefinedBehaviorSanitizer, each fuzz target for
# 30 s, and the Windows cross-check.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh

echo "== style (.clang-format)"
git ls-files '*.cpp' '*.h' | xargs clang-format --dry-run -Werror

echo "== tests"
cmake --preset default >/dev/null
cmake --build --preset default
ctest --preset default -j2

echo "== tests under AddressSanitizer and UndefinedBehaviorSanitizer (built with strict warnings as errors)"
cmake --preset sanitize >/dev/null
cmake --build --preset sanitize
ctest --preset sanitize -j2

echo "== fuzzing"
bash scripts/fuzz.sh 30

echo "== Windows cross-check (MinGW-w64 and Wine)"
bash scripts/windows-check.sh
