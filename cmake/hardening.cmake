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
  # stb_image_write's JPEG writer shifts negative values left (defined on
  # every compiler we use, undefined before C++20); the tests' image writers
  # compile it with this check off. Apply with amber_third_party_writer().
  set(AMBER_WRITER_FLAGS -fno-sanitize=shift-base)
endif()

if(AMBER_FUZZ)
  # Coverage feedback for libFuzzer in every engine object; only the fuzz
  # targets link libFuzzer's own main.
  add_compile_options(-fsanitize=fuzzer-no-link)
endif()

# Compiles `source` (a file that includes a third-party writer's
# implementation) without the checks that writer is known to trip.
function(amber_third_party_writer source)
  if(AMBER_WRITER_FLAGS)
    set_source_files_properties(${source} PROPERTIES COMPILE_OPTIONS "${AMBER_WRITER_FLAGS}")
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
