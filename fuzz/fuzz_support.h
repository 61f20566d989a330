#pragma once
// What every fuzz target shares. A broken expectation ends the run at once, so libFuzzer, or the
// corpus replay of the normal build, stops on the input that broke it.
#include <cstdlib>

inline void check(bool condition) {
    if (!condition) {
        std::abort();
    }
}
