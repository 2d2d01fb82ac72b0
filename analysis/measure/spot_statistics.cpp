// Spot statistics. Spreads are sample standard deviations (n - 1), 0 below two samples; an even
// count's median is the mean of the two middle samples, rounded half up.
#include "spot_statistics.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace orvane {

namespace {

constexpr std::int32_t kSaturated = 65534;  // 0xFFFE and 0xFFFF both count as saturated

struct Moments {
    double mean = 0.0;
    double sd = 0.0;
};

// Two passes: the centred sum stays exact for 16-bit samples where sum-of-squares would cancel.
Moments momentsOf(const std::int32_t* v, std::int64_t n) {
    Moments m;
    if (n <= 0) return m;
    double sum = 0.0;
    for (std::int64_t i = 0; i < n; ++i) sum += v[i];
    m.mean = sum / static_cast<double>(n);
    if (n < 2) return m;
    double squares = 0.0;
    for (std::int64_t i = 0; i < n; ++i) squares += (v[i] - m.mean) * (v[i] - m.mean);
    m.sd = std::sqrt(squares / static_cast<double>(n - 1));
    return m;
}

std::int64_t medianOf(const std::int32_t* v, std::int64_t n, std::int32_t* scratch) {
    if (n <= 0) return 0;
    std::copy(v, v + n, scratch);
    std::int32_t* mid = scratch + n / 2;
    std::nth_element(scratch, mid, scratch + n);
    const std::int64_t upper = *mid;
    if (n % 2 == 1) return upper;
    const std::int64_t lower = *std::max_element(scratch, mid);
    return (lower + upper + 1) / 2;
}

double medianOf(double* v, std::int64_t n) {
    double* mid = v + n / 2;
    std::nth_element(v, mid, v + n);
    if (n % 2 == 1) return *mid;
    return (*std::max_element(v, mid) + *mid) / 2.0;
}

std::int64_t rounded(double v) { return std::llround(v); }

// 100 x part / whole, truncated; 0 for an empty whole.
std::int64_t percentOf(std::int64_t part, std::int64_t whole) {
    return whole > 0 ? part * 100 / whole : 0;
}

std::int64_t cvOf(const Moments& m) {
    return m.mean != 0.0 ? static_cast<std::int64_t>(100.0 * m.sd / m.mean) : 0;
}

std::optional<double> quotient(double numerator, double denominator) {
    if (denominator == 0.0) return std::nullopt;
    return numerator / denominator;
}

// Least-squares slope of y on x and its R^2 over both sample runs of the pair.
void regressionOf(const PairSamples& s, RatioStatistics& r) {
    const std::int64_t n = s.featureCount + s.backgroundCount;
    if (n < 2) return;
    auto each = [&s](auto visit) {
        for (std::int64_t i = 0; i < s.featureCount; ++i) visit(s.greenFeature[i], s.redFeature[i]);
        for (std::int64_t i = 0; i < s.backgroundCount; ++i)
            visit(s.greenBackground[i], s.redBackground[i]);
    };
    double sx = 0.0, sy = 0.0;
    each([&](double x, double y) {
        sx += x;
        sy += y;
    });
    const double mx = sx / static_cast<double>(n), my = sy / static_cast<double>(n);
    double sxx = 0.0, syy = 0.0, sxy = 0.0;
    each([&](double x, double y) {
        sxx += (x - mx) * (x - mx);
        syy += (y - my) * (y - my);
        sxy += (x - mx) * (y - my);
    });
    r.regressionRatio = quotient(sxy, sxx);
    r.regressionR2 = quotient(sxy * sxy, sxx * syy);
}

}  // namespace

ChannelStatistics ChannelStatisticsOf(const std::int32_t* feature, std::int64_t featureCount,
                                      const std::int32_t* background, std::int64_t backgroundCount,
                                      std::int32_t* scratch) {
    ChannelStatistics c;
    c.featurePixels = std::max<std::int64_t>(featureCount, 0);
    c.backgroundPixels = std::max<std::int64_t>(backgroundCount, 0);
    const Moments f = momentsOf(feature, c.featurePixels);
    const Moments b = momentsOf(background, c.backgroundPixels);
    c.featureMedian = medianOf(feature, c.featurePixels, scratch);
    c.featureMean = rounded(f.mean);
    c.featureSd = rounded(f.sd);
    c.featureCv = cvOf(f);
    c.backgroundMedian = medianOf(background, c.backgroundPixels, scratch);
    c.backgroundMean = rounded(b.mean);
    c.backgroundSd = rounded(b.sd);
    c.backgroundCv = cvOf(b);
    const double above1 = static_cast<double>(c.backgroundMedian) + b.sd;
    const double above2 = static_cast<double>(c.backgroundMedian) + 2.0 * b.sd;
    std::int64_t count1 = 0, count2 = 0, saturated = 0;
    for (std::int64_t i = 0; i < c.featurePixels; ++i) {
        count1 += feature[i] > above1;
        count2 += feature[i] > above2;
        saturated += feature[i] >= kSaturated;
        c.totalIntensity += feature[i];
    }
    c.percentAbove1Sd = percentOf(count1, c.featurePixels);
    c.percentAbove2Sd = percentOf(count2, c.featurePixels);
    c.percentSaturated = percentOf(saturated, c.featurePixels);
    return c;
}

RatioStatistics RatioStatisticsOf(const ChannelStatistics& red, const ChannelStatistics& green,
                                  const PairSamples& s, double* scratch) {
    RatioStatistics r;
    r.ratioOfMedians = quotient(static_cast<double>(red.medianMinusBackground()),
                                static_cast<double>(green.medianMinusBackground()));
    r.ratioOfMeans = quotient(static_cast<double>(red.meanMinusBackground()),
                              static_cast<double>(green.meanMinusBackground()));
    if (r.ratioOfMedians && *r.ratioOfMedians > 0.0) r.logRatio = std::log2(*r.ratioOfMedians);

    std::int64_t n = 0;
    for (std::int64_t i = 0; i < s.featureCount; ++i) {
        const std::int64_t denominator = s.greenFeature[i] - green.backgroundMedian;
        if (denominator == 0) continue;
        scratch[n++] = static_cast<double>(s.redFeature[i] - red.backgroundMedian) /
                       static_cast<double>(denominator);
    }
    if (n > 0) {
        double sum = 0.0;
        for (std::int64_t i = 0; i < n; ++i) sum += scratch[i];
        const double mean = sum / static_cast<double>(n);
        double squares = 0.0;
        for (std::int64_t i = 0; i < n; ++i) squares += (scratch[i] - mean) * (scratch[i] - mean);
        r.meanOfRatios = mean;
        r.ratiosSd = n > 1 ? std::sqrt(squares / static_cast<double>(n - 1)) : 0.0;
        r.medianOfRatios = medianOf(scratch, n);
    }
    regressionOf(s, r);
    return r;
}

}  // namespace orvane
