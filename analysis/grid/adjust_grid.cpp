// The three spot-finding methods of Adjust Grid. All divisions truncate toward zero; the box
// dimensions W = right - left and H = bottom - top, and every index is relative to the box.
#include "adjust_grid.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <vector>

#include "grid/spot_walk.h"

namespace orvane {

namespace {

// The part of the search box inside the image, and the box's own size.
struct Visit {
    std::int32_t x0, y0, x1, y1;  // clipped, [x0, x1) x [y0, y1)
    std::int32_t W, H;            // unclipped box width and height (may be 0)
};

Visit visitOf(const LayeredImage& image, const Box& box) {
    Visit v{std::max(box.left, 0),
            std::max(box.top, 0),
            std::min(box.right, image.width()),
            std::min(box.bottom, image.height()),
            std::max(box.right - box.left, 0),
            std::max(box.bottom - box.top, 0)};
    if (image.layerCount <= 0) v.x1 = v.x0, v.y1 = v.y0;  // nothing to read
    return v;
}

// Column and row profiles: the sum over every layer of the samples in each box column and row.
void profiles(const LayeredImage& image, const Box& box, const Visit& v,
              std::vector<std::int64_t>& c, std::vector<std::int64_t>& r) {
    c.assign(static_cast<std::size_t>(v.W), 0);
    r.assign(static_cast<std::size_t>(v.H), 0);
    for (int k = 0; k < image.layerCount && k < kMaxLayers; ++k) {
        const ImageLayer& layer = image.layers[static_cast<std::size_t>(k)];
        for (std::int32_t y = v.y0; y < v.y1; ++y) {
            const std::uint16_t* row =
                &layer.samples[static_cast<std::size_t>(y) * static_cast<std::size_t>(layer.width)];
            std::int64_t rowSum = 0;
            for (std::int32_t x = v.x0; x < v.x1; ++x) {
                c[static_cast<std::size_t>(x - box.left)] += row[x];
                rowSum += row[x];
            }
            r[static_cast<std::size_t>(y - box.top)] += rowSum;
        }
    }
}

std::int32_t massCentre(const std::vector<std::int64_t>& profile) {
    std::int64_t moment = 0;
    std::int64_t mass = 0;
    for (std::size_t i = 0; i < profile.size(); ++i) {
        moment += profile[i] * static_cast<std::int64_t>(i);
        mass += profile[i];
    }
    return static_cast<std::int32_t>(moment / (1 + mass));
}

// End position of the brightest window of `w` entries; strictly brighter wins, so ties keep the
// first; the partial windows before position w - 1 compete as well.
std::int32_t brightestWindowEnd(const std::vector<std::int64_t>& profile, std::int32_t w) {
    std::int64_t s = 0;
    std::int64_t best = 0;
    std::int32_t p = 0;
    for (std::int32_t i = 0; i < static_cast<std::int32_t>(profile.size()); ++i) {
        s += profile[static_cast<std::size_t>(i)];
        if (i >= w && w >= 0) s -= profile[static_cast<std::size_t>(i - w)];
        if (s > best) {
            best = s;
            p = i;
        }
    }
    return p;
}

// floor(v^e x 10) for every 16-bit v, with e the single-precision value nearest 0.33 used in
// double arithmetic.
const std::vector<std::int32_t>& compressionTable() {
    static const std::vector<std::int32_t> table = [] {
        const double e = static_cast<double>(0.33f);
        std::vector<std::int32_t> t(65536);
        for (std::size_t v = 0; v < t.size(); ++v)
            t[v] = static_cast<std::int32_t>(std::pow(static_cast<double>(v), e) * 10.0);
        return t;
    }();
    return table;
}

}  // namespace

Displacement CentreOfMass(const LayeredImage& image, const Box& search) {
    const Visit v = visitOf(image, search);
    std::vector<std::int64_t> c, r;
    profiles(image, search, v, c, r);
    return {massCentre(c) - v.W / 2, massCentre(r) - v.H / 2};
}

Displacement OneDimensionalWindow(const LayeredImage& image, const Box& search, std::int32_t wx,
                                  std::int32_t wy) {
    const Visit v = visitOf(image, search);
    std::vector<std::int64_t> c, r;
    profiles(image, search, v, c, r);
    return {brightestWindowEnd(c, wx) - (v.W + wx) / 2, brightestWindowEnd(r, wy) - (v.H + wy) / 2};
}

std::optional<Displacement> TwoDimensionalWindow(const LayeredImage& image, const Box& search,
                                                 std::int32_t wx, std::int32_t wy) {
    const Visit v = visitOf(image, search);
    if (wx < 0 || wy < 0) return std::nullopt;
    const std::vector<std::int32_t>& compress = compressionTable();
    const std::size_t W = static_cast<std::size_t>(v.W);
    std::vector<std::int64_t> T(W, 0);  // the current row by column
    std::vector<std::int64_t> A(W, 0);  // window sums by column
    // Row sums by column for the last wy + 1 rows: S[i][j] is needed until row j + wy. Rows
    // clipped away above the image keep their 0.
    const std::size_t ring = static_cast<std::size_t>(
        std::clamp<std::int64_t>(std::int64_t{wy} + 1, 1, std::max(v.H, 1)));
    std::vector<std::int64_t> S(W * ring, 0);
    std::int64_t min = std::numeric_limits<std::int64_t>::max();
    std::int64_t max = 0;
    std::int32_t bestI = wx, bestJ = wy;
    bool fullWindow = false;
    for (std::int32_t y = v.y0; y < v.y1; ++y) {
        const std::int32_t j = y - search.top;
        std::int64_t h = 0;
        for (std::int32_t x = v.x0; x < v.x1; ++x) {
            const std::int32_t i = x - search.left;
            std::int64_t t = 0;
            for (int k = 0; k < image.layerCount && k < kMaxLayers; ++k)
                t += compress[image.layers[static_cast<std::size_t>(k)].at(x, y)];
            T[static_cast<std::size_t>(i)] = t;
            h += t;
            if (i >= wx) h -= T[static_cast<std::size_t>(i - wx)];
            // Now h sums the wx columns ending at i in this row, and A[i] the wx x wy window
            // whose bottom-right pixel is (i, j).
            std::int64_t& a = A[static_cast<std::size_t>(i)];
            std::int64_t* history = &S[static_cast<std::size_t>(i) * ring];
            // Read the row leaving the window before this row's sum may take its slot.
            const std::int64_t leaving =
                j >= wy ? history[static_cast<std::size_t>(j - wy) % ring] : 0;
            history[static_cast<std::size_t>(j) % ring] = h;
            a += h - leaving;
            // Full windows only; the first row and column of window positions do not compete.
            if (j >= wy && i >= wx) {
                fullWindow = true;
                if (a <= min) min = a;
                if (a > max) {
                    max = a;
                    bestI = i;
                    bestJ = j;
                }
            }
        }
    }
    // Without a full window there is nothing to compare: the spot stays where it is.
    if (!fullWindow || !(4 * min < 3 * max)) return std::nullopt;
    return Displacement{bestI - (v.W + wx) / 2, bestJ - (v.H + wy) / 2};
}

void AdjustGrid(SpotGrid& grid, const GridQuad& currentQuad, const LayeredImage& image,
                AdjustMethod method) {
    // Read before the loop: the current quad is one of the quads being adjusted.
    const std::int32_t hx = currentQuad.stepX / 2;
    const std::int32_t hy = currentQuad.stepY / 2;
    const std::int32_t w = 2 * currentQuad.spotRadius;
    ForEachQuad<WalkOrder::ByColumn>(grid, [&](std::int32_t, std::int32_t, GridQuad& quad) {
        ForEachSpotOf<WalkOrder::ByRow>(quad, quad.nx, quad.ny,
                                        [&](std::int32_t col, std::int32_t row) {
                                            if ((quad.Flags(col, row) & Excluded) != 0) return;
                                            const GridPoint c = *quad.SpotCentre(col, row);
                                            const Box box{c.x - hx, c.y - hy, c.x + hx, c.y + hy};
                                            std::optional<Displacement> d;
                                            switch (method) {
                                            case AdjustMethod::CentreOfMass:
                                                d = CentreOfMass(image, box);
                                                break;
                                            case AdjustMethod::OneDimensionalWindow:
                                                d = OneDimensionalWindow(image, box, w, w);
                                                break;
                                            case AdjustMethod::TwoDimensionalWindow:
                                                d = TwoDimensionalWindow(image, box, w, w);
                                                break;
                                            }
                                            if (!d) return;
                                            quad.OffsetX(col, row) += d->dx;
                                            quad.OffsetY(col, row) += d->dy;
                                        });
    });
}

}  // namespace orvane
