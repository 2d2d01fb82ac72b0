// Selection statistics: sorting, sums, scale and the selection data file.
#include "selection_statistics.h"

#include <algorithm>
#include <cinttypes>
#include <cstdio>

#include "measure/result_file.h"

namespace orvane {

void SelectionStatistics::SetData(SelectionSamples samples) {
    samples_ = std::move(samples);
    const std::int64_t n = samples_.n;
    i99_ = n > 0 ? n - n / 100 - 1 : -1;
    m_ = 0;
    for (int k = 0; k < samples_.layerCount; ++k) {
        std::int32_t* s = samples_.layers[static_cast<std::size_t>(k)].get();
        std::sort(s, s + n);
        double sum = 0.0;
        for (std::int64_t i = 0; i < n; ++i) sum += s[i];
        sums_[k] = sum;
        if (i99_ >= 0) m_ = std::max(m_, s[i99_]);
    }
}

std::int32_t SelectionStatistics::Imin(int k) const { return n() > 0 ? sorted(k)[0] : 0; }

std::int32_t SelectionStatistics::Imax(int k) const { return n() > 0 ? sorted(k)[n() - 1] : 0; }

std::string SelectionStatistics::StatisticsLine(int k) const {
    char text[256];
    std::snprintf(text, sizeof text, "Imin %d, Imax %d, Iint %.3e, Iavg %s, I%d/I1 %s", Imin(k),
                  Imax(k), sum(k), FormatRatio(sum(k), static_cast<double>(n())).c_str(), k + 1,
                  FormatRatio(sum(k), sum(0)).c_str());
    return text;
}

void SelectionStatistics::SaveData(const std::string& path) const {
    ResultFile file(path);
    const int layers = layerCount();
    file.printf("Selection Intensity Data File.\n");
    file.printf("Number of Layers %d.\n", layers);
    file.printf("Number of Data Samples %" PRId64 ".\n", n());
    for (int k = 0; k < layers; ++k)
        file.printf("Layer %d, %s\n", k + 1, StatisticsLine(k).c_str());
    file.printf("Slection Data Samples (sorted):\n");
    for (std::int64_t j = 0; j < n(); ++j) {
        file.printf("%" PRId64, j);
        for (int k = 0; k < layers; ++k) file.printf(", %d", sorted(k)[j]);
        file.printf("\n");
    }
    file.Commit();
}

}  // namespace orvane
