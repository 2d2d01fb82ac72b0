// Per-spot statistics in the form GenePix results report them: feature and background medians,
// means, spreads and percentages of one channel, and the ratio columns of a pair of channels.
#pragma once

#include <cstdint>
#include <optional>

namespace orvane {

// Integers as GenePix writes them: medians, means and standard deviations rounded to the
// nearest integer, CVs and percentages truncated. An empty area gives zeros.
struct ChannelStatistics {
    std::int64_t featurePixels = 0;
    std::int64_t backgroundPixels = 0;
    std::int64_t featureMedian = 0;
    std::int64_t featureMean = 0;
    std::int64_t featureSd = 0;
    std::int64_t featureCv = 0;         // 100 x SD / mean, 0 for a mean of 0
    std::int64_t backgroundMedian = 0;  // also the background that is subtracted ("B635")
    std::int64_t backgroundMean = 0;
    std::int64_t backgroundSd = 0;
    std::int64_t backgroundCv = 0;
    std::int64_t percentAbove1Sd = 0;  // feature pixels above background median + 1 SD
    std::int64_t percentAbove2Sd = 0;
    std::int64_t percentSaturated = 0;  // samples of 65534 or 65535
    std::int64_t saturatedPixels = 0;   // their number, for exact thresholds
    std::int64_t totalIntensity = 0;    // sum of the feature samples

    // Both are corrected with the median background, as GenePix does with local backgrounds.
    std::int64_t medianMinusBackground() const { return featureMedian - backgroundMedian; }
    std::int64_t meanMinusBackground() const { return featureMean - backgroundMedian; }
};

// `feature` and `background` are the samples of the data and background areas; `scratch` must
// hold max(featureCount, backgroundCount) entries (the medians sort a copy there).
ChannelStatistics ChannelStatisticsOf(const std::int32_t* feature, std::int64_t featureCount,
                                      const std::int32_t* background, std::int64_t backgroundCount,
                                      std::int32_t* scratch);

// The ratio columns of a red/green pair (red = 635, green = 532); none where GenePix writes
// "Error": a zero denominator, no pixel with a defined ratio, a non-positive ratio's logarithm.
struct RatioStatistics {
    std::optional<double> ratioOfMedians;
    std::optional<double> ratioOfMeans;
    std::optional<double> medianOfRatios;
    std::optional<double> meanOfRatios;
    std::optional<double> ratiosSd;
    std::optional<double> regressionRatio;
    std::optional<double> regressionR2;
    std::optional<double> logRatio;  // log2 of the ratio of medians
};

// The sample lists of both channels visit the same pixels in the same order. Pixel ratios are
// (red - red background) / (green - green background) over the feature pixels whose denominator
// is not 0; the regression ratio is the least-squares slope of red on green over the feature and
// background pixels together. `scratch` must hold featureCount entries.
struct PairSamples {
    const std::int32_t* redFeature;
    const std::int32_t* greenFeature;
    std::int64_t featureCount;
    const std::int32_t* redBackground;
    const std::int32_t* greenBackground;
    std::int64_t backgroundCount;
};
RatioStatistics RatioStatisticsOf(const ChannelStatistics& red, const ChannelStatistics& green,
                                  const PairSamples& samples, double* scratch);

// Only the ratio of medians, the ratio of means and the log ratio: what needs no pixel pairs.
RatioStatistics MedianRatiosOf(const ChannelStatistics& red, const ChannelStatistics& green);

}  // namespace orvane
