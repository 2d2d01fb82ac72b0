// Load Map's reader: reads a slide map data file (print-job parameters, pin lines and zone
// lines) into the grid geometry it prints and the SlideMap; the grid applies them.
#pragma once

#include <cstdint>
#include <iostream>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "printjob/print_job_parameters.h"
#include "printjob/slide_map.h"

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
inline constexpr const char* kMapNoZonesMessage =
    "Not a slide map: the file has no zone lines, so it defines neither cells nor quads.";
inline constexpr const char* kMapStepsMessage =
    "Incomplete slide map: the spot steps grid_step_x and grid_step_y must be above 0.";

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

// The grid a map prints: its geometry in millimetres, the map of every spot, and one
// "Parse error - pin assignment." per refused pin line, in file order, for the caller to show.
struct MapLayout {
    std::int32_t cellsX = 0, cellsY = 0, quadsX = 0, quadsY = 0;
    double stepXmm = 0, stepYmm = 0, quadStepX = 0, quadStepY = 0, originX = 0, originY = 0;
    std::shared_ptr<SlideMap> slideMap;
    std::vector<std::string> messages;
};

// Reads a map over a seekable stream: ReadParameters (no listing, at most 100 parameters) into
// `job`, then the zone pass, the geometry checks and the map pass. A failed check throws
// CoreError with its message (the job parameters keep what the file gave them). Besides the
// limits, a file with no zone line, with steps that are not above 0, or whose zone lines reach
// fewer cells or quads than its own grid_spot_* and grid_quad_* lines declare, is refused.
MapLayout ReadMap(std::istream& in, PrintJobParameters& job, std::ostream& diagnostics = std::cout);

// Opens `path` and runs ReadMap; "Unable to open file." when it cannot be opened.
MapLayout ReadMapFile(const std::string& path, PrintJobParameters& job,
                      std::ostream& diagnostics = std::cout);

}  // namespace orvane
