#pragma once

#include <cstdio>
#include <cstdlib>

// A property that failed is a finding like a crash: libFuzzer keeps the input
// that broke it, so abort after naming the property.
#define FUZZ_CHECK(condition)                                                                      \
    do {                                                                                           \
        if (!(condition)) {                                                                        \
            std::fprintf(stderr, "%s:%d: property does not hold: %s\n", __FILE__, __LINE__,        \
                         #condition);                                                              \
            std::abort();                                                                          \
        }                                                                                          \
    } while (false)
