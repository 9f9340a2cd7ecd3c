#!/usr/bin/env bash
# Installs every package that building, running and testing both demos needs,
# from Debian's (or Ubuntu's) archive. Safe to run again: packages already
# present are skipped, and apt is not touched at all when nothing is missing.
#   bash scripts/install-deps.sh [GROUP...]
# The desktop packages always; the groups add a platform: "web" (Emscripten,
# Node.js, headless Chromium), "all" (every group).
set -euo pipefail

packages=(
  build-essential clang cmake ninja-build pkgconf
  libgtest-dev libgmock-dev libbenchmark-dev libmpfr-dev
  libglfw3-dev libgl-dev libgles-dev libosmesa6-dev libgl1-mesa-dri
  libstb-dev libsdl2-dev libpixman-1-dev
  libx11-dev libxtst-dev xvfb xauth
)
web_packages=(emscripten nodejs chromium)

for group in "$@"; do
  case "$group" in
    web|all) packages+=("${web_packages[@]}") ;;
    *) echo "usage: bash scripts/install-deps.sh [web|all]..." >&2; exit 2 ;;
  esac
done

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done

if [ "${#missing[@]}" -eq 0 ]; then
  echo "install-deps: all ${#packages[@]} packages present"
  exit 0
fi

sudo_cmd=()
if [ "$(id -u)" -ne 0 ]; then
  if command -v sudo >/dev/null 2>&1; then
    sudo_cmd=(sudo)
  else
    echo "install-deps: not root and no sudo; please install: ${missing[*]}" >&2
    exit 1
  fi
fi

echo "install-deps: installing ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
"${sudo_cmd[@]}" apt-get update -qq
"${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}" </dev/null
