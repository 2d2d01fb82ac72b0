// Plain reference operations for the benchmarks.
#include "bench_references.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>

#include <fcntl.h>
#include <unistd.h>

namespace bench {

void preadFile(const std::string& path, std::vector<char>& buffer) {
    const int fd = open(path.c_str(), O_RDONLY);
    if (fd < 0) std::exit(1);
    std::size_t done = 0;
    while (done < buffer.size()) {
        const ssize_t got =
            pread(fd, buffer.data() + done, buffer.size() - done, static_cast<off_t>(done));
        if (got <= 0) break;
        done += static_cast<std::size_t>(got);
    }
    close(fd);
}

void referenceLogPixel(const std::uint16_t* samples, int channels, std::uint8_t bgr[3]) {
    int sum = 0;
    for (int i = 0; i < channels; ++i) sum += samples[i];
    int out[3] = {0, 0, 0};
    if (sum != 0) {
        const double f = std::pow(double(sum), double(0.33f)) * double(6.3f) / double(sum);
        for (int i = 0; i < channels; ++i) out[i] = static_cast<int>(samples[i] * f);
    }
    const int c0 = out[0];
    const int c1 = channels > 1 ? out[1] : std::min(out[2], c0);
    const int c2 = channels > 2 ? out[2] : std::min(c0, c1);
    bgr[2] = static_cast<std::uint8_t>(255 - std::max(c1, c2));
    bgr[1] = static_cast<std::uint8_t>(255 - std::max(c2, c0));
    bgr[0] = static_cast<std::uint8_t>(255 - std::max(c0, c1));
}

OneChannelTable::OneChannelTable() : bytes(3 * 65536) {
    for (int v = 0; v < 65536; ++v) {
        const std::uint16_t s = static_cast<std::uint16_t>(v);
        referenceLogPixel(&s, 1, &bytes[3 * static_cast<std::size_t>(v)]);
    }
}

void OneChannelTable::map(const std::uint16_t* samples, int width, int height, std::uint8_t* raster,
                          std::int64_t stride) const {
    const std::uint8_t* t = bytes.data();
#pragma omp parallel for schedule(static)
    for (int y = 0; y < height; ++y) {
        const std::uint16_t* row = samples + std::size_t(y) * width;
        std::uint8_t* out = raster + stride * y;
        for (int x = 0; x < width; ++x) {
            const std::uint8_t* rgb = t + 3 * std::size_t{row[x]};
            out[3 * x] = rgb[0];
            out[3 * x + 1] = rgb[1];
            out[3 * x + 2] = rgb[2];
        }
    }
}

SumFactorTable::SumFactorTable() : factors(3 * 65535 + 1, 0.0) {
    for (int s = 1; s <= 3 * 65535; ++s)
        factors[s] = std::pow(double(s), double(0.33f)) * double(6.3f) / double(s);
}

void SumFactorTable::map(const std::uint16_t* const* layers, int channels, int width, int height,
                         std::uint8_t* raster, std::int64_t stride) const {
    const double* f = factors.data();
#pragma omp parallel for schedule(static)
    for (int y = 0; y < height; ++y) {
        const std::size_t start = std::size_t(y) * width;
        std::uint8_t* out = raster + stride * y;
        for (int x = 0; x < width; ++x) {
            const int v0 = layers[0][start + x];
            const int v1 = layers[1][start + x];
            const int v2 = channels > 2 ? layers[2][start + x] : 0;
            const double factor = f[v0 + v1 + v2];
            const int c0 = static_cast<int>(v0 * factor), c1 = static_cast<int>(v1 * factor);
            const int c2 = channels > 2 ? static_cast<int>(v2 * factor) : std::min(c0, c1);
            out[3 * x + 2] = static_cast<std::uint8_t>(255 - std::max(c1, c2));
            out[3 * x + 1] = static_cast<std::uint8_t>(255 - std::max(c2, c0));
            out[3 * x] = static_cast<std::uint8_t>(255 - std::max(c0, c1));
        }
    }
}

}  // namespace bench
