# The unit tests once more under AddressSanitizer and UBSan, and libFuzzer
# targets for the code that reads untrusted input (config file, registry).
# Included from the native branch once unit_tests and KV_UNIT_TESTS exist.

# kvcore's sources as absolute paths, so other targets and builds can reuse them.
get_target_property(kv_core_sources kvcore SOURCES)
set(KV_CORE_SOURCES_ABS "")
foreach(source IN LISTS kv_core_sources)
    if(NOT IS_ABSOLUTE "${source}")
        set(source "${CMAKE_CURRENT_SOURCE_DIR}/${source}")
    endif()
    list(APPEND KV_CORE_SOURCES_ABS "${source}")
endforeach()

# --- Sanitized unit tests -------------------------------------------------
# A separate executable built from source: instrumenting only the tests and
# not kvcore would miss faults in the code under test.
set(KV_SANITIZE_FLAGS -fsanitize=address,undefined -fno-sanitize-recover=all
                      -fno-omit-frame-pointer)
add_executable(unit_tests_sanitized ${KV_UNIT_TESTS} ${KV_CORE_SOURCES_ABS})
target_include_directories(unit_tests_sanitized PRIVATE ${CMAKE_CURRENT_SOURCE_DIR})
target_link_libraries(unit_tests_sanitized PRIVATE GTest::gtest_main)
target_compile_definitions(unit_tests_sanitized PRIVATE
    # Bounds checks on operator[] catch reads past size() but within capacity,
    # which ASan cannot see.
    _GLIBCXX_ASSERTIONS)
target_compile_options(unit_tests_sanitized PRIVATE ${KV_SANITIZE_FLAGS})
target_link_options(unit_tests_sanitized PRIVATE ${KV_SANITIZE_FLAGS})
kv_warnings(unit_tests_sanitized)

# One ctest entry for the whole run keeps the ctest listing readable; gtest's
# own output names the failing case.
add_test(NAME unit_tests_sanitized COMMAND unit_tests_sanitized --gtest_brief=1)
set_tests_properties(unit_tests_sanitized PROPERTIES
    LABELS sanitize
    TIMEOUT 300
    ENVIRONMENT "ASAN_OPTIONS=detect_leaks=1:strict_string_checks=1:detect_stack_use_after_return=1;UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1")

# --- Fuzzers ----------------------------------------------------------------
# libFuzzer needs clang; the fuzzers are a separate CMake build configured with
# clang++ so the rest of the native build keeps g++.
find_program(KV_CLANGXX NAMES clang++ clang++-14)
set(KV_FUZZ_SECONDS 20 CACHE STRING "Seconds each fuzzer runs under ctest")

set(kv_fuzz_ok FALSE)
if(KV_CLANGXX)
    # clang without libclang-rt-dev compiles but cannot link a fuzzer.
    set(probe_dir ${CMAKE_CURRENT_BINARY_DIR}/fuzz-probe)
    file(WRITE ${probe_dir}/probe.cpp
         "#include <cstddef>\n#include <cstdint>\n"
         "extern \"C\" int LLVMFuzzerTestOneInput(const uint8_t*, size_t) { return 0; }\n")
    execute_process(
        COMMAND ${KV_CLANGXX} -fsanitize=fuzzer,address,undefined probe.cpp -o probe
        WORKING_DIRECTORY ${probe_dir}
        RESULT_VARIABLE probe_result OUTPUT_QUIET ERROR_QUIET)
    if(probe_result EQUAL 0)
        set(kv_fuzz_ok TRUE)
    endif()
endif()

if(NOT kv_fuzz_ok)
    message(WARNING "clang++ with libFuzzer not found (install clang libclang-rt-dev): "
                    "the fuzzers are not built")
    return()
endif()

include(ExternalProject)
set(KV_FUZZ_TARGETS config_reader_fuzz minutes_fuzz registry_value_fuzz)
set(KV_FUZZ_BIN ${CMAKE_CURRENT_BINARY_DIR}/fuzz)
set(kv_fuzz_binaries "")
foreach(target IN LISTS KV_FUZZ_TARGETS)
    list(APPEND kv_fuzz_binaries ${KV_FUZZ_BIN}/${target})
endforeach()

ExternalProject_Add(kv_fuzzers
    SOURCE_DIR ${CMAKE_CURRENT_SOURCE_DIR}/tests/fuzz
    BINARY_DIR ${KV_FUZZ_BIN}
    CMAKE_GENERATOR ${CMAKE_GENERATOR}
    CMAKE_CACHE_ARGS
        -DCMAKE_CXX_COMPILER:FILEPATH=${KV_CLANGXX}
        -DCMAKE_BUILD_TYPE:STRING=RelWithDebInfo
        -DKV_ROOT:PATH=${CMAKE_CURRENT_SOURCE_DIR}
        -DKV_CORE_SOURCES:STRING=${KV_CORE_SOURCES_ABS}
        -DKV_FUZZ_TARGETS:STRING=${KV_FUZZ_TARGETS}
    INSTALL_COMMAND ""
    # The sub-build tracks its own sources; always ask it.
    BUILD_ALWAYS ON
    BUILD_BYPRODUCTS ${kv_fuzz_binaries})

# A short run of each on a fresh copy of its committed corpus.
foreach(target IN LISTS KV_FUZZ_TARGETS)
    add_test(NAME fuzz.${target}
             COMMAND ${CMAKE_COMMAND}
                 -DFUZZER=${KV_FUZZ_BIN}/${target}
                 -DCORPUS=${CMAKE_CURRENT_SOURCE_DIR}/tests/fuzz/corpus/${target}
                 -DWORK=${CMAKE_CURRENT_BINARY_DIR}/fuzz-work/${target}
                 -DSECONDS=${KV_FUZZ_SECONDS}
                 -P ${CMAKE_CURRENT_SOURCE_DIR}/tests/fuzz/run_fuzzer.cmake)
    math(EXPR kv_fuzz_timeout "${KV_FUZZ_SECONDS} + 120")
    set_tests_properties(fuzz.${target} PROPERTIES LABELS fuzz TIMEOUT ${kv_fuzz_timeout})
endforeach()
