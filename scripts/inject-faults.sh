#!/usr/bin/env bash
# Injects one-line faults into the program, one at a time, and counts how many the test suite
# catches. Usage: scripts/inject-faults.sh [git-ref]   (default: the working tree's HEAD)
# The ref is checked out in a scratch work tree beside this one, so the working tree is left alone.
# A fault whose line is not in the ref is reported as "absent".
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
ref=${1:-HEAD}
tree="$(dirname "$here")/fault-injection-$(git -C "$here" rev-parse --short "$ref")"

# name | file | line as it is | the faulty line
faults=$(cat <<'LIST'
limit-threshold|src/logic/records.cpp|R{50, 50, 950, 950}},|R{50, 50, 960, 950}},
band-half-width|src/logic/gui_shapes.cpp|halfTol = tol / 2;|halfTol = tol / 3;
position-clamp|src/logic/gui_shapes.cpp|if (position > s.pixE) position = s.pixE;|if (position > s.pixE) position = s.pixE - 1;
result-order|src/logic/records.cpp|{&State::leftMax, ui::NUMLeftMax,|{&State::rightMax, ui::NUMLeftMax,
payload-offset|src/logic/com232_codec.cpp|s.pp[i] = WordAt(s.szReadBuf.data(), 4 + 2 * i);|s.pp[i] = WordAt(s.szReadBuf.data(), 2 + 2 * i);
block-offset|src/logic/com232_codec.cpp|s.adcbuf[start + i] = WordAt(s.szReadBuf.data(), 2 * i);|s.adcbuf[start + i] = WordAt(s.szReadBuf.data(), 2 * i + 2);
file-too-few|src/platform/arrayfile.cpp|if (token == Token::End) return kFileTooFewValues;|if (token == Token::End) break;
LIST
)

if [ ! -d "$tree" ]; then git -C "$here" worktree add --detach "$tree" "$ref" >/dev/null; fi
cd "$tree"
cmake --preset default >/dev/null
cmake --build --preset default >/dev/null
tests() { (cd build/default && ctest -j2 --stop-on-failure -E '^probe_' 2>&1); }
baseline=$(tests) || true
grep -q "100% tests passed" <<<"$baseline" || { echo "the suite fails without a fault at $ref"; exit 1; }

caught=0 total=0
printf '%-18s %-8s %s\n' fault result "first failing test"
while IFS='|' read -r name file line faulty <&3; do
    if ! grep -qF -- "$line" "$file" 2>/dev/null; then
        printf '%-18s %-8s\n' "$name" absent
        continue
    fi
    total=$((total + 1))
    python3 - "$file" "$line" "$faulty" <<'PY'
import sys
path, old, new = sys.argv[1:]
text = open(path).read()
open(path, "w").write(text.replace(old, new, 1))
PY
    if ! cmake --build --preset default >/dev/null 2>&1; then
        result=build first=""
    elif out=$(tests) || true; grep -q "100% tests passed" <<<"$out"; then
        result=missed first=""
    else
        result=caught
        first=$(grep -m1 -E '\((Failed|Timeout|Subprocess)' <<<"$out" | sed -E 's/.* - ([^ ]+) .*/\1/')
        caught=$((caught + 1))
    fi
    git checkout -- "$file"
    printf '%-18s %-8s %s\n' "$name" "$result" "$first"
done 3<<<"$faults"
cmake --build --preset default >/dev/null
echo "$caught of $total faults caught at $(git rev-parse --short HEAD)"
