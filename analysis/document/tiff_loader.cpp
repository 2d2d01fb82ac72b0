// LoadLayer: one 16-bit grey-scale TIFF file into the next layer of a LayeredImage.
#include "tiff_loader.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <limits>
#include <memory>
#include <stdexcept>
#include <system_error>
#include <vector>

#include <unistd.h>

#include <tiffio.h>

#include "base/allocator.h"
#include "tiff_messages.h"

namespace orvane {

namespace {

struct TiffCloser {
    void operator()(TIFF* tif) const { TIFFClose(tif); }
};
using TiffHandle = std::unique_ptr<TIFF, TiffCloser>;

// What the first file contributes besides its samples; committed only after a full read.
struct FileMetadata {
    float xResolution;
    float yResolution;
    std::uint16_t resolutionUnit;
    std::string imageDescription;
    double scanOriginX;
    double scanOriginY;
};

std::string withPath(const char* pattern, const std::string& path) {
    std::string text = pattern;
    text.replace(text.find("%s"), 2, path);
    return text;
}

// Only 16-bit, single-sample, min-is-black, contiguous files are read. The sample count is
// checked too: a grey-plus-alpha file would otherwise write two samples a pixel into a buffer
// sized for one.
void checkFormat(TIFF* tif, std::int32_t& width, std::int32_t& height) {
    std::uint32_t w = 0;
    std::uint32_t h = 0;
    std::uint16_t bits = 0;
    std::uint16_t photometric = 0xFFFF;
    std::uint16_t planar = 0;
    std::uint16_t samplesPerPixel = 0;
    const bool haveSize = TIFFGetField(tif, TIFFTAG_IMAGEWIDTH, &w) == 1 &&
                          TIFFGetField(tif, TIFFTAG_IMAGELENGTH, &h) == 1;
    TIFFGetFieldDefaulted(tif, TIFFTAG_BITSPERSAMPLE, &bits);
    TIFFGetField(tif, TIFFTAG_PHOTOMETRIC, &photometric);
    TIFFGetFieldDefaulted(tif, TIFFTAG_PLANARCONFIG, &planar);
    TIFFGetFieldDefaulted(tif, TIFFTAG_SAMPLESPERPIXEL, &samplesPerPixel);
    if (bits != 16 || photometric != PHOTOMETRIC_MINISBLACK || planar != PLANARCONFIG_CONTIG ||
        samplesPerPixel != 1)
        throw CoreError(kUnsupportedFormatMessage);
    // An empty or absurdly wide image has no place in signed 32-bit pixel geometry.
    constexpr auto kMax = static_cast<std::uint32_t>(std::numeric_limits<std::int32_t>::max());
    if (!haveSize || w == 0 || h == 0 || w > kMax || h > kMax)
        throw CoreError(kUnsupportedFormatMessage);
    // A scanline must be exactly one row of samples, or a read would run past the row.
    if (TIFFScanlineSize64(tif) != std::uint64_t{2} * w) throw CoreError(kUnsupportedFormatMessage);
    width = static_cast<std::int32_t>(w);
    height = static_cast<std::int32_t>(h);
}

FileMetadata readMetadata(TIFF* tif, const LayeredImage& image) {
    FileMetadata meta{image.xResolution, image.yResolution, image.resolutionUnit,
                      std::string(),     image.scanOriginX, image.scanOriginY};
    // An absent tag leaves the document's value as it is.
    TIFFGetField(tif, TIFFTAG_XRESOLUTION, &meta.xResolution);
    TIFFGetField(tif, TIFFTAG_YRESOLUTION, &meta.yResolution);
    TIFFGetField(tif, TIFFTAG_RESOLUTIONUNIT, &meta.resolutionUnit);
    const char* description = nullptr;
    if (TIFFGetField(tif, TIFFTAG_IMAGEDESCRIPTION, &description) == 1 && description != nullptr)
        meta.imageDescription = std::string(description).substr(0, kMaxTextLength);
    ParseScanInfo(meta.imageDescription, meta.scanOriginX, meta.scanOriginY);
    return meta;
}

// An uncompressed file must at least hold its samples. Checked before allocating, so that a
// truncated file or a header claiming 100000 x 100000 pixels costs no huge buffer.
void checkUncompressedSize(TIFF* tif, const std::string& path, std::int32_t width,
                           std::int32_t height) {
    std::uint16_t compression = COMPRESSION_NONE;
    TIFFGetFieldDefaulted(tif, TIFFTAG_COMPRESSION, &compression);
    if (compression != COMPRESSION_NONE) return;
    std::error_code error;
    const std::uintmax_t fileSize = std::filesystem::file_size(path, error);
    const std::uint64_t needed =
        std::uint64_t{2} * static_cast<std::uint64_t>(width) * static_cast<std::uint64_t>(height);
    if (!error && fileSize < needed)
        throw TiffReadError(path + ": Read error: the file ends after " + std::to_string(fileSize) +
                            " bytes, too few for " + std::to_string(width) + " x " +
                            std::to_string(height) + " 16-bit samples.");
}

// A stretch of the file that holds consecutive rows of samples.
struct Extent {
    std::uint64_t fileOffset;
    std::uint64_t sampleIndex;  // where its first sample goes
    std::uint64_t bytes;
};

// The rows of an uncompressed, untiled file in the host's byte order and the usual fill order
// are stored as they are in memory, strip after strip: their extents, neighbouring strips
// merged. Empty when the file needs libtiff's decoding (or a strip is shorter than its rows,
// which the scanline loop reports with libtiff's text).
std::vector<Extent> plainStripExtents(TIFF* tif, std::int32_t width, std::int32_t height) {
    std::uint16_t compression = 0, fillOrder = 0;
    std::uint32_t rowsPerStrip = 0;
    TIFFGetFieldDefaulted(tif, TIFFTAG_COMPRESSION, &compression);
    TIFFGetFieldDefaulted(tif, TIFFTAG_FILLORDER, &fillOrder);
    TIFFGetFieldDefaulted(tif, TIFFTAG_ROWSPERSTRIP, &rowsPerStrip);
    if (TIFFIsTiled(tif) || TIFFIsByteSwapped(tif) || compression != COMPRESSION_NONE ||
        fillOrder != FILLORDER_MSB2LSB || rowsPerStrip == 0)
        return {};
    const std::uint64_t rowBytes = std::uint64_t{2} * static_cast<std::uint64_t>(width);
    const std::uint32_t strips = TIFFNumberOfStrips(tif);
    std::vector<Extent> extents;
    std::uint64_t row = 0;
    for (std::uint32_t s = 0; s < strips && row < static_cast<std::uint64_t>(height); ++s) {
        const std::uint64_t rows =
            std::min<std::uint64_t>(rowsPerStrip, static_cast<std::uint64_t>(height) - row);
        const std::uint64_t offset = TIFFGetStrileOffset(tif, s);
        const std::uint64_t bytes = rows * rowBytes;
        if (offset == 0 || TIFFGetStrileByteCount(tif, s) < bytes) return {};
        const std::uint64_t index = row * static_cast<std::uint64_t>(width);
        if (!extents.empty() && extents.back().fileOffset + extents.back().bytes == offset)
            extents.back().bytes += bytes;
        else
            extents.push_back({offset, index, bytes});
        row += rows;
    }
    if (row != static_cast<std::uint64_t>(height)) return {};
    return extents;
}

// Reads the extents with pread on all threads, in pieces of a few megabytes, straight into
// the samples: no copy through libtiff's scanline buffer. False when any read comes up short.
bool readExtents(int fd, const std::vector<Extent>& extents, std::uint16_t* samples) {
    constexpr std::uint64_t kPiece = std::uint64_t{4} << 20;
    std::vector<Extent> pieces;
    for (const Extent& e : extents)
        for (std::uint64_t done = 0; done < e.bytes; done += kPiece)
            pieces.push_back(
                {e.fileOffset + done, e.sampleIndex + done / 2, std::min(kPiece, e.bytes - done)});
    bool complete = true;
    const auto count = static_cast<std::int64_t>(pieces.size());
#pragma omp parallel for schedule(dynamic) reduction(&& : complete)
    for (std::int64_t i = 0; i < count; ++i) {
        const Extent& piece = pieces[static_cast<std::size_t>(i)];
        auto* target = reinterpret_cast<char*>(samples + piece.sampleIndex);
        std::uint64_t done = 0;
        while (done < piece.bytes) {
            const ssize_t got = pread(fd, target + done, piece.bytes - done,
                                      static_cast<off_t>(piece.fileOffset + done));
            if (got <= 0) break;
            done += static_cast<std::uint64_t>(got);
        }
        complete = complete && done == piece.bytes;
    }
    return complete;
}

std::unique_ptr<std::uint16_t[]> readSamples(TIFF* tif, std::int32_t width, std::int32_t height,
                                             const TiffMessageCapture& capture) {
    // The spare row and column match what the filters expect to find replaced later.
    auto samples = allocateBuffer<std::uint16_t>(
        checkedCount(std::int64_t{height} + 1, std::int64_t{width} + 1, sizeof(std::uint16_t)));
    const std::vector<Extent> extents = plainStripExtents(tif, width, height);
    if (!extents.empty() && readExtents(TIFFFileno(tif), extents, samples.get())) return samples;
    // Decoding files, and plain ones whose direct read failed: libtiff reads and reports.
    for (std::int32_t row = 0; row < height; ++row) {
        void* rowStart =
            samples.get() + static_cast<std::size_t>(row) * static_cast<std::size_t>(width);
        if (TIFFReadScanline(tif, rowStart, static_cast<std::uint32_t>(row), 0) == -1)
            throw TiffReadError(
                capture.text("Can not read row " + std::to_string(row) + " of the image."));
    }
    return samples;
}

void appendToCaption(LayeredImage& image, const std::string& path, int layerIndex,
                     std::optional<int> page) {
    std::string caption = image.caption;
    if (layerIndex > 0) caption += ", ";
    caption += CaptionBaseName(path);
    if (page) caption += "[" + std::to_string(*page + 1) + "]";
    caption += ChannelSuffix(layerIndex);
    image.caption = caption.substr(0, kMaxTextLength);
}

// Makes page `page` (0-based) the current directory; a page the file does not have is refused
// with the number of pages it does have.
void selectPage(TIFF* tif, const std::string& path, int page) {
    if (page >= 0 && page < 65535 && TIFFSetDirectory(tif, static_cast<tdir_t>(page)) == 1) return;
    throw CoreError(path + " holds " + std::to_string(TIFFNumberOfDirectories(tif)) +
                    " image(s); there is no image " +
                    std::to_string(static_cast<long long>(page) + 1) + ".");
}

}  // namespace

const char* ChannelSuffix(int layerIndex) {
    switch (layerIndex) {
    case 0: return " (red)";
    case 1: return " (green)";
    case 2: return " (blue)";
    default: return "";
    }
}

std::string CaptionBaseName(const std::string& path) {
    std::error_code error;
    std::filesystem::path full = std::filesystem::absolute(path, error);
    if (error) full = path;
    const std::string name = full.filename().string();
    return name.substr(0, name.find('.'));
}

void ParseScanInfo(const std::string& description, double& scanOriginX, double& scanOriginY) {
    double first = 0.0, second = 0.0, fifth = 0.0, tenth = 0.0;
    int sixth = 0, seventh = 0, eighth = 0, ninth = 0, eleventh = 0;
    // C scanf semantics: values are stored in order for as long as the text matches.
    std::sscanf(description.c_str(), "SCANINFO:%lf,%lf>>%lf,%lf>>%lf>>%d>>%d>>%d>>%d>>%lf>>%d",
                &first, &second, &scanOriginX, &scanOriginY, &fifth, &sixth, &seventh, &eighth,
                &ninth, &tenth, &eleventh);
}

void LoadLayer(LayeredImage& image, const std::string& path, const ImageLayer* reference,
               Progress& progress) {
    LoadLayer(image, path, reference, progress, std::nullopt);
}

void LoadLayer(LayeredImage& image, const std::string& path, const ImageLayer* reference,
               Progress& progress, std::optional<int> page) {
    const int index = image.layerCount;
    if (index < 0 || index >= kMaxLayers) throw std::invalid_argument("LoadLayer: no free layer");
    TiffMessageCapture capture;
    TiffHandle tif(TIFFOpen(path.c_str(), "r"));
    if (!tif) {
        capture.forwardToSink();
        throw CoreError(withPath(kCannotOpenMessage, path));
    }
    progress.message("Loading Tiff File ...");
    std::int32_t width = 0;
    std::int32_t height = 0;
    try {
        if (page) selectPage(tif.get(), path, *page);
        checkFormat(tif.get(), width, height);
        if (reference != nullptr && (width != reference->width || height != reference->height))
            throw CoreError(kOverlaySizeMessage);
    } catch (const CoreError&) {
        capture.forwardToSink();
        throw;
    }
    checkUncompressedSize(tif.get(), path, width, height);
    FileMetadata meta{};
    if (reference == nullptr) meta = readMetadata(tif.get(), image);
    auto samples = readSamples(tif.get(), width, height, capture);
    tif.reset();
    capture.forwardToSink();  // errors libtiff recovered from still reach the user

    ImageLayer& target = image.layers[static_cast<std::size_t>(index)];
    target.width = width;
    target.height = height;
    target.samples = std::move(samples);
    if (reference == nullptr) {
        image.xResolution = meta.xResolution;
        image.yResolution = meta.yResolution;
        image.resolutionUnit = meta.resolutionUnit;
        image.imageDescription = meta.imageDescription;
        image.scanOriginX = meta.scanOriginX;
        image.scanOriginY = meta.scanOriginY;
    }
    appendToCaption(image, path, index, page);
}

void AppendLayer(LayeredImage& image, const std::string& path, Progress& progress) {
    AppendLayer(image, path, progress, std::nullopt);
}

void AppendLayer(LayeredImage& image, const std::string& path, Progress& progress,
                 std::optional<int> page) {
    if (image.layerCount < 0 || image.layerCount >= kMaxLayers)
        throw std::invalid_argument("AppendLayer: three layers are loaded already");
    const ImageLayer* reference = image.layerCount > 0 ? &image.layers[0] : nullptr;
    LoadLayer(image, path, reference, progress, page);
    ++image.layerCount;
}

TiffPages InspectTiffPages(const std::string& path) {
    TiffMessageCapture capture;
    TiffHandle tif(TIFFOpen(path.c_str(), "r"));
    if (!tif) {
        capture.forwardToSink();
        throw CoreError(withPath(kCannotOpenMessage, path));
    }
    TiffPages pages;
    std::int32_t firstWidth = 0, firstHeight = 0;
    do {
        std::int32_t width = 0, height = 0;
        try {
            checkFormat(tif.get(), width, height);
        } catch (const CoreError&) {
            pages.alike = false;
        }
        if (pages.count == 0) {
            firstWidth = width;
            firstHeight = height;
        } else if (width != firstWidth || height != firstHeight) {
            pages.alike = false;
        }
        ++pages.count;
    } while (pages.count < kMaxTiffPages && TIFFReadDirectory(tif.get()) == 1);
    return pages;
}

void LoadPagesAsLayers(LayeredImage& image, const std::string& path, Progress& progress) {
    if (image.layerCount != 0)
        throw std::invalid_argument("LoadPagesAsLayers: the image has layers already");
    const TiffPages pages = InspectTiffPages(path);
    if (!pages.alike) throw CoreError(kPagesDifferMessage);
    // Loaded aside, so that a page that fails leaves the document without any of them.
    LayeredImage loaded;
    for (int page = 0; page < std::min(pages.count, kMaxLayers); ++page)
        AppendLayer(loaded, path, progress, page);
    image = std::move(loaded);
}

}  // namespace orvane
