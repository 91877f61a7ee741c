// Property checks for the fuzzers: a failed one aborts, which libFuzzer
// reports as a crash and saves the input.
#pragma once

#include <cstdio>
#include <cstdlib>

#define KV_CHECK(condition)                                                                        \
    do {                                                                                           \
        if (!(condition)) {                                                                        \
            std::fprintf(stderr, "%s:%d: property failed: %s\n", __FILE__, __LINE__, #condition);  \
            std::abort();                                                                          \
        }                                                                                          \
    } while (0)
