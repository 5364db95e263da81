# Build switches for hardening: sanitizer builds, the libFuzzer targets, and
# leaving out the slow parts (content, benchmarks) in such secondary trees.

option(AMBER_SANITIZE
  "Build everything with AddressSanitizer and UndefinedBehaviorSanitizer (UB halts)" OFF)
option(AMBER_FUZZ
  "Build the libFuzzer targets in fuzz/ (clang only; implies AMBER_SANITIZE)" OFF)
option(AMBER_BUILD_CONTENT "Render the soundtrack and build the show's content" ON)
option(AMBER_BUILD_BENCHMARKS "Build the benchmarks in bench/" ON)

if(AMBER_FUZZ)
  if(NOT CMAKE_CXX_COMPILER_ID STREQUAL "Clang")
    message(FATAL_ERROR "AMBER_FUZZ needs clang (libFuzzer): configure with "
                        "-DCMAKE_C_COMPILER=clang-14 -DCMAKE_CXX_COMPILER=clang++-14")
  endif()
  set(AMBER_SANITIZE ON CACHE BOOL "" FORCE)
endif()

if(AMBER_SANITIZE)
  # Every undefined-behaviour report ends the process, so a test cannot pass
  # over one; frame pointers keep the reports' stacks whole.
  set(amber_sanitizer_flags -fsanitize=address,undefined -fno-sanitize-recover=undefined
      -fno-omit-frame-pointer)
  add_compile_options(${amber_sanitizer_flags})
  add_link_options(-fsanitize=address,undefined)
endif()

if(AMBER_FUZZ)
  # Coverage feedback for libFuzzer in every engine object; only the fuzz
  # targets link libFuzzer's own main.
  add_compile_options(-fsanitize=fuzzer-no-link)
endif()

# Compiles `source`, a file that includes the implementation of a header-only
# library the system provides, without the undefined-behaviour `checks` that
# library is known to trip in ways that cannot corrupt memory (a wrong value
# at worst). Call it in the folder that makes the target. Sanitizer builds
# only; address checks always stay on.
function(amber_without_checks source)
  if(AMBER_SANITIZE)
    list(JOIN ARGN "," checks)
    set_source_files_properties(${source} PROPERTIES COMPILE_OPTIONS "-fno-sanitize=${checks}")
  endif()
endfunction()

# Gives the executables `targets` the sanitizer runtime settings of
# cmake/sanitizer_runtime.cpp (sanitizer builds only).
function(amber_sanitizer_runtime)
  if(NOT AMBER_SANITIZE)
    return()
  endif()
  foreach(target ${ARGN})
    if(TARGET ${target})
      target_sources(${target} PRIVATE ${PROJECT_SOURCE_DIR}/cmake/sanitizer_runtime.cpp)
    endif()
  endforeach()
endfunction()
