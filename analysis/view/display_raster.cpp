// BuildRaster: the per-pixel colour mapping of the display and its row loop with progress.
#include "display_raster.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <vector>

#include "document/buffer.h"

namespace orvane {

namespace {

constexpr std::int32_t kMaxSum = 3 * 65535;

// f(S) = S^0.33 x 6.3 / S for every possible sum of the shown samples. The exponent and the
// factor are the single-precision values of 0.33 and 6.3 widened to double, not 1/3: the
// picture must match the one users know. Computed once; the mapping then costs one multiply.
const std::vector<double>& logFactors() {
    static const std::vector<double> table = [] {
        std::vector<double> f(kMaxSum + 1, 0.0);
        for (std::int32_t s = 1; s <= kMaxSum; ++s)
            f[s] = std::pow(static_cast<double>(s), 0.33000001311302185) * 6.300000190734863 /
                   static_cast<double>(s);
        return f;
    }();
    return table;
}

struct Channels {
    const std::uint16_t* samples[kMaxLayers];  // null when the channel is off
};

Channels shownChannels(const LayeredImage& image, const DisplayState& state) {
    Channels c{};
    for (int i = 0; i < kMaxLayers; ++i) {
        const ImageLayer& layer = image.layers[static_cast<std::size_t>(i)];
        // A channel shows only a loaded layer, whatever the flag says.
        if (state.channelOn[static_cast<std::size_t>(i)] && i < image.layerCount && layer.loaded())
            c.samples[i] = layer.samples.get();
    }
    return c;
}

// The mapping of one pixel's samples (0 for channels that are off) to red, green, blue.
template <bool Log, bool Inverted>
inline void mapSamples(std::uint32_t v0, std::uint32_t v1, std::uint32_t v2, const bool on[3],
                       const double* factors, std::uint8_t rgb[3]) {
    std::int32_t out0, out1, out2;
    if constexpr (Log) {
        const double f = factors[v0 + v1 + v2];  // 0 for S = 0, so every channel is 0
        out0 = static_cast<std::int32_t>(v0 * f);
        out1 = static_cast<std::int32_t>(v1 * f);
        out2 = static_cast<std::int32_t>(v2 * f);
    } else {
        out0 = static_cast<std::int32_t>(v0 >> 8);
        out1 = static_cast<std::int32_t>(v1 >> 8);
        out2 = static_cast<std::int32_t>(v2 >> 8);
    }
    // A channel that is off shows the common part of the others, each from values already
    // final, so that a pixel where all shown layers agree comes out grey.
    const std::int32_t c0 = on[0] ? out0 : std::min(out1, out2);
    const std::int32_t c1 = on[1] ? out1 : std::min(out2, c0);
    const std::int32_t c2 = on[2] ? out2 : std::min(c0, c1);
    if constexpr (Inverted) {
        rgb[0] = static_cast<std::uint8_t>(255 - std::max(c1, c2));
        rgb[1] = static_cast<std::uint8_t>(255 - std::max(c2, c0));
        rgb[2] = static_cast<std::uint8_t>(255 - std::max(c0, c1));
    } else {
        rgb[0] = static_cast<std::uint8_t>(c0);
        rgb[1] = static_cast<std::uint8_t>(c1);
        rgb[2] = static_cast<std::uint8_t>(c2);
    }
}

template <bool Log, bool Inverted, bool Bitmap>
void mapRow(const Channels& channels, std::size_t rowStart, std::int32_t count, std::uint8_t* out) {
    const bool on[3] = {channels.samples[0] != nullptr, channels.samples[1] != nullptr,
                        channels.samples[2] != nullptr};
    const double* factors = logFactors().data();
    const std::uint16_t* s0 = on[0] ? channels.samples[0] + rowStart : nullptr;
    const std::uint16_t* s1 = on[1] ? channels.samples[1] + rowStart : nullptr;
    const std::uint16_t* s2 = on[2] ? channels.samples[2] + rowStart : nullptr;
    for (std::int32_t k = 0; k < count; ++k) {
        std::uint8_t rgb[3];
        mapSamples<Log, Inverted>(s0 ? s0[k] : 0u, s1 ? s1[k] : 0u, s2 ? s2[k] : 0u, on, factors, rgb);
        out[0] = Bitmap ? rgb[2] : rgb[0];
        out[1] = rgb[1];
        out[2] = Bitmap ? rgb[0] : rgb[2];
        out += 3;
    }
}

// With one channel shown the colour depends on that channel's sample alone: map all 65536
// values once through the same code, then each pixel is a table look-up.
struct SingleChannelTable {
    int channel = -1;
    std::vector<std::uint8_t> bytes;  // 3 bytes a sample value, in the raster's byte order
};

void mapRowFromTable(const SingleChannelTable& table, const Channels& channels, std::size_t rowStart,
                     std::int32_t count, std::uint8_t* out) {
    const std::uint16_t* s = channels.samples[table.channel] + rowStart;
    const std::uint8_t* t = table.bytes.data();
    for (std::int32_t k = 0; k < count; ++k) {
        const std::uint8_t* rgb = t + 3 * std::size_t{s[k]};
        out[0] = rgb[0];
        out[1] = rgb[1];
        out[2] = rgb[2];
        out += 3;
    }
}

using RowMapper = void (*)(const Channels&, std::size_t, std::int32_t, std::uint8_t*);

RowMapper selectRowMapper(bool log, bool inverted, bool bitmap) {
    static constexpr RowMapper table[8] = {
        mapRow<false, false, false>, mapRow<false, false, true>, mapRow<false, true, false>,
        mapRow<false, true, true>,   mapRow<true, false, false>, mapRow<true, false, true>,
        mapRow<true, true, false>,   mapRow<true, true, true>,
    };
    return table[(log ? 4 : 0) + (inverted ? 2 : 0) + (bitmap ? 1 : 0)];
}

// The shown samples of one row, balanced: channels with offset 0 and gain 1 point into the
// layer, the others into `scratch` (one row per channel) filled with offset + gain x v.
Channels balancedRow(const Channels& channels, const DisplayState& state, std::size_t rowStart,
                     std::int32_t count, std::vector<std::uint16_t> (&scratch)[kMaxLayers]) {
    Channels row{};
    for (int i = 0; i < kMaxLayers; ++i) {
        const std::uint16_t* src = channels.samples[i];
        if (src == nullptr) continue;
        src += rowStart;
        const float offset = state.channelOffset[static_cast<std::size_t>(i)];
        const float gain = state.channelGain[static_cast<std::size_t>(i)];
        if (offset == 0.0f && gain == 1.0f) {
            row.samples[i] = src;
            continue;
        }
        std::vector<std::uint16_t>& out = scratch[i];
        out.resize(static_cast<std::size_t>(count));
        for (std::int32_t k = 0; k < count; ++k) {
            const double v = std::nearbyint(static_cast<double>(offset) + static_cast<double>(gain) * src[k]);
            out[static_cast<std::size_t>(k)] = static_cast<std::uint16_t>(std::clamp(v, 0.0, 65535.0));
        }
        row.samples[i] = out.data();
    }
    return row;
}

SingleChannelTable singleChannelTable(const Channels& channels, bool log, bool inverted, bool bitmap) {
    SingleChannelTable table;
    int shown = 0;
    for (int i = 0; i < kMaxLayers; ++i)
        if (channels.samples[i] != nullptr) {
            table.channel = i;
            ++shown;
        }
    if (shown != 1) {
        table.channel = -1;
        return table;
    }
    std::vector<std::uint16_t> values(65536);
    for (std::size_t v = 0; v < values.size(); ++v) values[v] = static_cast<std::uint16_t>(v);
    Channels all{};
    all.samples[table.channel] = values.data();
    table.bytes.resize(3 * values.size());
    selectRowMapper(log, inverted, bitmap)(all, 0, 65536, table.bytes.data());
    return table;
}

void reportRow(Progress& progress, std::int32_t y, std::int32_t y0, std::int32_t y1) {
    const auto p = static_cast<int>(std::int64_t{100} * (y - y0) / (std::int64_t{y1} - y0));
    if (p % 5 != 0) return;
    char text[64];
    std::snprintf(text, sizeof text, "Processing Tiff File, %02d%% completed ...", p);
    progress.message(text);
}

}  // namespace

std::int64_t RasterStride(std::int32_t width) {
    return (std::int64_t{3} * std::max(width, 0) + 3) & ~std::int64_t{3};
}

void BuildRaster(const LayeredImage& image, const DisplayState& state, std::uint8_t* buffer,
                 std::int64_t stride, bool bitmapOrder, std::int32_t x0, std::int32_t x1,
                 std::int32_t y0, std::int32_t y1, Progress& progress) {
    x0 = std::max(x0, 0);
    y0 = std::max(y0, 0);
    x1 = std::min(x1, image.width());
    y1 = std::min(y1, image.height());
    if (x1 <= x0 || y1 <= y0 || image.layerCount <= 0) return;
    const Channels channels = shownChannels(image, state);
    const RowMapper mapRowFn = selectRowMapper(state.logDisplay, state.invertedDisplay, bitmapOrder);
    // Building the table costs 65536 mappings; only worth it for larger boxes.
    const bool useTable = std::int64_t{x1 - x0} * (y1 - y0) > 4 * 65536;
    const SingleChannelTable table =
        useTable ? singleChannelTable(channels, state.logDisplay, state.invertedDisplay, bitmapOrder) : SingleChannelTable{};
    const auto width = static_cast<std::size_t>(image.width());
    const bool balanced = state.balanced();
    std::vector<std::uint16_t> scratch[kMaxLayers];
    for (std::int32_t y = y0; y < y1; ++y) {
        reportRow(progress, y, y0, y1);
        const std::size_t rowStart = static_cast<std::size_t>(y) * width + static_cast<std::size_t>(x0);
        std::uint8_t* out = buffer + stride * (y - y0);
        // Balanced samples come from a scratch row that starts at the box's left edge.
        const Channels row = balanced ? balancedRow(channels, state, rowStart, x1 - x0, scratch) : channels;
        const std::size_t start = balanced ? 0 : rowStart;
        if (table.channel >= 0) mapRowFromTable(table, row, start, x1 - x0, out);
        else mapRowFn(row, start, x1 - x0, out);
    }
    progress.message("Ready");
}

DisplayRaster BuildDisplayRaster(const LayeredImage& image, const DisplayState& state,
                                 bool bitmapOrder, Progress& progress) {
    DisplayRaster raster;
    if (image.layerCount <= 0) return raster;
    raster.width = image.width();
    raster.height = image.height();
    raster.stride = RasterStride(raster.width);
    raster.bytes = allocateBuffer<std::uint8_t>(checkedCount(raster.stride, raster.height, 1));
    BuildRaster(image, state, raster.bytes.get(), raster.stride, bitmapOrder, 0, 2147483647, 0,
                2147483647, progress);
    return raster;
}

std::array<std::uint8_t, 3> MapPixel(const LayeredImage& image, const DisplayState& state,
                                     std::int32_t x, std::int32_t y) {
    const Channels channels = shownChannels(image, state);
    const std::size_t index = static_cast<std::size_t>(y) * static_cast<std::size_t>(image.width()) +
                              static_cast<std::size_t>(x);
    std::array<std::uint8_t, 3> rgb{};
    const RowMapper mapper = selectRowMapper(state.logDisplay, state.invertedDisplay, false);
    if (state.balanced()) {
        std::vector<std::uint16_t> scratch[kMaxLayers];
        mapper(balancedRow(channels, state, index, 1, scratch), 0, 1, rgb.data());
    } else {
        mapper(channels, index, 1, rgb.data());
    }
    return rgb;
}

DisplayState DisplayStateAfterLoading(const LayeredImage& image) {
    DisplayState state;
    for (int i = 0; i < kMaxLayers; ++i) state.channelOn[static_cast<std::size_t>(i)] = i < image.layerCount;
    state.imageWidth = image.width();
    state.imageHeight = image.height();
    return state;
}

}  // namespace orvane
