#!/usr/bin/env bash
# The package part of the test run: builds the Debian package with the
# README's command, installs it system-wide with apt-get, uses it as a user
# would (the demos from their menu entries, from /, as nobody, with the source
# and build folders out of reach, in Xvfb; the manual pages; the capture
# tools' --version), validates the installed manual pages, menu entries and
# AppStream metadata, checks that cmake --install lays out the same files (and
# that they work moved elsewhere as a whole), then purges it and checks that every file it installed
# is gone. Needs root (or sudo); a tubedemos package installed beforehand is
# not touched: the test then stops with an error instead.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
cd "$root"

bash scripts/build-deb.sh
version="$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' build-deb/CMakeCache.txt)"
deb="$root/out/deb/tubedemos_${version}_$(dpkg --print-architecture).deb"

sudo_cmd=()
if [ "$(id -u)" -ne 0 ]; then
  sudo_cmd=(sudo)
fi
apt_get() {
  DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get -y -q -o DPkg::Lock::Timeout=300 "$@" </dev/null
}

# One package test at a time on a machine: each installs and purges the same
# package. The lock is taken on dpkg's own folder, opened for reading: nothing
# is created, so no name in a shared folder can be planted to redirect it.
exec 9</var/lib/dpkg
flock 9

if dpkg-query -W -f='${Status}' tubedemos 2>/dev/null | grep -q "install ok installed"; then
  echo "test-package: tubedemos is already installed here; remove it first (apt-get purge tubedemos)" >&2
  exit 1
fi

installed=()
layout=""
purge() {
  if [ "${#installed[@]}" -gt 0 ] || dpkg-query -W tubedemos >/dev/null 2>&1; then
    apt_get purge tubedemos >/dev/null
  fi
  [ -z "$layout" ] || rm -rf "$layout"
}
trap purge EXIT

echo "=== test-package: apt-get install $deb"
apt_get install "$deb" >/dev/null
mapfile -t installed < <(dpkg-query -L tubedemos | while read -r path; do
  [ -f "$path" ] && echo "$path"; done)
echo "test-package: ${#installed[@]} files installed"

echo "=== test-package: the installed files"
# Each program's manual page is found, and neither groff nor mandoc has a word to say on it.
for page in vesselgl helixsoft vesselgl-capture helixsoft-capture; do
  file="$(cd / && man -w "$page")"
  echo "$file"
  says="$({ zcat "$file" | groff -man -ww -z; zcat "$file" | mandoc -T lint -W warning; } 2>&1 || true)"
  if [ -n "$says" ]; then
    echo "test-package: $file: $says" >&2
    exit 1
  fi
done
[ "$(cd / && helixsoft-capture --version)" = "helixsoft-capture $version" ]
[ "$(cd / && vesselgl-capture --version)" = "vesselgl-capture $version" ]
desktop-file-validate $(printf '%s\n' "${installed[@]}" | grep '\.desktop$')
appstreamcli validate --no-net $(printf '%s\n' "${installed[@]}" | grep '\.metainfo\.xml$')

echo "=== test-package: cmake --install gives the package's files, and works moved"
layout="$(mktemp -d)"
cmake --install build-deb --prefix "$layout/first" >/dev/null
diff <(printf '%s\n' "${installed[@]}" | sort) \
  <(cd "$layout/first" && find . -type f | sed 's|^\./|/usr/|' | sort)
mv "$layout/first" "$layout/moved"
mkdir "$layout/work"
(cd "$layout/work" && "$layout/moved/bin/vesselgl-capture" --frames 1 --out frames >/dev/null)
[ -f "$layout/work/frames/frame_000001.png" ]

echo "=== test-package: the demos from their menu entries"
jobs="$(nproc 2>/dev/null || echo 2)"
cmake -S . -B build -G Ninja -DTUBE_WERROR=ON >/dev/null
cmake --build build -j "$jobs" --target package_e2e_tests
TUBE_PACKAGE_TESTS=/usr ctest --test-dir build -L package --output-on-failure --timeout 300

echo "=== test-package: apt-get purge"
apt_get purge tubedemos >/dev/null
left=()
for path in "${installed[@]}"; do
  [ -e "$path" ] && left+=("$path")
done
if [ "${#left[@]}" -gt 0 ]; then
  echo "test-package: left behind after the purge: ${left[*]}" >&2
  exit 1
fi
installed=()
echo "=== test-package: installed, used, validated and purged without a trace"
