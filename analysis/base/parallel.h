// The thread count and thread number of the row-parallel loops (OpenMP when the compiler has
// it, one thread otherwise), and whether the processor runs the kernels' AVX2 and AVX-512
// builds.
// Per-thread scratch buffers are allocated before a parallel loop, sized by maxThreads(),
// because an exception must not leave a parallel region.
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

// Kernels built twice from one source, for the baseline and for AVX2, pick the second only
// where the processor has it. ORVANE_AVX2_BUILD marks the compilers that can build it.
#if defined(__x86_64__) && defined(__GNUC__)
#define ORVANE_AVX2_BUILD 1
#define ORVANE_TARGET_AVX2 [[gnu::target("avx2")]]
#define ORVANE_TARGET_AVX512 [[gnu::target("avx512f,avx512bw")]]
#endif

// On by default; the tests switch it off to check the baseline builds against the AVX2 ones.
inline bool& avx2KernelsAllowed() {
    static bool allowed = true;
    return allowed;
}

// Whether the kernels run their AVX2 builds: the processor has it and it is allowed.
inline bool useAvx2Kernels() {
#ifdef ORVANE_AVX2_BUILD
    static const bool has = __builtin_cpu_supports("avx2");
    return has && avx2KernelsAllowed();
#else
    return false;
#endif
}

// The same for the few kernels written with AVX-512 (BW) intrinsics; the tests switch it off
// to check the AVX2 builds on processors that have both.
inline bool& avx512KernelsAllowed() {
    static bool allowed = true;
    return allowed;
}

inline bool useAvx512Kernels() {
#ifdef ORVANE_AVX2_BUILD
    static const bool has = __builtin_cpu_supports("avx512f") && __builtin_cpu_supports("avx512bw");
    return has && avx512KernelsAllowed() && avx2KernelsAllowed();
#else
    return false;
#endif
}

}  // namespace orvane
