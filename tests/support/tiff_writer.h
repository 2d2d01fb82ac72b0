// The one TIFF writer of the tests and the fuzz seeds: small files through libtiff in every
// layout the loader must accept or refuse (strips, tiles, separate planes, compression, fill
// order, resolution tags, description), one page or several, little- or big-endian; a scanner's
// directory-first file written byte by byte; and 8-bit RGB files read back.
#pragma once

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include <tiffio.h>

namespace orvane::testing_support {

enum class ByteOrder { Little, Big };

// One page (TIFF directory).
struct TiffSpec {
    std::uint32_t width = 4;
    std::uint32_t height = 3;
    std::uint16_t bitsPerSample = 16;  // 8, 16 or 32
    std::uint16_t samplesPerPixel = 1;
    std::uint16_t photometric = PHOTOMETRIC_MINISBLACK;
    std::uint16_t planar = PLANARCONFIG_CONTIG;
    std::uint32_t tileSize = 0;  // 0: strips; else square tiles of this size
    std::uint16_t compression = COMPRESSION_NONE;
    std::uint32_t rowsPerStrip = 0;  // 0: libtiff's default
    std::optional<std::uint16_t> fillOrder;
    std::optional<float> xResolution;
    std::optional<float> yResolution;
    std::optional<std::uint16_t> resolutionUnit;
    std::string description;  // empty: no ImageDescription tag
    // Row-major, samplesPerPixel values a pixel. When empty, `sample` gives them, and without
    // it the value (x + 7 y) * 13 at each position.
    std::vector<std::uint16_t> samples;
    // Sample s of (x, y); asked for the padding of the edge tiles too (x >= width or
    // y >= height), which are 0 otherwise. Only the low bitsPerSample bits are written.
    std::function<std::uint32_t(std::uint32_t x, std::uint32_t y, std::uint32_t s)> sample;
};

inline std::uint16_t fixtureSample(std::uint32_t x, std::uint32_t y) {
    return static_cast<std::uint16_t>((x + 7u * y) * 13u);
}

// Fills the directory being written with one page; false when libtiff refused.
inline bool writeTiffPage(TIFF* tif, const TiffSpec& item) {
    TIFFSetField(tif, TIFFTAG_IMAGEWIDTH, item.width);
    TIFFSetField(tif, TIFFTAG_IMAGELENGTH, item.height);
    TIFFSetField(tif, TIFFTAG_BITSPERSAMPLE, item.bitsPerSample);
    TIFFSetField(tif, TIFFTAG_SAMPLESPERPIXEL, item.samplesPerPixel);
    TIFFSetField(tif, TIFFTAG_PHOTOMETRIC, item.photometric);
    TIFFSetField(tif, TIFFTAG_PLANARCONFIG, item.planar);
    TIFFSetField(tif, TIFFTAG_COMPRESSION, item.compression);
    if (item.fillOrder) TIFFSetField(tif, TIFFTAG_FILLORDER, *item.fillOrder);
    if (item.xResolution) TIFFSetField(tif, TIFFTAG_XRESOLUTION, *item.xResolution);
    if (item.yResolution) TIFFSetField(tif, TIFFTAG_YRESOLUTION, *item.yResolution);
    if (item.resolutionUnit) TIFFSetField(tif, TIFFTAG_RESOLUTIONUNIT, *item.resolutionUnit);
    if (!item.description.empty())
        TIFFSetField(tif, TIFFTAG_IMAGEDESCRIPTION, item.description.c_str());

    const bool contig = item.planar == PLANARCONFIG_CONTIG;
    const std::uint32_t spp = contig ? item.samplesPerPixel : 1;  // samples in one plane
    const std::uint32_t planes = contig ? 1 : item.samplesPerPixel;
    const std::size_t bytes = item.bitsPerSample >= 8 ? item.bitsPerSample / 8 : 1;
    auto value = [&](std::uint32_t x, std::uint32_t y, std::uint32_t s) -> std::uint32_t {
        const bool inside = x < item.width && y < item.height;
        if (!item.samples.empty())
            return inside ? item.samples[(static_cast<std::size_t>(y) * item.width + x) *
                                             item.samplesPerPixel +
                                         s]
                          : 0;
        if (item.sample) return item.sample(x, y, s);
        return inside ? fixtureSample(x, y) : 0;
    };
    // Samples in the host's order: libtiff swaps them for a big-endian file.
    auto put = [&](std::uint8_t* at, std::uint32_t v) {
        if (bytes == 1) {
            *at = static_cast<std::uint8_t>(v);
        } else if (bytes == 2) {
            const auto v16 = static_cast<std::uint16_t>(v);
            std::memcpy(at, &v16, 2);
        } else {
            std::memcpy(at, &v, 4);
        }
    };
    bool ok = true;
    if (item.tileSize != 0) {
        const std::uint32_t tile = item.tileSize;
        TIFFSetField(tif, TIFFTAG_TILEWIDTH, tile);
        TIFFSetField(tif, TIFFTAG_TILELENGTH, tile);
        std::vector<std::uint8_t> buffer(static_cast<std::size_t>(tile) * tile * spp * bytes, 0);
        for (std::uint32_t plane = 0; plane < planes; ++plane)
            for (std::uint32_t ty = 0; ty < item.height; ty += tile)
                for (std::uint32_t tx = 0; tx < item.width; tx += tile) {
                    for (std::uint32_t y = 0; y < tile; ++y)
                        for (std::uint32_t x = 0; x < tile; ++x)
                            for (std::uint32_t s = 0; s < spp; ++s)
                                put(&buffer[((y * tile + x) * spp + s) * bytes],
                                    value(tx + x, ty + y, plane + s));
                    ok = ok && TIFFWriteTile(tif, buffer.data(), tx, ty, 0,
                                             static_cast<std::uint16_t>(plane)) != -1;
                }
    } else {
        if (item.rowsPerStrip != 0) TIFFSetField(tif, TIFFTAG_ROWSPERSTRIP, item.rowsPerStrip);
        std::vector<std::uint8_t> row(static_cast<std::size_t>(item.width) * spp * bytes);
        for (std::uint32_t plane = 0; plane < planes; ++plane)
            for (std::uint32_t y = 0; y < item.height; ++y) {
                for (std::uint32_t x = 0; x < item.width; ++x)
                    for (std::uint32_t s = 0; s < spp; ++s)
                        put(&row[(x * spp + s) * bytes], value(x, y, plane + s));
                ok = ok &&
                     TIFFWriteScanline(tif, row.data(), y, static_cast<std::uint16_t>(plane)) != -1;
            }
    }
    return ok;
}

// Writes the pages into one file, one directory a page; false when libtiff refused.
inline bool writeTiffPages(const std::string& path, const std::vector<TiffSpec>& pages,
                           ByteOrder order = ByteOrder::Little) {
    TIFF* tif = TIFFOpen(path.c_str(), order == ByteOrder::Big ? "wb" : "wl");
    if (tif == nullptr) return false;
    bool ok = true;
    for (std::size_t i = 0; i < pages.size(); ++i) {
        ok = writeTiffPage(tif, pages[i]) && ok;
        // The last directory is written by the close.
        if (i + 1 < pages.size()) ok = TIFFWriteDirectory(tif) == 1 && ok;
    }
    TIFFClose(tif);
    return ok;
}

inline bool writeTiff(const std::string& path, const TiffSpec& item,
                      ByteOrder order = ByteOrder::Little) {
    return writeTiffPages(path, {item}, order);
}

// A 16-bit grey page of width x height with sample(x, y).
inline TiffSpec greyPage(std::uint32_t width, std::uint32_t height,
                         std::function<std::uint32_t(std::uint32_t, std::uint32_t)> sample) {
    TiffSpec page;
    page.width = width;
    page.height = height;
    page.sample = [sample = std::move(sample)](std::uint32_t x, std::uint32_t y, std::uint32_t) {
        return sample(x, y);
    };
    return page;
}

// A 16-bit grey scan of one value everywhere, without resolution tags (100 pixels a millimetre).
inline bool writeUniformScan(const std::string& path, std::uint32_t width, std::uint32_t height,
                             std::uint16_t value) {
    TiffSpec spec;
    spec.width = width;
    spec.height = height;
    spec.samples.assign(static_cast<std::size_t>(width) * height, value);
    return writeTiff(path, spec);
}

// A little-endian 16-bit grey TIFF written byte by byte with its directory before the pixel
// data, as some scanners write it: cutting its tail loses pixel rows, not the directory.
// `dataBytes` pixel bytes follow the directory (fixtureSample values); width and height may
// claim far more than that.
inline void writeDirectoryFirstTiff(const std::string& path, std::uint32_t width,
                                    std::uint32_t height, std::uint32_t rowsPerStrip,
                                    std::uint64_t dataBytes) {
    // The header's first bytes are there from the start: GCC 12 warns (wrongly) about a vector
    // insert of an initializer list into an empty vector.
    std::vector<std::uint8_t> out{'I', 'I', 42, 0};
    auto put16 = [&](std::uint32_t v) {
        out.push_back(v & 0xFF);
        out.push_back((v >> 8) & 0xFF);
    };
    auto put32 = [&](std::uint32_t v) {
        put16(v & 0xFFFF);
        put16(v >> 16);
    };
    const std::uint32_t strips = (height + rowsPerStrip - 1) / rowsPerStrip;
    const std::uint32_t entries = 10;
    const std::uint32_t ifdEnd = 8 + 2 + entries * 12 + 4;
    const std::uint32_t offsetsAt = ifdEnd;
    const std::uint32_t countsAt = offsetsAt + (strips > 1 ? strips * 4 : 0);
    const std::uint32_t dataAt = countsAt + (strips > 1 ? strips * 4 : 0);
    const std::uint64_t stripBytes = std::uint64_t{width} * 2 * rowsPerStrip;
    put32(8);
    put16(entries);
    auto entry = [&](std::uint16_t tag, std::uint16_t type, std::uint32_t count,
                     std::uint32_t value) {
        put16(tag);
        put16(type);
        put32(count);
        if (type == 3 && count == 1) {
            put16(value);
            put16(0);
        } else
            put32(value);
    };
    entry(256, 4, 1, width);
    entry(257, 4, 1, height);
    entry(258, 3, 1, 16);
    entry(259, 3, 1, 1);
    entry(262, 3, 1, 1);
    entry(273, 4, strips, strips > 1 ? offsetsAt : dataAt);
    entry(277, 3, 1, 1);
    entry(278, 4, 1, rowsPerStrip);
    entry(279, 4, strips, strips > 1 ? countsAt : static_cast<std::uint32_t>(stripBytes));
    entry(284, 3, 1, 1);
    put32(0);
    if (strips > 1) {
        for (std::uint32_t s = 0; s < strips; ++s)
            put32(static_cast<std::uint32_t>(dataAt + s * stripBytes));
        for (std::uint32_t s = 0; s < strips; ++s) put32(static_cast<std::uint32_t>(stripBytes));
    }
    for (std::uint64_t i = 0; i < dataBytes / 2; ++i)
        put16(fixtureSample(static_cast<std::uint32_t>(i % width),
                            static_cast<std::uint32_t>(i / width)));
    FILE* f = std::fopen(path.c_str(), "wb");
    if (f == nullptr) std::abort();
    std::fwrite(out.data(), 1, out.size(), f);
    std::fclose(f);
}

// Cuts a file down to `size` bytes (a scan whose tail was lost).
inline void truncateFile(const std::string& path, std::uintmax_t size) {
    std::filesystem::resize_file(path, size);
}

// An 8-bit RGB file read back: its tags and pixel bytes.
struct RgbTiff {
    std::uint32_t width = 0, height = 0, rowsPerStrip = 0;
    std::uint16_t bitsPerSample = 0, samplesPerPixel = 0, photometric = 0, planar = 0,
                  compression = 0;
    std::uint32_t strips = 0;
    std::int64_t scanlineSize = 0;
    std::vector<std::uint8_t> pixels;  // rows of 3 x width bytes
};

inline std::optional<RgbTiff> readRgbTiff(const std::string& path) {
    TIFF* tif = TIFFOpen(path.c_str(), "r");
    if (tif == nullptr) return std::nullopt;
    RgbTiff out;
    TIFFGetField(tif, TIFFTAG_IMAGEWIDTH, &out.width);
    TIFFGetField(tif, TIFFTAG_IMAGELENGTH, &out.height);
    TIFFGetField(tif, TIFFTAG_ROWSPERSTRIP, &out.rowsPerStrip);
    TIFFGetField(tif, TIFFTAG_BITSPERSAMPLE, &out.bitsPerSample);
    TIFFGetField(tif, TIFFTAG_SAMPLESPERPIXEL, &out.samplesPerPixel);
    TIFFGetField(tif, TIFFTAG_PHOTOMETRIC, &out.photometric);
    TIFFGetField(tif, TIFFTAG_PLANARCONFIG, &out.planar);
    TIFFGetField(tif, TIFFTAG_COMPRESSION, &out.compression);
    out.strips = TIFFNumberOfStrips(tif);
    out.scanlineSize = TIFFScanlineSize64(tif);
    out.pixels.resize(static_cast<std::size_t>(out.scanlineSize) * out.height);
    for (std::uint32_t y = 0; y < out.height; ++y)
        if (TIFFReadScanline(tif, &out.pixels[static_cast<std::size_t>(out.scanlineSize) * y], y,
                             0) == -1) {
            TIFFClose(tif);
            return std::nullopt;
        }
    TIFFClose(tif);
    return out;
}

}  // namespace orvane::testing_support
