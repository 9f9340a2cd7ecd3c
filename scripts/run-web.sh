#!/usr/bin/env bash
# Installs what is missing, builds the web version into build-web/ and the site
# into out/web/, and serves it on http://127.0.0.1:8080/ until Ctrl+C.
#   bash scripts/run-web.sh            build, then serve (or, with no display, a screenshot)
#   bash scripts/run-web.sh --build    build only
# With no display ($DISPLAY and $WAYLAND_DISPLAY unset) it opens both demos'
# pages in headless Chromium instead, saves out/web-helixsoft.png and
# out/web-vesselgl.png and stops.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
cd "$root"

case "${1:-}" in
  ""|--build) ;;
  *) echo "usage: bash scripts/run-web.sh [--build]" >&2; exit 2 ;;
esac

bash scripts/install-deps.sh desktop web  # the site's pictures come from the native capture tools
source scripts/web-env.sh
web_configure
web_build_site
echo "Site built in $root/out/web"
[ "${1:-}" = "--build" ] && exit 0

driver="$root/tools/webdriver/webdriver.js"
if [ -n "${DISPLAY:-}" ] || [ -n "${WAYLAND_DISPLAY:-}" ]; then
  echo "Open http://127.0.0.1:8080/ in a browser; Ctrl+C stops the server."
  exec node "$driver" serve out/web 8080
fi

echo "No display found: opening the demos' pages in headless Chromium."
for demo in helixsoft vesselgl; do
  shot="$root/out/web-$demo.png"
  node "$driver" run out/web size 800x640 open "$demo.html" \
    wait "demoPage.module.frameStats && demoPage.module.frameStats.presents >= 60" shot "$shot"
  echo "Screenshot saved to: $shot"
done
