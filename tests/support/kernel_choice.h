// What the optimised paths' tests vary: the number of threads, the kernel builds the processor
// may run, and random images that reach every sample value.
#pragma once

#include <cstdint>
#include <random>

#ifdef _OPENMP
#include <omp.h>
#endif

#include "base/allocator.h"
#include "base/parallel.h"
#include "document/layered_image.h"

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

// Random samples: half uniform over 0..65535, half small (where the logarithm is steepest),
// with the extremes 0 and 65535 sprinkled in.
inline LayeredImage randomImage(std::int32_t width, std::int32_t height, int layers,
                                std::uint32_t seed) {
    std::mt19937 random(seed);
    std::uniform_int_distribution<int> full(0, 65535), small(0, 600), pick(0, 9);
    LayeredImage image;
    for (int i = 0; i < layers; ++i) {
        ImageLayer& layer = image.layers[static_cast<std::size_t>(i)];
        layer.width = width;
        layer.height = height;
        const std::size_t count =
            static_cast<std::size_t>(width) * static_cast<std::size_t>(height);
        layer.samples = allocateBuffer<std::uint16_t>(count);
        for (std::size_t k = 0; k < count; ++k) {
            const int choice = pick(random);
            layer.samples[k] = static_cast<std::uint16_t>(choice == 0   ? 0
                                                          : choice == 1 ? 65535
                                                          : choice < 6  ? full(random)
                                                                        : small(random));
        }
    }
    image.layerCount = layers;
    return image;
}

}  // namespace orvane::testing_support
