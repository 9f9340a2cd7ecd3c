# Build switches and the one helper that gives every target of the project the
# same language level, warnings and floating-point rules.

option(TUBE_WERROR "Treat compiler warnings as errors" OFF)
option(TUBE_SANITIZE "Build with AddressSanitizer and UndefinedBehaviorSanitizer" OFF)
option(TUBE_SANITIZE_THREAD "Build with ThreadSanitizer (not together with TUBE_SANITIZE)" OFF)
if(TUBE_SANITIZE AND TUBE_SANITIZE_THREAD)
  message(FATAL_ERROR "TUBE_SANITIZE and TUBE_SANITIZE_THREAD exclude each other")
endif()
option(TUBE_BUILD_TESTS "Build the GoogleTest suite" ON)
option(TUBE_BUILD_BENCHMARKS "Build the Google Benchmark programs (never run as tests)" ON)

if(NOT CMAKE_BUILD_TYPE AND NOT CMAKE_CONFIGURATION_TYPES)
  set(CMAKE_BUILD_TYPE Release CACHE STRING "Build type" FORCE)
endif()

# Both demos' geometry is defined to the last bit of a float: a fused
# multiply-add rounds once where the program rounds twice, so contraction is
# off everywhere and fast-math is never used.
function(tube_configure_target target)
  target_compile_features(${target} PUBLIC cxx_std_20)
  set_target_properties(${target} PROPERTIES CXX_EXTENSIONS OFF)
  target_compile_options(${target} PRIVATE -Wall -Wextra -ffp-contract=off -fno-fast-math)
  if(TUBE_WERROR)
    target_compile_options(${target} PRIVATE -Werror)
  endif()
  if(EMSCRIPTEN)
    # WebAssembly's 128-bit SIMD, which every current browser and Node.js run:
    # the compiler vectorises the portable loops as it does on the desktop.
    target_compile_options(${target} PRIVATE -msimd128)
  endif()
  if(TUBE_SANITIZE)
    target_compile_options(${target} PRIVATE
      -fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer)
    target_link_options(${target} PRIVATE -fsanitize=address,undefined)
  endif()
  if(TUBE_SANITIZE_THREAD)
    target_compile_options(${target} PRIVATE -fsanitize=thread -fno-omit-frame-pointer)
    target_link_options(${target} PRIVATE -fsanitize=thread)
  endif()
endfunction()

# GCC 12 folds a vector's widening to double of a narrowing to float away, so
# once its vectorisers have paired two rounded values it computes with the
# unrounded doubles. The tube builders round to float at every step and spend
# their time in sin and cos, not in anything vectorising would speed up: in
# their sources GCC's vectorisers stay off.
function(tube_keep_float_rounding)
  set_source_files_properties(${ARGN} PROPERTIES
    COMPILE_OPTIONS "$<$<CXX_COMPILER_ID:GNU>:-fno-tree-vectorize>")
endfunction()
