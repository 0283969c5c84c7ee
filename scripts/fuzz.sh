#!/usr/bin/env bash
# Builds the fuzz targets with clang and runs each for a while (default 30 s) from its committed
# seed corpus. New inputs go to a scratch folder; a crash leaves its input in fuzz/crashes/.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds="${1:-30}"
cmake --preset fuzz >/dev/null
cmake --build --preset fuzz
mkdir -p fuzz/crashes
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
for name in answer_frame line_block version_text para_file receive_path; do
    mkdir -p "$scratch/$name"
    echo "== fuzz_$name (${seconds} s)"
    build/fuzz/fuzz/fuzz_$name "$scratch/$name" "fuzz/corpus/$name" \
        -max_total_time="$seconds" -print_final_stats=1 -artifact_prefix=fuzz/crashes/ 2>&1 |
        grep -E '^(stat::number_of_executed_units|stat::average_exec_per_sec|==[0-9]+==ERROR|SUMMARY)'
done
