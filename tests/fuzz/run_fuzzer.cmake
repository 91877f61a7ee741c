# Runs one fuzzer for SECONDS on a fresh copy of its committed CORPUS in WORK,
# so the repository never changes. Fails when the fuzzer finds a fault; the
# input that caused it is kept in WORK/artifacts.
foreach(var FUZZER CORPUS WORK SECONDS)
    if(NOT DEFINED ${var})
        message(FATAL_ERROR "run_fuzzer.cmake needs -D${var}=...")
    endif()
endforeach()

file(REMOVE_RECURSE ${WORK})
file(MAKE_DIRECTORY ${WORK}/corpus ${WORK}/artifacts)
file(GLOB seeds ${CORPUS}/*)
if(NOT seeds)
    message(FATAL_ERROR "no seed inputs in ${CORPUS}")
endif()
file(COPY ${seeds} DESTINATION ${WORK}/corpus)

execute_process(
    COMMAND ${FUZZER} -max_total_time=${SECONDS} -timeout=10 -rss_limit_mb=1024
            -print_final_stats=1 -artifact_prefix=${WORK}/artifacts/ ${WORK}/corpus
    RESULT_VARIABLE result)
if(NOT result EQUAL 0)
    message(FATAL_ERROR "${FUZZER} failed (${result}); the input is in ${WORK}/artifacts")
endif()
