// Spot statistics. Spreads are sample standard deviations (n - 1), 0 below two samples; an even
// count's median is the mean of the two middle samples, rounded half up. Medians of samples of a
// narrow range or of 16-bit samples are found by counting, others by selection: the same values
// either way.
#include "spot_statistics.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
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
    // An integer sum is exact, as the double sum of 16-bit samples was, and needs no chain of
    // floating-point additions.
    std::int64_t sum = 0;
    for (std::int64_t i = 0; i < n; ++i) sum += v[i];
    m.mean = static_cast<double>(sum) / static_cast<double>(n);
    if (n < 2) return m;
    double squares = 0.0;
    for (std::int64_t i = 0; i < n; ++i) squares += (v[i] - m.mean) * (v[i] - m.mean);
    m.sd = std::sqrt(squares / static_cast<double>(n - 1));
    return m;
}

// Samples within this many values of each other (most backgrounds, flat spots) are counted
// value by value in one pass.
constexpr std::int64_t kDirectRange = 1024;

// The k-th and (k+1)-th smallest (0-based) of samples that lie in [lo, lo + kDirectRange): one
// count per value (four counts taken in turn, so that runs of equal samples do not wait on one
// counter), then a walk over the values.
void directPair(const std::int32_t* v, std::int64_t n, std::int64_t k, std::int32_t lo,
                std::int64_t range, std::int64_t& lower, std::int64_t& upper) {
    std::uint32_t part[4][kDirectRange];
    for (auto& p : part) std::fill(p, p + range, 0u);
    std::int64_t i = 0;
    for (; i + 4 <= n; i += 4)
        for (int j = 0; j < 4; ++j) ++part[j][v[i + j] - lo];
    for (; i < n; ++i) ++part[0][v[i] - lo];
    const std::int64_t wanted[2] = {k, k + 1 < n ? k + 1 : k};
    std::int64_t* found[2] = {&lower, &upper};
    std::int64_t below = 0;
    int next = 0;
    for (std::int64_t value = 0; value < range && next < 2; ++value) {
        below += part[0][value] + part[1][value] + part[2][value] + part[3][value];
        while (next < 2 && wanted[next] < below) *found[next++] = lo + value;
    }
}

// The k-th and (k+1)-th smallest (0-based) of 16-bit samples by counting: the high bytes find
// each one's bucket of 256 values, the low bytes within that bucket the value. Two passes over
// the samples and no sorting; false (nothing found) when a value is not a 16-bit sample.
bool countedPair(const std::int32_t* v, std::int64_t n, std::int64_t k, std::int64_t& lower,
                 std::int64_t& upper) {
    // Four counts taken in turn: the samples of a spot share one or two high bytes, and one
    // counter incremented again and again would wait for itself.
    std::uint32_t part[4][256] = {};
    std::uint32_t outside = 0;
    std::int64_t i = 0;
    for (; i + 4 <= n; i += 4)
        for (int j = 0; j < 4; ++j) {
            const auto u = static_cast<std::uint32_t>(v[i + j]);
            outside |= u >> 16;
            ++part[j][(u >> 8) & 255];
        }
    for (; i < n; ++i) {
        const auto u = static_cast<std::uint32_t>(v[i]);
        outside |= u >> 16;
        ++part[0][(u >> 8) & 255];
    }
    if (outside != 0) return false;
    std::uint32_t high[256];
    for (int b = 0; b < 256; ++b) high[b] = part[0][b] + part[1][b] + part[2][b] + part[3][b];
    // Buckets of the two order statistics and their ranks within them.
    std::uint32_t bucket[2] = {0, 0};
    std::int64_t rank[2] = {k, k + 1 < n ? k + 1 : k};
    for (int j = 0; j < 2; ++j)
        while (rank[j] >= high[bucket[j]]) rank[j] -= high[bucket[j]++];
    // Low bytes of the two buckets' samples; the others are counted in a third histogram that
    // nobody reads, so that the loop has no branch to mispredict.
    std::uint32_t low[3][256] = {};
    for (std::int64_t j = 0; j < n; ++j) {
        const auto u = static_cast<std::uint32_t>(v[j]);
        const std::uint32_t h = u >> 8;
        const std::uint32_t which = h == bucket[0] ? 0u : h == bucket[1] ? 1u : 2u;
        ++low[which][u & 255];
    }
    if (bucket[1] == bucket[0])
        for (int b = 0; b < 256; ++b) low[1][b] = low[0][b];
    std::int64_t found[2];
    for (int j = 0; j < 2; ++j) {
        std::uint32_t value = 0;
        while (rank[j] >= low[j][value]) rank[j] -= low[j][value++];
        found[j] = static_cast<std::int64_t>(bucket[j] << 8 | value);
    }
    lower = found[0];
    upper = found[1];
    return true;
}

std::int64_t medianOf(const std::int32_t* v, std::int64_t n, std::int32_t* scratch) {
    if (n <= 0) return 0;
    std::int64_t lower = 0, upper = 0;
    std::int32_t lo = v[0], hi = v[0];
    for (std::int64_t i = 1; i < n; ++i) {
        lo = std::min(lo, v[i]);
        hi = std::max(hi, v[i]);
    }
    const std::int64_t range = std::int64_t{hi} - lo + 1;
    if (range <= kDirectRange) {
        directPair(v, n, n % 2 == 1 ? n / 2 : n / 2 - 1, lo, range, lower, upper);
        return n % 2 == 1 ? lower : (lower + upper + 1) / 2;
    }
    if (n % 2 == 1) {
        if (countedPair(v, n, n / 2, lower, upper)) return lower;
    } else if (countedPair(v, n, n / 2 - 1, lower, upper)) {
        return (lower + upper + 1) / 2;
    }
    std::copy(v, v + n, scratch);
    std::int32_t* mid = scratch + n / 2;
    std::nth_element(scratch, mid, scratch + n);
    const std::int64_t top = *mid;
    if (n % 2 == 1) return top;
    const std::int64_t bottom = *std::max_element(scratch, mid);
    return (bottom + top + 1) / 2;
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
    c.saturatedPixels = saturated;
    return c;
}

RatioStatistics MedianRatiosOf(const ChannelStatistics& red, const ChannelStatistics& green) {
    RatioStatistics r;
    r.ratioOfMedians = quotient(static_cast<double>(red.medianMinusBackground()),
                                static_cast<double>(green.medianMinusBackground()));
    r.ratioOfMeans = quotient(static_cast<double>(red.meanMinusBackground()),
                              static_cast<double>(green.meanMinusBackground()));
    if (r.ratioOfMedians && *r.ratioOfMedians > 0.0) r.logRatio = std::log2(*r.ratioOfMedians);
    return r;
}

RatioStatistics RatioStatisticsOf(const ChannelStatistics& red, const ChannelStatistics& green,
                                  const PairSamples& s, double* scratch) {
    RatioStatistics r = MedianRatiosOf(red, green);

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
