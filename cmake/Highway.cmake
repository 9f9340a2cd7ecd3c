# Google Highway, behind the renderer's and the window layer's kernels: each
# kernel is written once and compiled for every instruction set Highway targets.
# Link `tube_highway` to a library whose sources include <hwy/highway.h>.
#  - Linux and Windows builds link Highway's library, which picks the best
#    instruction set at run time: Debian's libhwy-dev on Linux, the same
#    version built from Debian's source by scripts/build-windows.sh for Windows.
#  - The web build has no such library: it compiles Highway's headers for the
#    one instruction set it builds for, WebAssembly's 128-bit SIMD (as
#    tube_configure_target asks), with no run-time choice.
#  - TUBE_PORTABLE_KERNELS builds Highway's portable emulation alone, the code
#    that processors without a SIMD target of their own run.
option(TUBE_PORTABLE_KERNELS "Build only the kernels' portable code, as other processors run it" OFF)

add_library(tube_highway INTERFACE)
if(EMSCRIPTEN OR TUBE_PORTABLE_KERNELS)
  # The build machine's headers, copied so that a cross compiler sees no other
  # header of the build machine's.
  find_path(TUBE_HWY_HOST_INCLUDE hwy/highway.h PATHS /usr/include NO_CMAKE_FIND_ROOT_PATH REQUIRED)
  set(hwy_include "${CMAKE_BINARY_DIR}/highway-include")
  file(COPY "${TUBE_HWY_HOST_INCLUDE}/hwy" DESTINATION "${hwy_include}")
  target_include_directories(tube_highway SYSTEM INTERFACE "${hwy_include}")
  if(TUBE_PORTABLE_KERNELS)
    target_compile_definitions(tube_highway INTERFACE HWY_COMPILE_ONLY_EMU128)
  else()
    target_compile_definitions(tube_highway INTERFACE HWY_COMPILE_ONLY_STATIC)
  endif()
else()
  find_package(PkgConfig REQUIRED)
  pkg_check_modules(HWY REQUIRED IMPORTED_TARGET libhwy)
  target_link_libraries(tube_highway INTERFACE PkgConfig::HWY)
endif()
