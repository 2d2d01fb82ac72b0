// Load Map: reads a slide map data file (print-job parameters, pin lines and zone lines), sets
// the grid geometry of the Grid Parameters from it and builds the SlideMap.
#pragma once

#include <cstdint>
#include <iostream>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "grid/grid_parameters.h"
#include "printjob/print_job_parameters.h"

namespace orvane {

inline constexpr std::int32_t kPinTableX = 4;
inline constexpr std::int32_t kPinTableY = 8;

inline constexpr const char* kMapGeometrySpecsMessage =
    "Parse error - quad dimensons exceeded map geometry specs.";
inline constexpr const char* kMapLimitsMessage =
    "Parse error - quad dimensons exceeded limits (4x16).";
inline constexpr const char* kPinAssignmentMessage = "Parse error - pin assignment.";
inline constexpr const char* kZoneIndexMessage = "Parse error - negative index in zone line.";
inline constexpr const char* kPinCountMessage =
    "Parse error - pins_x or pins_y outside the pin table (4x8).";

// "pin_x# %d, pin_y# %d, well_uid: %[^,], well_descr: %s"
struct PinLine {
    std::int32_t pinX = 0;
    std::int32_t pinY = 0;
    std::string uid;
    std::string description;
};

// "zone# %d, block_col# %d, block_row# %d, spot_col# %d, spot_row# %d"
struct ZoneLine {
    std::int32_t zone = 0;
    std::int32_t blockCol = 0;
    std::int32_t blockRow = 0;
    std::int32_t spotCol = 0;
    std::int32_t spotRow = 0;
};

// A line counts only when every field of its format converts.
std::optional<PinLine> ParsePinLine(std::string_view line);
std::optional<ZoneLine> ParseZoneLine(std::string_view line);

// Runs Load Map over a seekable stream: ReadParameters (no listing, at most 100 parameters) into
// `job`, then the zone pass, the geometry checks, the new field values and the map. A failed
// check throws CoreError with its message and leaves `params` unchanged (the job parameters keep
// what the file gave them). Returns one "Parse error - pin assignment." per refused pin line, in
// file order, for the caller to show.
std::vector<std::string> LoadMap(std::istream& in, GridParameters& params, PrintJobParameters& job,
                                 std::ostream& diagnostics = std::cout);

// Opens `path` and runs LoadMap; "Unable to open file." when it cannot be opened.
std::vector<std::string> LoadMapFile(const std::string& path, GridParameters& params,
                                     PrintJobParameters& job,
                                     std::ostream& diagnostics = std::cout);

}  // namespace orvane
