#!/usr/bin/env bash
# What this Linux machine can check of the Windows build (it has no Qt built for Windows):
#   1. no POSIX or Win32 header is included outside the files that own the system: the
#      pseudo-terminal files of src/sim (pty_*), the serial channel of src/platform (serial_*)
#      and the plant link's MQTT client (src/platform/plant_link.cpp);
#   2. the Qt-free core (simulator core, codec and logic library) cross-built with MinGW-w64,
#      and its unit tests run under Wine;
#   3. every source that uses Qt compiled for Windows (-fsyntax-only) against Debian's Qt 6
#      headers.
# Exits non-zero on the first failing check.
set -euo pipefail
cd "$(dirname "$0")/.."
start=$SECONDS
export WINEDEBUG=-all
export WINEPREFIX="${WINEPREFIX:-$HOME/.wine-tavrix}"
CXX_WIN=x86_64-w64-mingw32-g++-posix
PATH="$PATH:/usr/lib/wine"

echo "-- 1. system headers only in src/sim/pty_* and src/platform/serial_*"
# Allowed: C++ library headers, Qt's class headers, QCustomPlot, the C standard headers.
c_std='assert|ctype|errno|fenv|float|inttypes|limits|locale|math|setjmp|signal|stdarg|stddef|stdint|stdio|stdlib|string|time|uchar|wchar|wctype'
bad=$(grep -rnE '^\s*#\s*include\s*<[^>]*[./][^>]*>' src tools --include='*.cpp' --include='*.h' |
    grep -vE '^src/sim/pty_[^:]*:|^src/platform/serial_[^:]*:|^src/platform/plant_link\.cpp:' |
    grep -vE "<(qcustomplot\.h|($c_std)\.h)>" || true)
if [ -n "$bad" ]; then
    echo "POSIX or Win32 header outside the allowed files:"
    echo "$bad"
    exit 1
fi
echo "   $(grep -rlE '#\s*include' src tools --include='*.cpp' --include='*.h' | wc -l) files checked"

echo "-- 2. Qt-free core for Windows: MinGW-w64 build, unit tests under Wine"
cmake --preset mingw-core >/dev/null
nice cmake --build --preset mingw-core
ctest --preset mingw-core -j2

echo "-- 3. sources using Qt compiled for Windows (-fsyntax-only, Debian's Qt 6 headers)"
qt=/usr/include/x86_64-linux-gnu/qt6
out=build/mingw-core/syntax
mkdir -p "$out"
# QCustomPlot's header from a folder of its own: -I/usr/include would pull in glibc's headers.
cp -u /usr/include/qcustomplot.h "$out/"
flags=(-std=c++20 -Wall -Wextra -Werror -Winvalid-pch -isystem "$qt" -isystem "$out")
for m in QtCore QtGui QtWidgets QtPrintSupport QtUiTools QtSerialPort; do flags+=(-isystem "$qt/$m"); done
for d in src/sim src/ui src/platform src/platform/include src/logic src/app src/app/features; do flags+=(-I"$d"); done
# The Qt headers the platform layer uses, precompiled once: most of the time goes
# into parsing them.
grep -hoE '#include <(Q[A-Za-z]+|qcustomplot\.h)>' src/platform/*.cpp src/platform/*.h src/platform/include/*.h |
    sort -u >"$out/qt_used.h.new"
cmp -s "$out/qt_used.h.new" "$out/qt_used.h" || mv "$out/qt_used.h.new" "$out/qt_used.h"
[ "$out/qt_used.h.gch" -nt "$out/qt_used.h" ] ||
    nice "$CXX_WIN" "${flags[@]}" -x c++-header "$out/qt_used.h" -o "$out/qt_used.h.gch"
# A file passes again without a compile while it, the project headers it includes (as the
# compiler listed them when it passed) and this script are unchanged.
inputs_sum() {
    sed 's/\\$//' "$1" | tr ' ' '\n' | grep -E '^(src|tools)/' | sort -u |
        xargs cat scripts/windows-check.sh 2>/dev/null | sha1sum | cut -c1-40
}
check() {
    local base="$out/$(echo "$1" | tr / _)"
    if [ -f "$base.ok" ] && [ -f "$base.d" ] && [ "$(cat "$base.ok")" = "$(inputs_sum "$base.d")" ]
    then
        return 0
    fi
    local pch=()
    case "$1" in src/platform/*) pch=(-include "$out/qt_used.h") ;; esac
    nice "$CXX_WIN" "${flags[@]}" "${pch[@]}" -fsyntax-only -MMD -MF "$base.d" "$1" &&
        inputs_sum "$base.d" >"$base.ok"
}
export -f check inputs_sum
export CXX_WIN out
export FLAGS="${flags[*]}"
# The plant link's MQTT client needs libmosquitto's headers, which this machine has for Linux only;
# its stand-in (plant_link_absent.cpp) is checked instead.
sources=$(ls src/platform/*.cpp src/app/*.cpp src/app/features/*.cpp tools/*.cpp |
    grep -v '^src/platform/plant_link\.cpp$')
touch "$out/.started"
printf '%s\n' $sources | xargs -P 2 -I{} bash -c 'flags=($FLAGS); check {}'
compiled=$(find "$out" -name '*.ok' -newer "$out/.started" | wc -l)
echo "   $(echo "$sources" | wc -w) files of src/platform, src/app and tools pass" \
    "($compiled compiled now, the others unchanged since they passed)"

echo "== Windows cross-check passed in $((SECONDS - start)) s"
