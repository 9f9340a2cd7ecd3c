#!/usr/bin/env bash
# Builds the Debian package: installs what is missing, builds a Release of the
# programs in build-deb/ with Debian's hardening flags, writes
# out/deb/tubedemos_<version>_<arch>.deb with CPack (its dependencies computed
# from the programs by dpkg-shlibdeps) and checks it with lintian, which must
# report no error.
#   bash scripts/build-deb.sh
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
cd "$root"

if [ "$#" -ne 0 ]; then
  echo "usage: bash scripts/build-deb.sh" >&2
  exit 2
fi

bash scripts/install-deps.sh desktop deb

# Debian's flags for packages (stack protector, fortified functions, full
# RELRO, bind now), given on every configure so that a build-deb/ configured
# before by hand gets them too; the preprocessor's go in with the compilers'.
flags() { DEB_BUILD_MAINT_OPTIONS=hardening=+all dpkg-buildflags --get "$1"; }

build="$root/build-deb"
echo "=== build-deb: configure and build"
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX=/usr \
  -DCMAKE_C_FLAGS="$(flags CPPFLAGS) $(flags CFLAGS)" \
  -DCMAKE_CXX_FLAGS="$(flags CPPFLAGS) $(flags CXXFLAGS)" \
  -DCMAKE_EXE_LINKER_FLAGS="$(flags LDFLAGS)" \
  -DTUBE_BUILD_TESTS=OFF -DTUBE_BUILD_BENCHMARKS=OFF >/dev/null
cmake --build "$build" -j "$(nproc 2>/dev/null || echo 2)"

echo "=== build-deb: package"
rm -rf "$build/cpack"
(cd "$build" && cpack -G DEB -B "$build/cpack" >/dev/null)
deb="$(find "$build/cpack" -maxdepth 1 -name '*.deb')"
mkdir -p out/deb
cp "$deb" out/deb/
deb="$root/out/deb/$(basename "$deb")"

echo "=== build-deb: lintian"
lintian --fail-on error --info "$deb"
echo "=== build-deb: $deb"
