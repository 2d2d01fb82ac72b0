// What the optimised paths' tests vary: the number of threads and the kernel builds the
// processor may run (their random images are in test_images.h).
#pragma once

#include <cstdint>

#ifdef _OPENMP
#include <omp.h>
#endif

#include "base/parallel.h"

namespace orvane::testing_support {

inline void setThreads(int threads) {
#ifdef _OPENMP
    omp_set_num_threads(threads);
#else
    (void)threads;
#endif
}

// The kernel builds the processor may run: the best it has, AVX2 only, and the baseline.
struct KernelLevel {
    const char* name;
    bool avx512, avx2;
};
inline constexpr KernelLevel kLevels[] = {{"best kernels", true, true},
                                          {"AVX2 kernels", false, true},
                                          {"baseline kernels", false, false}};

inline void allowKernels(const KernelLevel& level) {
    avx512KernelsAllowed() = level.avx512;
    avx2KernelsAllowed() = level.avx2;
}

}  // namespace orvane::testing_support
