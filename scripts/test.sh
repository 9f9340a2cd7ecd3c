#!/usr/bin/env bash
# Installs what is missing, then builds and runs the whole suite twice: a normal
# build with warnings as errors, and an AddressSanitizer + UBSan build. Both run
# the unit tests and the end-to-end tests (which start their own Xvfb servers).
# A ThreadSanitizer build runs the tests of the code with threads. Then the
# other native builds, the web build in Node.js and headless Chromium, the
# Windows cross build under Wine, and the Debian package installed, used and
# purged again, each from a script of its own.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
cd "$root"

bash scripts/install-deps.sh all

jobs="$(nproc 2>/dev/null || echo 2)"

run_suite() {
  local dir="$1"; shift
  echo "=== $dir: configure and build"
  cmake -S . -B "$dir" -G Ninja -DTUBE_WERROR=ON "$@" >/dev/null
  cmake --build "$dir" -j "$jobs"
  echo "=== $dir: tests"
  ctest --test-dir "$dir" --output-on-failure -j "$jobs" --timeout 300
}

run_suite build
run_suite build-asan -DTUBE_SANITIZE=ON -DTUBE_BUILD_BENCHMARKS=OFF

# ThreadSanitizer over the code that runs threads: the frame pipeline's tests
# and the capture tool, which renders through it (in-process and as the program).
echo "=== build-tsan: configure and build"
cmake -S . -B build-tsan -G Ninja -DTUBE_WERROR=ON -DTUBE_SANITIZE_THREAD=ON \
  -DTUBE_BUILD_BENCHMARKS=OFF >/dev/null
cmake --build build-tsan -j "$jobs" --target scene_tests capture_tests helixsoft-capture
echo "=== build-tsan: tests"
TSAN_OPTIONS=halt_on_error=1 build-tsan/tests/scene/scene_tests --gtest_filter='Pipeline.*'
TSAN_OPTIONS=halt_on_error=1 build-tsan/tests/tools/capture_tests
bash scripts/test-native-builds.sh
bash scripts/test-web.sh
bash scripts/test-windows.sh
bash scripts/test-package.sh
echo "=== all tests passed: both native builds, the thread sanitizer's, the other native builds, the web, Windows and the package"
