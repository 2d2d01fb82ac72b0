// GenePix Array List (GAL) files: the block records and the feature table of a print layout,
// read as untrusted input, and where the blocks lie in a grid of quads.
#pragma once

#include <cstdint>
#include <iosfwd>
#include <string>
#include <vector>

#include "printjob/slide_map.h"

namespace orvane {

inline constexpr const char* kGalIrregularMessage =
    "The GAL blocks do not form a regular grid of at most 4 x 16 blocks.";
inline constexpr const char* kGalSizesMessage =
    "The GAL blocks differ in size: every block needs the same diameter, feature counts and "
    "spacings.";
// Far above real arrays (a few hundred thousand features); keeps a hostile file from asking for
// a slide map of many gigabytes.
inline constexpr std::int64_t kMaxGalFeatures = 1000000;

// "BlockN=x, y, diameter, xFeatures, xSpacing, yFeatures, ySpacing", lengths in micrometres;
// x and y are the centre of the block's first feature from the image's top-left corner.
struct GalBlock {
    double x = 0, y = 0, diameter = 0;
    std::int32_t xFeatures = 0;
    double xSpacing = 0;
    std::int32_t yFeatures = 0;
    double ySpacing = 0;
};

// One row of the feature table; block, column and row are 1-based and checked against the blocks.
struct GalFeature {
    std::int32_t block = 0, column = 0, row = 0;
    std::string id, name;
};

struct GalFile {
    std::vector<GalBlock> blocks;  // blocks[n - 1] is BlockN
    std::vector<GalFeature> features;
};

// Reads a GAL file (LF or CR LF line ends, a UTF-8 byte order mark allowed). Throws CoreError
// with a message that names the line for anything malformed: not an ATF file, another block type
// than rectangular (0), a block record that does not read as seven numbers, missing or repeated
// blocks, a Blockcount that disagrees, a feature outside its block, a NUL byte.
GalFile ParseGal(std::istream& in);

// Where each block lies in the grid of quads, and the grid's geometry in millimetres: the
// regular lattice that fits the blocks best (least squares over every block), and each block's
// shift from its lattice place. Quads that no block falls on stay without wells.
struct GalLayout {
    std::int32_t quadsX = 0, quadsY = 0;
    double originX = 0, originY = 0, quadStepX = 0, quadStepY = 0;
    std::vector<std::int32_t> quadX, quadY;  // per block
    std::vector<double> shiftX, shiftY;      // per block, mm
};

// Blocks closer than half a block's extent along an axis share a column (row). Throws
// CoreError(kGalIrregularMessage) for two blocks in one place or more than 4 x 16 columns and
// rows, CoreError(kGalSizesMessage) unless all blocks are alike.
GalLayout LayoutGal(const GalFile& gal);

}  // namespace orvane
