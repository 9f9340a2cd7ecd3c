#!/usr/bin/env bash
# Native builds beyond the suite's own: clang with the portable kernels, warnings
# as errors, running its unit tests; then every frame of long runs of the
# software demo compared, by checksum, between that build and the GCC Release
# build with the x86 kernels (the suite's "build", configured here if missing).
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
cd "$root"

jobs="$(nproc 2>/dev/null || echo 2)"
gcc_dir=build
clang_dir=build-clang-portable
frames=2100
spins=(0 40 137 271)

echo "=== $clang_dir: configure and build (clang, portable kernels)"
CC=clang CXX=clang++ cmake -S . -B "$clang_dir" -G Ninja -DTUBE_WERROR=ON \
  -DTUBE_PORTABLE_KERNELS=ON >/dev/null
cmake --build "$clang_dir" -j "$jobs"
echo "=== $clang_dir: unit tests"
ctest --test-dir "$clang_dir" --output-on-failure -j "$jobs" --timeout 300 -LE e2e

if [ ! -f "$gcc_dir/build.ninja" ]; then
  cmake -S . -B "$gcc_dir" -G Ninja -DTUBE_WERROR=ON >/dev/null
fi
cmake --build "$gcc_dir" -j "$jobs" --target helixsoft-capture

# Both builds render a spin at once (one per core); checksums pinpoint the frames.
capture_sums() {
  "$1/tools/helixsoft_capture/helixsoft-capture" --start-spin "$2" --frames "$frames" \
    --checksums "$3" >/dev/null
}

echo "=== every frame 1..$frames of start spins ${spins[*]}: $gcc_dir against $clang_dir"
sums="$clang_dir/frame-checksums"
mkdir -p "$sums"
failed=0
for spin in "${spins[@]}"; do
  gcc_sums="$sums/gcc-spin$spin.txt"
  clang_sums="$sums/clang-spin$spin.txt"
  capture_sums "$gcc_dir" "$spin" "$gcc_sums" & gcc_pid=$!
  capture_sums "$clang_dir" "$spin" "$clang_sums" & clang_pid=$!
  wait "$gcc_pid"
  wait "$clang_pid"
  differing="$(diff "$gcc_sums" "$clang_sums" | sed -n 's/^< \(frame_[0-9]*\) .*/\1/p')"
  if [ -n "$differing" ]; then
    echo "spin $spin: $(wc -l <<<"$differing") of $frames frames differ:" $differing | cut -c1-300
    failed=1
  fi
done
if [ "$failed" -ne 0 ]; then
  echo "native builds: frames differ between GCC and clang" >&2
  exit 1
fi
echo "=== native builds agree on all $((frames * ${#spins[@]})) frames"
