#!/usr/bin/env bash
# The web part of the test run: builds the web version and the site (warnings
# as errors), then runs the tests labelled "web" of the native build in build/
# against them: the pages in headless Chromium and the capture tool under
# Node.js, against the native renderers (vesselgl's within a measured margin),
# and the GL demo's tube mesh under Node.js against the native build's.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
cd "$root"

bash scripts/install-deps.sh desktop web  # the site's pictures come from the native capture tools
source scripts/web-env.sh

echo "=== build-web: configure and build, site in out/web"
web_configure -DTUBE_WERROR=ON
web_build_site

echo "=== build: the web tests"
jobs="$(nproc 2>/dev/null || echo 2)"
cmake -S . -B build -G Ninja -DTUBE_WERROR=ON >/dev/null
cmake --build build -j "$jobs" --target helixsoft_web_e2e_tests vesselgl_web_e2e_tests webserver_e2e_tests
TUBE_WEB_SITE="$root/out/web" \
TUBE_WEB_CAPTURE="$root/build-web/tools/helixsoft_capture/helixsoft-capture.js" \
TUBE_WEB_TUBE_CHECKSUMS="$root/build-web/tools/tube_checksums/tube-checksums.js" \
  ctest --test-dir build -L web --output-on-failure --timeout 600
