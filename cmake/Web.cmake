# The web build's shared settings: Debian's Emscripten, used offline (no ports,
# nothing fetched), for programs that run in a browser page or under Node.js.

# environment: "web" for a page's module (NAME.js and NAME.wasm); "node" for a
# command-line tool that reads and writes the real file system and ends with
# its exit status. A tool is one file, NAME.js, with the module inside: the
# loader of this Emscripten would fetch a separate .wasm by a file path, which
# Node.js 18 and later refuse ("Failed to parse URL").
# V8 keeps a WebAssembly function in its baseline code for as long as that call
# runs; optimised code serves the next call. Binaryen inlines every function
# that has a single caller, so a program's whole frame loop would end up in
# main, called once, and never run optimised: single callers get the inlining
# any caller gets instead.
function(tube_web_program target environment)
  target_link_options(${target} PRIVATE -sENVIRONMENT=${environment} -sEXIT_RUNTIME -msimd128
    "-sBINARYEN_EXTRA_PASSES=--one-caller-inline-max-function-size=0")
  if(environment STREQUAL "node")
    target_link_options(${target} PRIVATE -sNODERAWFS -sSINGLE_FILE)
  endif()
endfunction()

# The page programs' shared JavaScript: their start (--pre-js: main runs once
# the module is ready, and its last return reaches Module.onExit as exit()
# would), and their wait for an animation frame, cursor and full screen
# (--js-library).
set(TUBE_WEB_MAIN_JS ${PROJECT_SOURCE_DIR}/web/webmain.js)
set(TUBE_WEB_FRAME_JS ${PROJECT_SOURCE_DIR}/web/webframe.js)
