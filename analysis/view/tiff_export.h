// Writing TIFF files: the displayed picture as an 8-bit RGB TIFF (Export), and one layer as a
// 16-bit grey scan that loads back exactly like the scanner's file (orvane-batch process).
#pragma once

#include <string>

#include "base/progress.h"
#include "document/layered_image.h"
#include "document/tiff_messages.h"
#include "view/display_raster.h"

namespace orvane {

// Writes the picture as `state` maps it, at full size, red-green-blue, 64 rows a strip. Does
// nothing without a layer. Progress shows BuildRaster's texts, "Saving Tiff File ..." and
// "Ready". Throws TiffWriteError (libtiff's text) when the file cannot be created or written
// and OutOfMemoryError when the raster cannot be allocated; in either case no file is left at
// `path` and a file that was there before is unchanged.
void ExportTiff(const LayeredImage& image, const DisplayState& state, const std::string& path,
                Progress& progress);

// Writes layers[layerIndex] as a 16-bit min-is-black grey TIFF with the image's resolution
// tags and ImageDescription (tags that were absent stay absent). Same failure rules as above.
void WriteLayerTiff(const LayeredImage& image, int layerIndex, const std::string& path);

}  // namespace orvane
