#!/usr/bin/env bash
# Installs what is missing, builds one demo and runs it.
#   bash scripts/run-demo.sh [vesselgl|helixsoft]      (default: vesselgl)
# With a display it simply runs the demo full screen. Without one ($DISPLAY and
# $WAYLAND_DISPLAY unset) it runs the demo for a few seconds in a private Xvfb,
# saves a screenshot, ends the demo with a key press and says where the picture is.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
cd "$root"

demo="${1:-vesselgl}"
case "$demo" in
  vesselgl|helixsoft) ;;
  *) echo "usage: bash scripts/run-demo.sh [vesselgl|helixsoft]" >&2; exit 2 ;;
esac

bash scripts/install-deps.sh
cmake -S . -B build -G Ninja >/dev/null
cmake --build build -j "$(nproc 2>/dev/null || echo 2)" --target "$demo" xdriver-cli

program="$root/build/$demo/$demo"
workdir="$(dirname "$program")"   # vesselgl finds artery.tga beside its binary

if [ -n "${DISPLAY:-}" ] || [ -n "${WAYLAND_DISPLAY:-}" ]; then
  cd "$workdir"
  exec "$program"
fi

echo "No display found: running $demo for a few seconds in a virtual X server (Xvfb)."
mkdir -p "$root/out"
shot="$root/out/$demo-screenshot.png"
xdriver="$root/build/tools/xdriver/xdriver"

exec 3< <(Xvfb -displayfd 1 -screen 0 640x480x24 -nolisten tcp -noreset 2>/dev/null)
xvfb_pid=$!
read -r -t 10 number <&3 || { echo "Xvfb did not start" >&2; exit 1; }
export DISPLAY=":$number"
demo_pid=""
cleanup() {
  [ -n "$demo_pid" ] && kill "$demo_pid" 2>/dev/null || true
  kill "$xvfb_pid" 2>/dev/null || true
}
trap cleanup EXIT

(cd "$workdir" && exec "$program") &
demo_pid=$!
"$xdriver" wait-window 15000 || { echo "$demo opened no window" >&2; exit 1; }
sleep 3
"$xdriver" shot "$shot"
"$xdriver" key Escape
status=0
for _ in $(seq 100); do
  kill -0 "$demo_pid" 2>/dev/null || break
  sleep 0.1
done
wait "$demo_pid" || status=$?
demo_pid=""
echo "$demo ended with exit status $status after the Escape key."
echo "Screenshot saved to: $shot"
