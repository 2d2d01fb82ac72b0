// Deterministic random numbers for the demo slide: a seeded stream for planning and a pure hash
// for per-pixel noise, so that the picture does not depend on the order pixels are computed in.
#pragma once

#include <cmath>
#include <cstdint>

namespace orvane::demo {

// splitmix64: small, fast and the same on every platform (std:: distributions are not).
inline std::uint64_t mix64(std::uint64_t z) {
    z += 0x9e3779b97f4a7c15ULL;
    z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9ULL;
    z = (z ^ (z >> 27)) * 0x94d049bb133111ebULL;
    return z ^ (z >> 31);
}

class Rng {
public:
    explicit Rng(std::uint64_t seed) : state_(mix64(seed ^ 0x6f7276616e65ULL)) {}

    std::uint64_t next() { return mix64(state_++); }
    // Uniform in [0, 1).
    double uniform() { return static_cast<double>(next() >> 11) * 0x1.0p-53; }
    double uniform(double lo, double hi) { return lo + (hi - lo) * uniform(); }
    int below(int n) { return static_cast<int>(uniform() * n); }
    bool chance(double p) { return uniform() < p; }
    // Standard normal by Box-Muller; 1 - u keeps the logarithm finite.
    double normal() {
        const double u = 1.0 - uniform();
        const double v = uniform();
        return std::sqrt(-2.0 * std::log(u)) * std::cos(6.283185307179586 * v);
    }

private:
    std::uint64_t state_;
};

// Roughly standard normal noise for one pixel of one layer: a sum of four uniform 16-bit parts
// of a hash (Irwin-Hall), scaled to unit variance. Pure, so threads may compute it in any order.
inline double pixelNoise(std::uint64_t seed, int layer, std::int32_t x, std::int32_t y) {
    const std::uint64_t key =
        seed * 0x100000001b3ULL ^ (static_cast<std::uint64_t>(static_cast<std::uint32_t>(y)) << 32 |
                                   static_cast<std::uint32_t>(x));
    const std::uint64_t h = mix64(key + static_cast<std::uint64_t>(layer) * 0x632be59bd9b4e019ULL);
    const double sum = static_cast<double>(h & 0xffff) + static_cast<double>((h >> 16) & 0xffff) +
                       static_cast<double>((h >> 32) & 0xffff) + static_cast<double>(h >> 48);
    // Four uniforms on [0, 65535]: mean 2 * 65535, variance 4 * 65536^2 / 12.
    return (sum - 131070.0) / 37837.2;
}

}  // namespace orvane::demo
