// Load Map and Load GAL: the print layouts that the print-job readers return, applied to the
// Grid Parameters (geometry and slide map).
#pragma once

#include <iostream>
#include <string>
#include <vector>

#include "grid/grid_parameters.h"
#include "printjob/gal_file.h"
#include "printjob/load_map.h"
#include "printjob/print_job_parameters.h"

namespace orvane {

// Sets the geometry fields of a map's grid (spot 0.2 mm, background 0.3 mm, absolute offsets,
// zone 0, no quad shifts) and attaches its slide map. Other fields keep their values.
void ApplyMapLayout(MapLayout layout, GridParameters& params);

// Runs Load Map over a seekable stream (see ReadMap) and applies it. A failed check throws
// CoreError with its message and leaves `params` unchanged (the job parameters keep what the
// file gave them). Returns one "Parse error - pin assignment." per refused pin line, in file
// order, for the caller to show.
std::vector<std::string> LoadMap(std::istream& in, GridParameters& params, PrintJobParameters& job,
                                 std::ostream& diagnostics = std::cout);

// Opens `path` and runs LoadMap; "Unable to open file." when it cannot be opened.
std::vector<std::string> LoadMapFile(const std::string& path, GridParameters& params,
                                     PrintJobParameters& job,
                                     std::ostream& diagnostics = std::cout);

// Sets the grid geometry of `params` (cells, steps, spot and background diameters, quads and
// template steps, origin measured from the image corner, zone 0, each quad's shift onto its
// block) and attaches a new SlideMap:
// ID as UID, Name as description, an empty or "empty" ID as no well. Other fields keep their
// values. On any failure `params` is unchanged.
void ApplyGal(const GalFile& gal, GridParameters& params);

// Opens `path` ("Unable to open file."), parses it and applies it.
void LoadGalFile(const std::string& path, GridParameters& params);

}  // namespace orvane
