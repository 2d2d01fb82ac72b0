// Test helpers that write small TIFF files with libtiff into a temporary folder, in every
// layout the loader must accept or refuse, and read 8-bit RGB files back.
#pragma once

#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include <tiffio.h>

namespace orvane::testing_support {

// A fresh folder under the system temp dir, removed with everything in it.
class TempDir {
public:
    TempDir() {
        std::string pattern =
            (std::filesystem::temp_directory_path() / "orvane-test-XXXXXX").string();
        if (mkdtemp(pattern.data()) == nullptr) std::abort();
        path_ = pattern;
    }
    ~TempDir() {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    const std::filesystem::path& path() const { return path_; }
    std::string file(const std::string& name) const { return (path_ / name).string(); }

private:
    std::filesystem::path path_;
};

struct TiffSpec {
    std::uint32_t width = 4;
    std::uint32_t height = 3;
    std::uint16_t bitsPerSample = 16;
    std::uint16_t samplesPerPixel = 1;
    std::uint16_t photometric = PHOTOMETRIC_MINISBLACK;
    std::uint16_t planar = PLANARCONFIG_CONTIG;
    bool tiled = false;
    std::uint16_t compression = COMPRESSION_NONE;
    std::uint32_t rowsPerStrip = 0;  // 0: libtiff's default
    std::optional<float> xResolution;
    std::optional<float> yResolution;
    std::optional<std::uint16_t> resolutionUnit;
    std::optional<std::string> description;
    // Row-major, samplesPerPixel values a pixel; empty: value (x + 7 y) * 13 at each position.
    std::vector<std::uint16_t> samples;
};

inline std::uint16_t fixtureSample(std::uint32_t x, std::uint32_t y) {
    return static_cast<std::uint16_t>((x + 7u * y) * 13u);
}

// Writes the file; returns false when libtiff refused.
inline bool writeTiff(const std::string& path, const TiffSpec& item) {
    TIFF* tif = TIFFOpen(path.c_str(), "w");
    if (tif == nullptr) return false;
    TIFFSetField(tif, TIFFTAG_IMAGEWIDTH, item.width);
    TIFFSetField(tif, TIFFTAG_IMAGELENGTH, item.height);
    TIFFSetField(tif, TIFFTAG_BITSPERSAMPLE, item.bitsPerSample);
    TIFFSetField(tif, TIFFTAG_SAMPLESPERPIXEL, item.samplesPerPixel);
    TIFFSetField(tif, TIFFTAG_PHOTOMETRIC, item.photometric);
    TIFFSetField(tif, TIFFTAG_PLANARCONFIG, item.planar);
    TIFFSetField(tif, TIFFTAG_COMPRESSION, item.compression);
    if (item.xResolution) TIFFSetField(tif, TIFFTAG_XRESOLUTION, *item.xResolution);
    if (item.yResolution) TIFFSetField(tif, TIFFTAG_YRESOLUTION, *item.yResolution);
    if (item.resolutionUnit) TIFFSetField(tif, TIFFTAG_RESOLUTIONUNIT, *item.resolutionUnit);
    if (item.description) TIFFSetField(tif, TIFFTAG_IMAGEDESCRIPTION, item.description->c_str());

    const std::uint32_t spp = item.planar == PLANARCONFIG_CONTIG ? item.samplesPerPixel : 1;
    const std::uint32_t planes = item.planar == PLANARCONFIG_CONTIG ? 1 : item.samplesPerPixel;
    const std::size_t bytes = item.bitsPerSample / 8;
    auto value = [&](std::uint32_t x, std::uint32_t y, std::uint32_t s) -> std::uint16_t {
        if (item.samples.empty()) return fixtureSample(x, y);
        return item
            .samples[(static_cast<std::size_t>(y) * item.width + x) * item.samplesPerPixel + s];
    };
    bool ok = true;
    if (item.tiled) {
        const std::uint32_t tile = 16;
        TIFFSetField(tif, TIFFTAG_TILEWIDTH, tile);
        TIFFSetField(tif, TIFFTAG_TILELENGTH, tile);
        std::vector<std::uint8_t> buffer(tile * tile * spp * bytes, 0);
        for (std::uint32_t ty = 0; ty < item.height; ty += tile)
            for (std::uint32_t tx = 0; tx < item.width; tx += tile) {
                for (std::uint32_t y = 0; y < tile; ++y)
                    for (std::uint32_t x = 0; x < tile; ++x) {
                        const bool inside = tx + x < item.width && ty + y < item.height;
                        const std::uint16_t v = inside ? value(tx + x, ty + y, 0) : 0;
                        std::memcpy(&buffer[(y * tile + x) * bytes], &v, bytes);
                    }
                ok = ok && TIFFWriteTile(tif, buffer.data(), tx, ty, 0, 0) != -1;
            }
    } else {
        if (item.rowsPerStrip != 0) TIFFSetField(tif, TIFFTAG_ROWSPERSTRIP, item.rowsPerStrip);
        std::vector<std::uint8_t> row(static_cast<std::size_t>(item.width) * spp * bytes);
        for (std::uint32_t plane = 0; plane < planes; ++plane)
            for (std::uint32_t y = 0; y < item.height; ++y) {
                for (std::uint32_t x = 0; x < item.width; ++x)
                    for (std::uint32_t s = 0; s < spp; ++s) {
                        const std::uint16_t v = value(x, y, plane + s);
                        if (bytes == 1)
                            row[x * spp + s] = static_cast<std::uint8_t>(v);
                        else
                            std::memcpy(&row[(x * spp + s) * 2], &v, 2);
                    }
                ok = ok &&
                     TIFFWriteScanline(tif, row.data(), y, static_cast<std::uint16_t>(plane)) != -1;
            }
    }
    TIFFClose(tif);
    return ok;
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
