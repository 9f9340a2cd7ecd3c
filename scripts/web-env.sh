# Sourced by the web scripts: Debian's Emscripten, used offline. It finds its
# JavaScript parser among Debian's Node.js modules and runs on Debian's Python
# (not whichever python3 comes first on PATH). web_configure sets up build-web
# without emcmake, which hands Node.js a flag that current versions refuse.
export NODE_PATH="/usr/share/nodejs${NODE_PATH:+:$NODE_PATH}"
export EMSDK_PYTHON=/usr/bin/python3

web_configure() {
  cmake -S . -B build-web -G Ninja \
    -DCMAKE_TOOLCHAIN_FILE=/usr/share/emscripten/cmake/Modules/Platform/Emscripten.cmake \
    -DCMAKE_CROSSCOMPILING_EMULATOR=/usr/bin/node "$@" >/dev/null
}

# The site in out/web: the pages and every program's .js and .wasm.
web_build_site() {
  cmake --build build-web -j "$(nproc 2>/dev/null || echo 2)"
  rm -rf out/web
  cmake --install build-web --prefix out/web >/dev/null
}
