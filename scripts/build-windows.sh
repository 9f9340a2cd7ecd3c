#!/usr/bin/env bash
# Cross-builds both demos for 64-bit Windows and packs them into
# out/windows/tubedemos-<version>-windows-x64.zip, with the licence.
#   bash scripts/build-windows.sh [--tests]     (--tests: build the unit tests too)
# Nothing is downloaded but Debian packages: GoogleTest is built from the
# sources in libgtest-dev, GLFW and Highway from Debian's source packages
# (fetched with apt-get source through a private deb-src list, the system's apt
# configuration untouched) and stb from Debian's headers, all into
# build-windows/deps/prefix.
# A rerun reuses that prefix.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
cd "$root"

build_tests=OFF
case "${1:-}" in
  "") ;;
  --tests) build_tests=ON ;;
  *) echo "usage: bash scripts/build-windows.sh [--tests]" >&2; exit 2 ;;
esac

glfw_version=3.3.8-1
highway_version=1.0.3-3+deb12u1  # the libhwy-dev of the Linux build
build="$root/build-windows"
deps="$build/deps"
prefix="$deps/prefix"
toolchain="$root/cmake/mingw-w64-x86_64.cmake"
jobs="$(nproc 2>/dev/null || echo 2)"
mingw_cc=x86_64-w64-mingw32-gcc-posix

bash scripts/install-deps.sh windows
mkdir -p "$prefix"

# The Debian archive this machine installs from, as a one-line deb-src entry.
archive_source_line() {
  local codename
  codename="$(. /etc/os-release && echo "${VERSION_CODENAME:-}")"
  apt-get indextargets --format '$(REPO_URI) $(RELEASE) $(COMPONENT)' 'Target-Of: deb' |
    awk -v suite="$codename" '$2 == suite && $3 == "main" { print "deb-src " $1 " " $2 " main"; exit }'
}

# apt-get with its lists, caches and sources kept under $deps/apt.
private_apt() {
  local apt="$deps/apt"
  apt-get -q -o Dir::Etc::SourceList="$apt/sources.list" -o Dir::Etc::SourceParts=/nonexistent \
    -o Dir::State::Lists="$apt/lists" -o Dir::Cache="$apt/cache" \
    -o Debug::NoLocking=1 -o APT::Sandbox::User=root "$@"
}

# apt-get source of one package version, unpacked in $deps/src/<folder>.
fetch_source() {
  local package="$1" version="$2" folder="$3" apt="$deps/apt" line
  [ -d "$deps/src/$folder" ] && return
  line="$(archive_source_line)"
  if [ -z "$line" ]; then
    echo "build-windows: no Debian archive found in the apt sources" >&2
    exit 1
  fi
  mkdir -p "$apt/lists/partial" "$apt/cache/archives/partial" "$deps/src"
  echo "$line" >"$apt/sources.list"
  private_apt update >/dev/null
  (cd "$deps/src" && private_apt source "$package=$version" >/dev/null)
}

# cmake configure, build and install of one dependency into the prefix.
build_dependency() {
  local name="$1" source="$2"; shift 2
  local stamp="$prefix/.built-$name"
  [ -f "$stamp" ] && return
  echo "=== build-windows: building $name for Windows"
  cmake -S "$source" -B "$deps/build-$name" -G Ninja -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_TOOLCHAIN_FILE="$toolchain" -DTUBE_WINDOWS_DEPS="$prefix" \
    -DCMAKE_INSTALL_PREFIX="$prefix" "$@" >/dev/null
  cmake --build "$deps/build-$name" -j "$jobs" >/dev/null
  cmake --install "$deps/build-$name" >/dev/null
  touch "$stamp"
}

# Debian's libstb, rebuilt for Windows from the same headers: the image
# reader and writer the project links, and a .pc file as Debian ships one.
build_stb() {
  local stamp="$prefix/.built-stb" work="$deps/build-stb" module
  [ -f "$stamp" ] && return
  echo "=== build-windows: building stb for Windows"
  mkdir -p "$work" "$prefix/include/stb" "$prefix/lib/pkgconfig"
  for module in image image_write; do
    cp "/usr/include/stb/stb_$module.h" "$prefix/include/stb/"
    printf '#define STB_%s_IMPLEMENTATION\n#include <stb_%s.h>\n' "${module^^}" "$module" >"$work/$module.c"
    "$mingw_cc" -O2 -I"$prefix/include/stb" -c "$work/$module.c" -o "$work/$module.o"
  done
  rm -f "$prefix/lib/libstb.a"
  x86_64-w64-mingw32-ar rcs "$prefix/lib/libstb.a" "$work"/*.o
  cat >"$prefix/lib/pkgconfig/stb.pc" <<EOF
prefix=$prefix
Name: stb
Description: stb_image and stb_image_write for Windows
Version: 0.0
Libs: -L\${prefix}/lib -lstb
Cflags: -I\${prefix}/include/stb
EOF
  touch "$stamp"
}

fetch_source glfw3 "$glfw_version" glfw3-3.3.8
build_dependency glfw "$deps/src/glfw3-3.3.8" -DBUILD_SHARED_LIBS=OFF \
  -DGLFW_BUILD_EXAMPLES=OFF -DGLFW_BUILD_TESTS=OFF -DGLFW_BUILD_DOCS=OFF
# Highway's run-time choice of instruction set for the renderer's kernels.
fetch_source highway "$highway_version" highway-1.0.3
build_dependency highway "$deps/src/highway-1.0.3" -DBUILD_SHARED_LIBS=OFF \
  -DBUILD_TESTING=OFF -DHWY_ENABLE_TESTS=OFF -DHWY_ENABLE_EXAMPLES=OFF -DHWY_ENABLE_CONTRIB=OFF
if [ "$build_tests" = ON ]; then
  build_dependency gtest /usr/src/googletest -DBUILD_GMOCK=OFF
fi
build_stb

echo "=== build-windows: configure and build"
cmake -S . -B "$build" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$toolchain" -DTUBE_WINDOWS_DEPS="$prefix" \
  -DTUBE_WERROR=ON -DTUBE_BUILD_BENCHMARKS=OFF -DTUBE_BUILD_TESTS="$build_tests" >/dev/null
cmake --build "$build" -j "$jobs"

# The version as the build's project() line sets it.
version="$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")"
name="tubedemos-$version-windows-x64"
# The licences of what the programs carry linked in: GLFW, Highway and stb from
# the sources built above, and MinGW-w64's runtime as Debian describes it.
license_heading() { printf '%s\n%s\n\n' "$1" "$(printf '=%.0s' $(seq ${#1}))"; }
third_party_licenses() {
  echo "The Windows programs include code from the following projects, under their own licences."
  echo
  license_heading "GLFW 3.3.8 (vesselgl.exe)"; cat "$deps/src/glfw3-3.3.8/LICENSE.md"; echo
  license_heading "Highway 1.0.3 (helixsoft.exe, helixsoft-capture.exe)"; cat "$deps/src/highway-1.0.3/LICENSE"; echo
  license_heading "stb_image and stb_image_write"
  sed -n '/This software is available under 2 licenses/,$p' /usr/include/stb/stb_image.h | sed '/^\*\/$/d'
  echo
  license_heading "MinGW-w64 runtime (all programs)"; cat /usr/share/doc/mingw-w64-x86-64-dev/copyright
}

package="$root/out/windows/$name"
rm -rf "$package" "$package.zip"
mkdir -p "$package"
cp "$build/vesselgl/vesselgl.exe" "$build/helixsoft/helixsoft.exe" \
  "$build/tools/helixsoft_capture/helixsoft-capture.exe" vesselgl/assets/artery.tga "$package/"
x86_64-w64-mingw32-strip "$package"/*.exe  # symbols are for debugging the build, not for users
sed 's/$/\r/' scripts/windows-readme.txt >"$package/README.txt"
sed 's/$/\r/' LICENSE >"$package/LICENSE.txt"
third_party_licenses | sed 's/$/\r/' >"$package/THIRD-PARTY-LICENSES.txt"
(cd "$root/out/windows" && cmake -E tar cf "$name.zip" --format=zip "$name")
echo "=== build-windows: $package.zip"
