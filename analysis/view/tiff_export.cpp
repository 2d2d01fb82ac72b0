// The 8-bit RGB export of the displayed picture and the 16-bit grey writer of one layer.
#include "view/tiff_export.h"

#include <algorithm>
#include <stdexcept>
#include <vector>

#include <tiffio.h>

#include "document/tiff_output_file.h"

namespace orvane {

namespace {

constexpr std::uint32_t kExportRowsPerStrip = 64;

// The export's tags, set in this order.
void setExportTags(TIFF* tif, std::int32_t width, std::int32_t height) {
    TIFFSetField(tif, TIFFTAG_IMAGEWIDTH, static_cast<std::uint32_t>(width));
    TIFFSetField(tif, TIFFTAG_IMAGELENGTH, static_cast<std::uint32_t>(height));
    TIFFSetField(tif, TIFFTAG_COMPRESSION, COMPRESSION_NONE);
    TIFFSetField(tif, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_RGB);
    TIFFSetField(tif, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
    TIFFSetField(tif, TIFFTAG_BITSPERSAMPLE, 8);
    TIFFSetField(tif, TIFFTAG_SAMPLESPERPIXEL, 3);
    TIFFSetField(tif, TIFFTAG_ROWSPERSTRIP, kExportRowsPerStrip);
}

}  // namespace

void ExportTiff(const LayeredImage& image, const DisplayState& state, const std::string& path,
                Progress& progress) {
    if (image.layerCount <= 0) return;
    TiffOutputFile file(path);
    setExportTags(file.tiff(), image.width(), image.height());
    DisplayRaster raster = BuildDisplayRaster(image, state, false, progress);
    progress.message("Saving Tiff File ...");
    // Each scanline is 3 x width bytes; the raster's row padding is not written.
    for (std::int32_t y = 0; y < raster.height; ++y) {
        std::uint8_t* row = raster.bytes.get() + raster.stride * y;
        file.check(TIFFWriteScanline(file.tiff(), row, static_cast<std::uint32_t>(y), 0) != -1,
                   "Cannot write row " + std::to_string(y) + ".");
    }
    file.commit();
    progress.message("Ready");
}

void WriteLayerTiff(const LayeredImage& image, int layerIndex, const std::string& path) {
    if (layerIndex < 0 || layerIndex >= image.layerCount)
        throw std::invalid_argument("WriteLayerTiff: no such layer");
    const ImageLayer& layer = image.layers[static_cast<std::size_t>(layerIndex)];
    TiffOutputFile file(path);
    TIFF* tif = file.tiff();
    TIFFSetField(tif, TIFFTAG_IMAGEWIDTH, static_cast<std::uint32_t>(image.width()));
    TIFFSetField(tif, TIFFTAG_IMAGELENGTH, static_cast<std::uint32_t>(image.height()));
    TIFFSetField(tif, TIFFTAG_BITSPERSAMPLE, 16);
    TIFFSetField(tif, TIFFTAG_SAMPLESPERPIXEL, 1);
    TIFFSetField(tif, TIFFTAG_COMPRESSION, COMPRESSION_NONE);
    TIFFSetField(tif, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_MINISBLACK);
    TIFFSetField(tif, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
    TIFFSetField(tif, TIFFTAG_ROWSPERSTRIP, TIFFDefaultStripSize(tif, 0));
    // The loader stores 0 for an absent tag; writing 0 back would invent one.
    if (image.xResolution > 0.0f) TIFFSetField(tif, TIFFTAG_XRESOLUTION, image.xResolution);
    if (image.yResolution > 0.0f) TIFFSetField(tif, TIFFTAG_YRESOLUTION, image.yResolution);
    if (image.resolutionUnit != 0) TIFFSetField(tif, TIFFTAG_RESOLUTIONUNIT, image.resolutionUnit);
    if (!image.imageDescription.empty())
        TIFFSetField(tif, TIFFTAG_IMAGEDESCRIPTION, image.imageDescription.c_str());
    // libtiff may byte-swap a scanline in place, so each row goes through a copy.
    std::vector<std::uint16_t> row(static_cast<std::size_t>(image.width()));
    for (std::int32_t y = 0; y < image.height(); ++y) {
        const std::uint16_t* source =
            layer.samples.get() + static_cast<std::size_t>(y) * row.size();
        std::copy(source, source + row.size(), row.begin());
        file.check(TIFFWriteScanline(tif, row.data(), static_cast<std::uint32_t>(y), 0) != -1,
                   "Cannot write row " + std::to_string(y) + ".");
    }
    file.commit();
}

}  // namespace orvane
