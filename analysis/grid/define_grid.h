// Define Grid in the core: the Grid Parameters dialog's fields as texts, their validation with
// the dialog's messages, the Zone rule, and the layout of every quad in image pixels.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "base/core_error.h"
#include "document/layered_image.h"
#include "grid/grid_parameters.h"
#include "grid/spot_grid.h"
#include "printjob/print_job_parameters.h"

namespace orvane {

// The field's name as in GridParameters ("cellsX", "stepXmm"), and the reverse lookup.
const char* GridFieldName(GridField field);
std::optional<GridField> FindGridField(std::string_view name);

// Every field as the text its control shows: integers in decimal, numbers in the dialog's
// general form with 15 significant digits, check boxes "0"/"1", the lock radio group "0".."2".
using GridFieldTexts = std::array<std::string, kGridFieldCount>;
GridFieldTexts FormatGridFields(const GridParameters& params);

// The first field that fails, with the message the dialog shows ("Please enter an integer.").
struct FieldError {
    GridField field;
    std::string message;
};

// Reads every field from its text in dialog order. On success the values are stored in `params`
// (the slide map is left as it is); on failure `params` is unchanged.
std::optional<FieldError> ValidateGridFields(const GridFieldTexts& texts, GridParameters& params);

// The Zone edit's change rule: validate all fields as OK does; then the origin becomes the
// print job's origin of the zone. On failure nothing changes. The caller refills the controls.
std::optional<FieldError> ApplyZoneChange(const GridFieldTexts& texts, GridParameters& params,
                                          const PrintJobParameters& job);

// A field that failed validation: what() is the dialog's message, field says which one.
class GridFieldError : public CoreError {
public:
    GridFieldError(GridField field, const std::string& message)
        : CoreError(message), field_(field) {}
    GridField field() const { return field_; }

private:
    GridField field_;
};

// Sets fields by name ("cellsX", "zone") in the given order, as typing into the dialog would:
// each value replaces its field's text; setting zone runs the Zone rule at once. At the end all
// fields are validated as OK does. Throws GridFieldError with the dialog's message for the
// first failing field, or CoreError for an unknown name; `params` changes only on success.
void ApplyGridSettings(GridParameters& params,
                       const std::vector<std::pair<std::string, std::string>>& settings,
                       const PrintJobParameters& job);

// Whether a map UID means "no well": empty, or "NA" in any letter case (no trimming).
bool IsEmptyWell(std::string_view uid);

// Lays out every quad in use from grid.parameters on the image's resolution and scan origin
// and marks spots without a well as Excluded. Slots outside Quads X x Quads Y are untouched.
// An allocation failure throws OutOfMemoryError; the quads laid out before it stay laid out.
void DefineGridLayout(SpotGrid& grid, const LayeredImage& image);

}  // namespace orvane
