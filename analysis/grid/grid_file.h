// The grid definition file (.grd): a text header line, the 208-byte parameter block, the slide
// map records and the quad records, written and read with CR LF line-end translation.
#pragma once

#include <cstdint>
#include <iosfwd>
#include <optional>
#include <string>

#include "grid/spot_grid.h"

namespace orvane {

inline constexpr const char* kGridFileHeader = "grid definition file (binary, do not edit)";
inline constexpr std::size_t kGridParameterBlockSize = 208;
inline constexpr std::size_t kGridQuadHeaderSize = 120;

// Why parameters cannot go into a grid file, or none: Quads X 1..4, Quads Y 1..16, Cells X and
// Cells Y 1..10000 (the ranges a loaded file must also meet).
std::optional<std::string> CheckGridCounts(const GridParameters& params);

// Writes the grid (parameters, map re-indexed to the current Quads and Cells, quads in use) to
// `out` in its stored form, every content line feed as CR LF. Throws CoreError when the counts
// are out of range or the map is too large for the file's count field.
void WriteGrid(const SpotGrid& grid, std::ostream& out);

// Saves to `path` through a temporary file in the same folder that replaces `path` only once it
// is complete, so a failure never leaves a half-written grid file. "Unable to open file." when
// the file cannot be created, "Unable to write file." when writing fails.
void SaveGrid(const SpotGrid& grid, const std::string& path);

// Reads a grid in its stored form. The whole file is checked before anything is taken: a wrong
// header, an early end, counts outside the grid's ranges or inconsistent records throw
// CoreError, and the grid is left exactly as it was. On success the parameters and map are
// replaced and the slots of the file's Quads X x Quads Y are replaced; other slots stay.
void ReadGrid(std::istream& in, SpotGrid& grid);

// Opens `path` ("Unable to open file." on failure) and runs ReadGrid.
void LoadGrid(const std::string& path, SpotGrid& grid);

}  // namespace orvane
