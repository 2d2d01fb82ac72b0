// The print-job parameters the arraying robot writes into a slide map data file, with their
// built-in defaults, and the table-driven line reader that fills them.
#pragma once

#include <cstdint>
#include <iosfwd>
#include <string>
#include <vector>

namespace orvane {

struct PrintJobParameters {
    std::string setup_file_name = "set.txt";
    std::string job_file_name = "job.txt";
    std::string print_start_date_time = "Fri May 19 12:56:03 2000";
    std::int32_t pins_x = 2;
    std::int32_t pins_y = 2;
    std::int32_t pins_step = 1;
    std::int32_t spots_per_wick = 150;
    std::int32_t prespot_slides = 4;
    double prespot_step = 0.275;
    std::int32_t prespot_spots = 30;
    std::int32_t prespot_gap = 1;
    std::int32_t prespot_hexp = 1;
    double prespot_label_border = 23.0;
    std::int32_t spot_slides = 6;
    std::int32_t spot_zones = 3;
    double spot_step = 0.35;
    double border_x = 3.5;
    double border_y = 3.5;
    double spot_label_border = 25.0;
    std::int32_t spots_x = 1;
    std::int32_t spots_y = 2;
    std::int32_t spot_hexp = 0;
    std::int32_t interleave_x = 1;
    std::int32_t interleave_y = 1;
    std::int32_t plate_num = 1;
    std::int32_t align_check = 1;
    std::int32_t wash_radio = 0;
    double zone_0_origin_x = 3.5;
    double zone_0_origin_y = 3.5;
    double zone_1_origin_x = 3.5;
    double zone_1_origin_y = 3.5;
    double zone_2_origin_x = 3.5;
    double zone_2_origin_y = 3.5;
    double grid_step_x = 0.35;
    double grid_step_y = 0.35;
    double grid_offs_y = 0.0;
    std::int32_t grid_spot_ncols = 12;
    std::int32_t grid_spot_nrows = 12;
    std::int32_t grid_quad_ncols = 4;
    std::int32_t grid_quad_nrows = 2;
    double grid_quad_step_x = 4.5;
    double grid_quad_step_y = 4.5;

    // Origin of zone 0, 1 or 2 in millimetres; zone must be one of those.
    double zoneOriginX(std::int32_t zone) const;
    double zoneOriginY(std::int32_t zone) const;
};

// The one process-wide set: it starts at the defaults and only ReadParameters changes it, so a
// second Load Map starts from what the previous file left.
PrintJobParameters& processPrintJobParameters();

enum ParameterType : std::int32_t {
    kParamInteger = 0,
    kParamReal = 1,
    kParamYesNo = 2,
    kParamString = 3,
    kParamSentinel = -1,
};

struct ParameterEntry {
    const char* name;
    std::int32_t type;
    void* storage;  // int32_t, double or std::string by type; null for the sentinel
};

// The table of the 42 parameters of `values` in their fixed order, ended by "sentinel".
std::vector<ParameterEntry> parameterTable(PrintJobParameters& values);

// Reads "name value" lines from `in` into the table's storage until the end of the stream or
// until maxCount parameters were read (0: no limit); returns how many were read. Unknown names
// and unconvertible values are reported on `diagnostics`; with a listing stream, every parameter
// is listed at the end.
std::int32_t ReadParameters(std::istream& in, std::ostream* listing,
                            const std::vector<ParameterEntry>& table, std::int32_t maxCount,
                            std::ostream& diagnostics);
std::int32_t ReadParameters(std::istream& in, std::ostream* listing,
                            const std::vector<ParameterEntry>& table, std::int32_t maxCount);

// Reads the next piece of a line: up to maxChars characters, ending early after a line feed
// (which is kept). Returns false at the end of the stream. Longer lines come back in pieces.
bool ReadLinePiece(std::istream& in, std::size_t maxChars, std::string& piece);

}  // namespace orvane
