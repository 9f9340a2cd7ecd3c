#!/usr/bin/env bash
# Installs every package that building, running and testing both demos needs,
# from Debian's (or Ubuntu's) archive. Safe to run again: packages already
# present are skipped, and apt is not touched at all when nothing is missing.
#   bash scripts/install-deps.sh [desktop|web|windows|deb|all]...   (default: desktop)
# desktop: building, running and testing on Linux; web: Emscripten, Node.js and
# headless Chromium; windows: the MinGW-w64 cross build and Wine; deb: making and
# checking the Debian package; all: every group.
set -euo pipefail

desktop=(
  build-essential clang cmake ninja-build pkgconf
  libgtest-dev libgmock-dev libbenchmark-dev libmpfr-dev
  libglfw3-dev libgl-dev libgles-dev libosmesa6-dev libgl1-mesa-dri
  libstb-dev libsdl2-dev libpixman-1-dev libhwy-dev
  libx11-dev libxtst-dev libxrandr-dev xvfb xauth python3-pil
  xserver-xorg-core xserver-xorg-video-dummy
  desktop-file-utils appstream groff-base mandoc man-db
)
web=(emscripten nodejs chromium)
# The Windows cross build: the compilers, Wine to run the results, dpkg-dev for
# unpacking GLFW's Debian source package, and GoogleTest's and stb's sources.
windows=(
  cmake ninja-build pkgconf dpkg-dev
  g++-mingw-w64-x86-64-posix wine wine64
  libgtest-dev libstb-dev
)

# The Debian package: CPack's dependency computation (dpkg-shlibdeps, file) and lintian.
deb=(cmake ninja-build pkgconf dpkg-dev file lintian)

wanted=()
for group in "${@:-desktop}"; do
  case "$group" in
    desktop) wanted+=("${desktop[@]}") ;;
    web) wanted+=("${web[@]}") ;;
    windows) wanted+=("${windows[@]}") ;;
    deb) wanted+=("${deb[@]}") ;;
    all) wanted+=("${desktop[@]}" "${web[@]}" "${windows[@]}" "${deb[@]}") ;;
    *) echo "usage: bash scripts/install-deps.sh [desktop|web|windows|deb|all]..." >&2; exit 2 ;;
  esac
done
mapfile -t packages < <(printf '%s\n' "${wanted[@]}" | sort -u)

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
