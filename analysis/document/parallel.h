// The thread count and thread number of the row-parallel loops (OpenMP when the compiler has
// it, one thread otherwise). Per-thread scratch buffers are allocated before a parallel loop,
// sized by maxThreads(), because an exception must not leave a parallel region.
#pragma once

#ifdef _OPENMP
#include <omp.h>
#endif

namespace orvane {

// Below this many pixels a loop runs on the calling thread: starting threads costs more.
inline constexpr long long kParallelPixels = 65536;

inline int maxThreads() {
#ifdef _OPENMP
    return omp_get_max_threads();
#else
    return 1;
#endif
}

inline int threadNumber() {
#ifdef _OPENMP
    return omp_get_thread_num();
#else
    return 0;
#endif
}

}  // namespace orvane
