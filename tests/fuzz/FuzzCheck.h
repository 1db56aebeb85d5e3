#pragma once

#include <cstdio>
#include <cstdlib>

// A broken promise found by a fuzz target: said on stderr, then abort(), which both libFuzzer and the
// replay runner report as a finding with the input that caused it.
#define FUZZ_CHECK(condition)                                                                                \
    do {                                                                                                     \
        if (!(condition)) {                                                                                  \
            std::fprintf(stderr, "%s:%d: check failed: %s\n", __FILE__, __LINE__, #condition);               \
            std::abort();                                                                                    \
        }                                                                                                    \
    } while (false)
