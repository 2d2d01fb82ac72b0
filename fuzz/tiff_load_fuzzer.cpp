// Fuzzes the TIFF loading path: libtiff's reader plus our format, size and scanline checks, as
// File > Open and Overlay Image run them (LoadLayer through AppendLayer).
#include <cstdint>
#include <cstdlib>

#include <tiffio.h>

#include "base/core_error.h"
#include "base/progress.h"
#include "document/tiff_loader.h"
#include "document/tiff_messages.h"
#include "memory_file.h"

namespace {

// Compressed images may legitimately claim far more pixels than the file's size; the loader then
// allocates the whole layer before it finds the data missing. That allocation path is covered by
// the unit tests; here it would only spend the fuzzer's time and memory in the allocator.
constexpr std::uint64_t kMaxCompressedPixels = std::uint64_t{1} << 22;

bool claimsHugeCompressedImage(const std::string& path) {
    TIFF* tif = TIFFOpen(path.c_str(), "r");
    if (tif == nullptr) return false;
    std::uint32_t width = 0, height = 0;
    std::uint16_t compression = COMPRESSION_NONE;
    TIFFGetField(tif, TIFFTAG_IMAGEWIDTH, &width);
    TIFFGetField(tif, TIFFTAG_IMAGELENGTH, &height);
    TIFFGetFieldDefaulted(tif, TIFFTAG_COMPRESSION, &compression);
    TIFFClose(tif);
    return compression != COMPRESSION_NONE &&
           std::uint64_t{width} * std::uint64_t{height} > kMaxCompressedPixels;
}

// A loaded layer must be readable in full: touching its first and last sample lets the address
// sanitizer catch a buffer smaller than width x height.
void touchLayer(const orvane::ImageLayer& layer) {
    if (layer.width <= 0 || layer.height <= 0 || !layer.samples) std::abort();
    const std::size_t last =
        static_cast<std::size_t>(layer.width) * static_cast<std::size_t>(layer.height) - 1;
    volatile std::uint16_t sink = layer.samples[0];
    sink = layer.samples[last];
    (void)sink;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    orvane::setTiffMessageSink({});  // libtiff's complaints about broken input are expected
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    orvane::fuzz::MemoryFile file(data, size);
    if (claimsHugeCompressedImage(file.path())) return 0;
    orvane::LayeredImage image;
    orvane::NullProgress progress;
    try {
        orvane::AppendLayer(image, file.path(), progress);
    } catch (const orvane::CoreError&) {
        if (image.layerCount != 0 || image.layers[0].samples) std::abort();  // left untouched
        return 0;
    }
    if (image.layerCount != 1) std::abort();
    touchLayer(image.layers[0]);
    // The same file again as an overlay: the reference-size path.
    try {
        orvane::AppendLayer(image, file.path(), progress);
        touchLayer(image.layers[1]);
    } catch (const orvane::OutOfMemoryError&) {
        // The same bytes load the same way; only memory may run out the second time.
    }
    return 0;
}
