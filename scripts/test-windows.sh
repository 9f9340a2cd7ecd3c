#!/usr/bin/env bash
# The Windows part of the test run. Cross-builds both demos and the unit tests
# with MinGW-w64 (scripts/build-windows.sh), runs the unit tests under Wine
# with one Wine server kept alive for the whole run, then, from the Linux
# build, the end-to-end tests of the Windows programs under Wine in Xvfb and
# the comparison of helixsoft-capture.exe's frames and tube-checksums.exe's
# meshes with the Linux build's.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
cd "$root"

bash scripts/install-deps.sh
bash scripts/build-windows.sh --tests

jobs="$(nproc 2>/dev/null || echo 2)"
# No debugger on a crash (winedbg can hang for minutes): the program ends at once.
export WINEPREFIX="$root/build-windows/wine" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml,winedbg.exe="
unset DISPLAY WAYLAND_DISPLAY

# The prefix is made once per build folder. Wine is told to offer only the X
# screen's own mode (size and depth), as a real screen that cannot switch does.
if [ ! -f "$WINEPREFIX/.tube-prefix-ready" ]; then
  echo "=== test-windows: preparing the Wine prefix"
  wine wineboot --init </dev/null >/dev/null 2>&1
  wine reg add 'HKCU\Software\Wine\X11 Driver' /v UseXRandR /d N /f </dev/null >/dev/null 2>&1
  wineserver -w
  touch "$WINEPREFIX/.tube-prefix-ready"
fi

# Where no X server answers (the unit tests), Wine's windows live on its null
# display, so that the DirectDraw backend's window procedure can be tested;
# the end-to-end tests go back to X11 alone (below).
wine reg add 'HKCU\Software\Wine\Drivers' /v Graphics /d x11,null /f </dev/null >/dev/null 2>&1
wineserver -w

# One server for all unit tests. Its helper processes start here, detached from
# CTest's output pipes, which CTest would otherwise wait on until they exit.
stop_wine() { wineserver -k 2>/dev/null || true; wineserver -w 2>/dev/null || true; }
trap stop_wine EXIT
(wineserver -p && wine wineboot) </dev/null >/dev/null 2>&1
echo "=== test-windows: unit tests under Wine"
ctest --test-dir build-windows --output-on-failure -j "$jobs" --timeout 120
stop_wine
# The end-to-end tests give a program no display where they mean none, as on a
# machine without one (the null display would let vesselgl.exe start GLFW).
wine reg delete 'HKCU\Software\Wine\Drivers' /v Graphics /f </dev/null >/dev/null 2>&1
wineserver -w

echo "=== test-windows: end-to-end tests and frames under Wine"
cmake -S . -B build -G Ninja -DTUBE_WERROR=ON >/dev/null
cmake --build build -j "$jobs" --target helixsoft_wine_e2e_tests vesselgl_wine_e2e_tests \
  capture_wine_tests
TUBE_WINE_TESTS="$root/build-windows" ctest --test-dir build -L wine --output-on-failure \
  --timeout 600
echo "=== test-windows: all Windows tests passed"
