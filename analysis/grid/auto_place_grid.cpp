// Auto Place Grid by matching each quad's spot pattern against a reduced "spot response" picture:
// a coarse search for the common shift, a finer one around it, then each quad on its own.
#include "grid/auto_place_grid.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <memory>
#include <vector>

#include "base/allocator.h"
#include "grid/define_grid.h"
#include "grid/spot_walk.h"

namespace orvane {

namespace {

// The fine picture has about this many cells per spot pitch: enough to place a quad to a
// fraction of a pixel after the sub-cell refinement, few enough to keep a 5 um slide small.
constexpr std::int32_t kFineCellsPerPitch = 16;
// The coarse picture, for the wide common search, is this much smaller again in each direction.
constexpr std::int32_t kCoarseShrink = 4;
// A quad counts as placed when its best score stands this many noise units (noise of one spot's
// response times the square root of the spot count) above the median of its search area...
constexpr double kMinContrast = 8.0;
// ...and at least this share of its spots shows a response above kSpotLevel noise units there,
// so that a dust speck on an empty block does not place it.
constexpr double kMinPresentShare = 0.25;
constexpr double kSpotLevel = 4.0;
// A quad counts as placed only when its best shift also beats the shifts one spot pitch away
// (a column or a row off) by this many noise units times the square root of twice its spot count
// (the spread of a difference of two pattern sums): otherwise the block may sit a column off.
constexpr double kMinPitchContrast = 4.0;
// The common search tries at most this many coarse cells each way.
constexpr std::int32_t kMaxCoarseRange = 256;
// Below this the response is taken as noise-free (synthetic pictures); keeps the tests finite.
constexpr double kNoiseFloor = 1e-3;

// A reduced picture: one value per block of image pixels, row-major.
struct Plane {
    std::int32_t width = 0;
    std::int32_t height = 0;
    std::unique_ptr<float[]> v;

    float* row(std::int32_t y) {
        return v.get() + static_cast<std::size_t>(y) * static_cast<std::size_t>(width);
    }
    const float* row(std::int32_t y) const {
        return v.get() + static_cast<std::size_t>(y) * static_cast<std::size_t>(width);
    }
};

Plane makePlane(std::int32_t width, std::int32_t height) {
    Plane p;
    p.width = width;
    p.height = height;
    p.v = allocateBuffer<float>(checkedCount(width, height, sizeof(float)));
    return p;
}

std::int32_t ceilDiv(std::int32_t a, std::int32_t b) { return (a + b - 1) / b; }

// Mean over each f x f block (fewer pixels at the right and bottom edges) of the samples summed
// over every loaded layer.
Plane blockMeans(const LayeredImage& image, std::int32_t f) {
    const std::int32_t W = image.width();
    const std::int32_t H = image.height();
    Plane out = makePlane(ceilDiv(W, f), ceilDiv(H, f));
    const int layers = std::min(image.layerCount, kMaxLayers);
    // Column sums over a block row first: whole rows added at once, which the compiler vectorises.
    std::vector<std::uint64_t> columns(static_cast<std::size_t>(W));
    for (std::int32_t by = 0; by < out.height; ++by) {
        std::fill(columns.begin(), columns.end(), 0);
        const std::int32_t y0 = by * f;
        const std::int32_t y1 = std::min(y0 + f, H);
        for (int k = 0; k < layers; ++k)
            for (std::int32_t y = y0; y < y1; ++y) {
                const ImageLayer& layer = image.layers[static_cast<std::size_t>(k)];
                const std::uint16_t* row =
                    layer.samples.get() +
                    static_cast<std::size_t>(y) * static_cast<std::size_t>(layer.width);
                for (std::size_t x = 0; x < columns.size(); ++x) columns[x] += row[x];
            }
        float* dst = out.row(by);
        for (std::int32_t bx = 0; bx < out.width; ++bx) {
            const std::int32_t x0 = bx * f;
            const std::int32_t x1 = std::min(x0 + f, W);
            std::uint64_t s = 0;
            for (std::int32_t x = x0; x < x1; ++x) s += columns[static_cast<std::size_t>(x)];
            dst[bx] = static_cast<float>(static_cast<double>(s) /
                                         (static_cast<double>(y1 - y0) * (x1 - x0)));
        }
    }
    return out;
}

// Means of k x k cells of a plane (fewer at the right and bottom edges).
Plane shrink(const Plane& in, std::int32_t k) {
    Plane out = makePlane(ceilDiv(in.width, k), ceilDiv(in.height, k));
    for (std::int32_t by = 0; by < out.height; ++by)
        for (std::int32_t bx = 0; bx < out.width; ++bx) {
            double s = 0.0;
            int n = 0;
            for (std::int32_t y = by * k; y < std::min((by + 1) * k, in.height); ++y)
                for (std::int32_t x = bx * k; x < std::min((bx + 1) * k, in.width); ++x, ++n)
                    s += in.row(y)[x];
            out.row(by)[bx] = static_cast<float>(s / n);
        }
    return out;
}

// Square roots: a saturated spot or a bright speck would otherwise outweigh dozens of ordinary
// spots in a match; the root keeps every printed spot's say.
void compress(Plane& p) {
    const std::size_t n = static_cast<std::size_t>(p.width) * static_cast<std::size_t>(p.height);
    for (std::size_t i = 0; i < n; ++i) p.v[i] = std::sqrt(p.v[i]);
}

// Spot response: the mean over a spot-sized box minus the mean over a pitch-sized box around
// each cell (both clipped to the plane). It is 0 on flat or linearly graded background, positive
// on a spot and negative between spots, so a pattern's score does not drift with the background.
Plane response(const Plane& a, std::int32_t spotSide, std::int32_t cellSide) {
    const std::size_t stride = static_cast<std::size_t>(a.width) + 1;
    auto sum = allocateBuffer<double>(checkedCount(a.width + 1, a.height + 1, sizeof(double)));
    std::fill(sum.get(), sum.get() + stride, 0.0);
    for (std::int32_t y = 0; y < a.height; ++y) {
        double running = 0.0;
        double* line = sum.get() + (static_cast<std::size_t>(y) + 1) * stride;
        const double* above = line - stride;
        line[0] = 0.0;
        for (std::int32_t x = 0; x < a.width; ++x) {
            running += a.row(y)[x];
            line[x + 1] = above[x + 1] + running;
        }
    }
    const auto boxMean = [&](std::int32_t x, std::int32_t y, std::int32_t half) {
        const std::size_t x0 = static_cast<std::size_t>(std::max(x - half, 0));
        const std::size_t x1 = static_cast<std::size_t>(std::min(x + half + 1, a.width));
        const std::size_t y0 = static_cast<std::size_t>(std::max(y - half, 0));
        const std::size_t y1 = static_cast<std::size_t>(std::min(y + half + 1, a.height));
        const double s = sum[y1 * stride + x1] - sum[y0 * stride + x1] - sum[y1 * stride + x0] +
                         sum[y0 * stride + x0];
        return s / static_cast<double>((x1 - x0) * (y1 - y0));
    };
    Plane d = makePlane(a.width, a.height);
    for (std::int32_t y = 0; y < a.height; ++y)
        for (std::int32_t x = 0; x < a.width; ++x)
            d.row(y)[x] =
                static_cast<float>(boxMean(x, y, spotSide / 2) - boxMean(x, y, cellSide / 2));
    return d;
}

// The spread of the response over background: 1.4826 x the median absolute deviation of a
// regular sample, which the spots (a small share of the slide) hardly move.
double noiseLevel(const Plane& d) {
    const std::size_t n = static_cast<std::size_t>(d.width) * static_cast<std::size_t>(d.height);
    const std::size_t step = (n / 65536) | 1;
    std::vector<float> sample;
    sample.reserve(n / step + 1);
    for (std::size_t i = 0; i < n; i += step) sample.push_back(d.v[i]);
    const auto median = [](std::vector<float>& values) {
        auto middle = values.begin() + static_cast<std::ptrdiff_t>(values.size() / 2);
        std::nth_element(values.begin(), middle, values.end());
        return static_cast<double>(*middle);
    };
    const double centre = median(sample);
    for (float& v : sample) v = static_cast<float>(std::fabs(v - centre));
    return std::max(1.4826 * median(sample), kNoiseFloor);
}

// The nearest odd whole number to x, at least `least`.
std::int32_t oddNear(double x, std::int32_t least) {
    const auto odd = static_cast<std::int32_t>(2.0 * std::floor((x - 1.0) / 2.0 + 0.5) + 1.0);
    return std::max(odd, least);
}

struct Geometry {
    std::int32_t pitchX = 0, pitchY = 0, radius = 0;
};

// Pitch and spot radius of the grid; a quad of one column or row borrows the other pitch.
Geometry geometryOf(const GridQuad& quad) {
    Geometry g{quad.stepX, quad.stepY, std::max(quad.spotRadius, 1)};
    if (g.pitchX <= 0) g.pitchX = g.pitchY;
    if (g.pitchY <= 0) g.pitchY = g.pitchX;
    if (g.pitchX <= 0) g.pitchX = g.pitchY = 4 * g.radius;
    g.pitchX = std::max(g.pitchX, 2);
    g.pitchY = std::max(g.pitchY, 2);
    return g;
}

// The response of one reduction: cells of f x f pixels.
Plane responseAt(const Plane& linear, const Geometry& g, std::int32_t f) {
    Plane a = makePlane(linear.width, linear.height);
    std::copy(linear.v.get(),
              linear.v.get() + static_cast<std::size_t>(linear.width) * linear.height, a.v.get());
    compress(a);
    // A square of the disc's area: side = radius x sqrt(pi).
    const std::int32_t spotSide = oddNear(1.7725 * g.radius / f, 1);
    const std::int32_t cellSide =
        oddNear(static_cast<double>(std::min(g.pitchX, g.pitchY)) / f, spotSide + 2);
    return response(a, spotSide, cellSide);
}

// A quad's spots (excluded ones left out) as cells of a plane reduced by f.
struct Pattern {
    std::vector<std::int32_t> x, y;
    double biasX = 0.0, biasY = 0.0;  // mean of (rounded - exact) cell position: shift correction
};

Pattern patternOf(const GridQuad& quad, std::int32_t f) {
    Pattern p;
    const double half = (f - 1) / 2.0;  // cell i covers pixels i*f .. i*f+f-1, centred here
    for (std::int32_t row = 0; row < quad.ny; ++row)
        for (std::int32_t col = 0; col < quad.nx; ++col) {
            if ((quad.Flags(col, row) & Excluded) != 0) continue;
            const GridPoint c = *quad.SpotCentre(col, row);
            const double x = (c.x - half) / f;
            const double y = (c.y - half) / f;
            const double rx = std::floor(x + 0.5);
            const double ry = std::floor(y + 0.5);
            p.x.push_back(static_cast<std::int32_t>(rx));
            p.y.push_back(static_cast<std::int32_t>(ry));
            p.biasX += rx - x;
            p.biasY += ry - y;
        }
    if (!p.x.empty()) {
        p.biasX /= static_cast<double>(p.x.size());
        p.biasY /= static_cast<double>(p.x.size());
    }
    return p;
}

// Pattern scores S(e) = sum of the response at spot + e over the pattern's spots, for shifts e
// in a rectangle; cells outside the plane count 0.
struct ScoreMap {
    std::int32_t x0 = 0, y0 = 0, w = 0, h = 0;  // e = (x0 + i, y0 + j), i < w, j < h
    std::vector<double> s;
    bool contains(std::int32_t ex, std::int32_t ey) const {
        return ex >= x0 && ey >= y0 && ex < x0 + w && ey < y0 + h;
    }
    double at(std::int32_t ex, std::int32_t ey) const {
        return s[static_cast<std::size_t>(ey - y0) * static_cast<std::size_t>(w) +
                 static_cast<std::size_t>(ex - x0)];
    }
};

// Scores for e within (cx, cy) +- (hx, hy).
ScoreMap scoreMap(const Plane& d, const Pattern& p, std::int32_t cx, std::int32_t cy,
                  std::int32_t hx, std::int32_t hy) {
    ScoreMap m{cx - hx, cy - hy, 2 * hx + 1, 2 * hy + 1, {}};
    m.s.assign(static_cast<std::size_t>(m.w) * static_cast<std::size_t>(m.h), 0.0);
    for (std::size_t k = 0; k < p.x.size(); ++k) {
        // Column i reads plane x = base + i; keep it inside the plane.
        const std::int64_t base = std::int64_t{p.x[k]} + m.x0;
        const std::int64_t i0 = std::max<std::int64_t>(0, -base);
        const std::int64_t i1 = std::min<std::int64_t>(m.w, d.width - base);
        if (i0 >= i1) continue;
        for (std::int32_t j = 0; j < m.h; ++j) {
            const std::int64_t y = std::int64_t{p.y[k]} + m.y0 + j;
            if (y < 0 || y >= d.height) continue;
            const float* src = d.row(static_cast<std::int32_t>(y)) + base;
            double* out = &m.s[static_cast<std::size_t>(j) * static_cast<std::size_t>(m.w)];
            for (std::int64_t i = i0; i < i1; ++i) out[i] += src[i];
        }
    }
    return m;
}

// For every e within +-(rx, ry) of the map's centre, the best score within +-(hx, hy) of e,
// added into `total` ((2rx+1) x (2ry+1), row-major). The map spans +-(rx+hx, ry+hy).
void addWindowMaxima(const ScoreMap& m, std::int32_t rx, std::int32_t ry, std::int32_t hx,
                     std::int32_t hy, std::vector<double>& total) {
    const std::int32_t ow = 2 * rx + 1, oh = 2 * ry + 1;
    std::vector<double> across(static_cast<std::size_t>(ow) * static_cast<std::size_t>(m.h));
    for (std::int32_t j = 0; j < m.h; ++j)
        for (std::int32_t i = 0; i < ow; ++i) {
            const double* s = &m.s[static_cast<std::size_t>(j) * static_cast<std::size_t>(m.w) +
                                   static_cast<std::size_t>(i)];
            across[static_cast<std::size_t>(j) * ow + static_cast<std::size_t>(i)] =
                *std::max_element(s, s + 2 * hx + 1);
        }
    for (std::int32_t j = 0; j < oh; ++j)
        for (std::int32_t i = 0; i < ow; ++i) {
            double best = across[static_cast<std::size_t>(j) * ow + static_cast<std::size_t>(i)];
            for (std::int32_t t = 1; t <= 2 * hy; ++t)
                best = std::max(
                    best,
                    across[static_cast<std::size_t>(j + t) * ow + static_cast<std::size_t>(i)]);
            total[static_cast<std::size_t>(j) * ow + static_cast<std::size_t>(i)] += best;
        }
}

struct Shift {
    double x = 0.0, y = 0.0;
};

// The common shift, in cells from the centre of `total` (addWindowMaxima summed over every
// quad): the place where the quads find the best matches within reach of it. Where many places
// tie (every quad at its best), the tied place nearest their centroid: the middle of the pins'
// spread.
Shift commonShift(const std::vector<double>& total, std::int32_t rx, std::int32_t ry) {
    const std::int32_t ow = 2 * rx + 1, oh = 2 * ry + 1;
    const double best = *std::max_element(total.begin(), total.end());
    const double tolerance = 1e-9 * std::max(1.0, std::fabs(best));
    double sx = 0.0, sy = 0.0;
    int n = 0;
    for (std::int32_t j = 0; j < oh; ++j)
        for (std::int32_t i = 0; i < ow; ++i)
            if (total[static_cast<std::size_t>(j) * ow + static_cast<std::size_t>(i)] >=
                best - tolerance)
                sx += i, sy += j, ++n;
    sx /= n, sy /= n;
    Shift nearest;
    double nearestDistance = INFINITY;
    for (std::int32_t j = 0; j < oh; ++j)
        for (std::int32_t i = 0; i < ow; ++i) {
            const double d = (i - sx) * (i - sx) + (j - sy) * (j - sy);
            if (total[static_cast<std::size_t>(j) * ow + static_cast<std::size_t>(i)] >=
                    best - tolerance &&
                d < nearestDistance)
                nearest = {static_cast<double>(i - rx), static_cast<double>(j - ry)},
                nearestDistance = d;
        }
    return nearest;
}

// The pattern's score at shift (ex, ey), cells outside the plane counting 0.
double scoreAt(const Plane& d, const Pattern& p, std::int64_t ex, std::int64_t ey) {
    double s = 0.0;
    for (std::size_t k = 0; k < p.x.size(); ++k) {
        const std::int64_t x = std::int64_t{p.x[k]} + ex, y = std::int64_t{p.y[k]} + ey;
        if (x >= 0 && y >= 0 && x < d.width && y < d.height)
            s += d.row(static_cast<std::int32_t>(y))[x];
    }
    return s;
}

// Vertex of the parabola through (-1, a), (0, b), (1, c), for a maximum at b; 0 when flat.
double vertex(double a, double b, double c) {
    const double curvature = a - 2.0 * b + c;
    if (!(curvature < 0.0)) return 0.0;
    return std::clamp(0.5 * (a - c) / curvature, -0.5, 0.5);
}

struct QuadMatch {
    bool found = false;
    Shift shift;  // cells, with the sub-cell refinement
};

// The quad's best shift within (cx, cy) +- (hx, hy), and whether it stands clearly above the
// rest of that area.
QuadMatch matchQuad(const Plane& d, const Pattern& p, const ScoreMap& m, std::int32_t cx,
                    std::int32_t cy, std::int32_t hx, std::int32_t hy, double noise,
                    GridPoint pitchCells) {
    QuadMatch match;
    if (p.x.empty()) return match;
    std::vector<double> area;
    std::int32_t bx = cx, by = cy;
    for (std::int32_t ey = cy - hy; ey <= cy + hy; ++ey)
        for (std::int32_t ex = cx - hx; ex <= cx + hx; ++ex) {
            area.push_back(m.at(ex, ey));
            if (m.at(ex, ey) > m.at(bx, by)) bx = ex, by = ey;
        }
    const double best = m.at(bx, by);
    auto middle = area.begin() + static_cast<std::ptrdiff_t>(area.size() / 2);
    std::nth_element(area.begin(), middle, area.end());
    const double spots = static_cast<double>(p.x.size());
    if (!(best - *middle > kMinContrast * std::sqrt(spots) * noise)) return match;
    std::size_t present = 0;
    for (std::size_t k = 0; k < p.x.size(); ++k) {
        const std::int64_t x = std::int64_t{p.x[k]} + bx, y = std::int64_t{p.y[k]} + by;
        if (x >= 0 && y >= 0 && x < d.width && y < d.height &&
            d.row(static_cast<std::int32_t>(y))[x] > kSpotLevel * noise)
            ++present;
    }
    if (static_cast<double>(present) < kMinPresentShare * spots) return match;
    // One column or row off must score clearly lower, or the placement is a guess between them.
    double rival = -INFINITY;
    for (const GridPoint step : {GridPoint{pitchCells.x, 0}, GridPoint{-pitchCells.x, 0},
                                 GridPoint{0, pitchCells.y}, GridPoint{0, -pitchCells.y}})
        rival =
            std::max(rival, scoreAt(d, p, std::int64_t{bx} + step.x, std::int64_t{by} + step.y));
    if (!(best - rival > kMinPitchContrast * std::sqrt(2.0 * spots) * noise)) return match;
    match.found = true;
    match.shift = {static_cast<double>(bx), static_cast<double>(by)};
    if (m.contains(bx - 1, by) && m.contains(bx + 1, by))
        match.shift.x += vertex(m.at(bx - 1, by), best, m.at(bx + 1, by));
    if (m.contains(bx, by - 1) && m.contains(bx, by + 1))
        match.shift.y += vertex(m.at(bx, by - 1), best, m.at(bx, by + 1));
    return match;
}

void moveQuad(GridQuad& quad, GridPoint shift) {
    for (GridPoint* corner : {&quad.TL, &quad.TR, &quad.BL, &quad.BR}) {
        corner->x += shift.x;
        corner->y += shift.y;
    }
}

std::int32_t toPixels(double cells, double bias, std::int32_t f) {
    return static_cast<std::int32_t>(std::lround((cells + bias) * f));
}

// The flags (marks, highlights, exclusions, the selection) of `from` carried over to its fresh
// layout; a quad whose size the parameters changed keeps what Define Grid gave it.
void keepFlags(const GridQuad& from, GridQuad& to) {
    if (from.nx != to.nx || from.ny != to.ny || to.defined == 0) return;
    const auto n = static_cast<std::size_t>(to.count);
    std::copy(from.flags.get(), from.flags.get() + n, to.flags.get());
    std::copy(from.shownFlags.get(), from.shownFlags.get() + n, to.shownFlags.get());
    to.selCol = from.selCol;
    to.selRow = from.selRow;
}

}  // namespace

AutoPlaceResult AutoPlaceGrid(SpotGrid& grid, const LayeredImage& image) {
    AutoPlaceResult result;
    std::vector<GridPoint> slots;
    ForEachQuad<WalkOrder::ByColumn>(grid,
                                     [&](std::int32_t qx, std::int32_t qy, const GridQuad& quad) {
                                         if (quad.defined != 0) slots.push_back({qx, qy});
                                     });
    result.quads = static_cast<std::int32_t>(slots.size());
    if (slots.empty() || image.layerCount <= 0 || image.width() <= 0 || image.height() <= 0)
        return result;

    // The same placement whatever was done to the grid before: the search starts from the layout
    // the parameters give, as Define Grid lays it out (offsets cleared); the grid changes only
    // when a quad is placed.
    SpotGrid fresh;
    fresh.parameters = grid.parameters;
    DefineGridLayout(fresh, image);
    std::vector<GridQuad*> quads;
    for (const GridPoint slot : slots) {
        GridQuad& quad = fresh.quad(slot.x, slot.y);
        if (quad.defined == 0) return result;
        keepFlags(grid.quad(slot.x, slot.y), quad);
        quads.push_back(&quad);
    }

    const Geometry g = geometryOf(*quads.front());
    const std::int32_t f = std::max(1, std::min(g.pitchX, g.pitchY) / kFineCellsPerPitch);
    const std::int32_t fc = f * kCoarseShrink;
    const Plane linear = blockMeans(image, f);
    const Plane fine = responseAt(linear, g, f);
    const Plane coarse = responseAt(shrink(linear, kCoarseShrink), g, fc);
    const double noise = noiseLevel(fine);

    std::vector<Pattern> finePatterns, coarsePatterns;
    // The rounding of spot positions to cells, averaged over the grid, for the common shift.
    double biasFineX = 0.0, biasFineY = 0.0, biasCoarseX = 0.0, biasCoarseY = 0.0;
    for (const GridQuad* quad : quads) {
        const Pattern& fineP = finePatterns.emplace_back(patternOf(*quad, f));
        const Pattern& coarseP = coarsePatterns.emplace_back(patternOf(*quad, fc));
        biasFineX += fineP.biasX / result.quads;
        biasFineY += fineP.biasY / result.quads;
        biasCoarseX += coarseP.biasX / result.quads;
        biasCoarseY += coarseP.biasY / result.quads;
    }

    // The slide's placement on the coarse picture, each quad free within half a pitch of it.
    // A grid file's pitch need not suit the image's resolution; no shift beyond the picture or
    // beyond kMaxCoarseRange cells (far more than 2 mm for any pitch the dialog allows) is tried.
    const std::int32_t rangeX =
        std::min({ceilDiv(std::abs(image.LengthToPixelsX(kAutoPlaceCommonRangeMm)), fc) + 1,
                  coarse.width + 1, kMaxCoarseRange});
    const std::int32_t rangeY =
        std::min({ceilDiv(std::abs(image.LengthToPixelsY(kAutoPlaceCommonRangeMm)), fc) + 1,
                  coarse.height + 1, kMaxCoarseRange});
    const std::int32_t coarseHx = ceilDiv(g.pitchX, 2 * fc), coarseHy = ceilDiv(g.pitchY, 2 * fc);
    std::vector<double> total(
        static_cast<std::size_t>(2 * rangeX + 1) * static_cast<std::size_t>(2 * rangeY + 1), 0.0);
    for (const Pattern& p : coarsePatterns)
        addWindowMaxima(scoreMap(coarse, p, 0, 0, rangeX + coarseHx, rangeY + coarseHy), rangeX,
                        rangeY, coarseHx, coarseHy, total);
    const Shift coarseShift = commonShift(total, rangeX, rangeY);

    // The same on the fine picture, within two coarse cells of it; one pixel more than half a
    // pitch each way, so that rounding the centre to a cell cannot shorten the reach.
    const auto cx = static_cast<std::int32_t>(
        std::lround((coarseShift.x + biasCoarseX) * kCoarseShrink - biasFineX));
    const auto cy = static_cast<std::int32_t>(
        std::lround((coarseShift.y + biasCoarseY) * kCoarseShrink - biasFineY));
    const std::int32_t range = 2 * kCoarseShrink;
    const std::int32_t hx = ceilDiv(g.pitchX, 2 * f) + 1, hy = ceilDiv(g.pitchY, 2 * f) + 1;
    std::vector<ScoreMap> maps;
    total.assign(static_cast<std::size_t>(2 * range + 1) * static_cast<std::size_t>(2 * range + 1),
                 0.0);
    for (const Pattern& p : finePatterns) {
        maps.push_back(scoreMap(fine, p, cx, cy, range + hx, range + hy));
        addWindowMaxima(maps.back(), range, range, hx, hy, total);
    }
    const Shift fineShift = commonShift(total, range, range);
    const std::int32_t ex = cx + static_cast<std::int32_t>(fineShift.x);
    const std::int32_t ey = cy + static_cast<std::int32_t>(fineShift.y);
    const GridPoint common{toPixels(ex, biasFineX, f), toPixels(ey, biasFineY, f)};

    // Each quad on its own around the common shift.
    const GridPoint pitchCells{static_cast<std::int32_t>(std::lround(g.pitchX / double(f))),
                               static_cast<std::int32_t>(std::lround(g.pitchY / double(f)))};
    std::vector<GridPoint> shifts(quads.size(), common);
    for (std::size_t q = 0; q < quads.size(); ++q) {
        const QuadMatch match =
            matchQuad(fine, finePatterns[q], maps[q], ex, ey, hx, hy, noise, pitchCells);
        if (!match.found) continue;
        ++result.placed;
        shifts[q] = {toPixels(match.shift.x, finePatterns[q].biasX, f),
                     toPixels(match.shift.y, finePatterns[q].biasY, f)};
    }
    // Nothing recognisable anywhere: the common shift is a guess, so the grid stays.
    if (result.placed == 0) return result;
    result.commonOffset = common;
    for (std::size_t q = 0; q < quads.size(); ++q) {
        moveQuad(*quads[q], shifts[q]);
        grid.quad(slots[q].x, slots[q].y) = std::move(*quads[q]);
    }
    return result;
}

std::string AutoPlaceMessage(const AutoPlaceResult& result) {
    char text[64];
    std::snprintf(text, sizeof text, "Placed %d of %d quads.", static_cast<int>(result.placed),
                  static_cast<int>(result.quads));
    return text;
}

}  // namespace orvane
