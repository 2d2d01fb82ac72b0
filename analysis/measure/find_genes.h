// Find / Highlight Genes: matches a pattern against the well UIDs and descriptions of the slide
// map and highlights the matching spots of the grid.
#pragma once

#include <cstdint>
#include <string>

#include "grid/selection_shape.h"
#include "grid/spot_grid.h"

namespace orvane {

// The find dialog's data. The pattern field opens empty every time; the check boxes keep their
// last values for the life of the view.
struct FindSettings {
    std::string pattern;
    bool matchCase = false;
    bool matchWholeWord = false;
    bool uidField = true;
    bool descrField = true;
};

inline constexpr std::size_t kMaxFindPatternLength = 60;  // the edit field's limit

// Throws CoreError("Find requires annotated grid") unless the overlay is shown, the tool is
// Grid and a slide map is attached.
void RequireAnnotatedGrid(bool overlayShown, ToolKind tool, const SpotGrid& grid);

// Whether one spot's texts match. Case folding is ASCII only.
bool SpotMatches(const FindSettings& settings, std::string_view uid, std::string_view description);

// Replaces the highlights (bit 0) of every spot of every defined quad in use by the matches of
// the pattern, Excluded and Marked spots included; returns the number of matching spots. A spot
// the map has no record for matches as one with empty texts.
std::int32_t FindGenes(SpotGrid& grid, const FindSettings& settings);

// "Found %d matching genes." or, for none, "Pattern not found.".
std::string FindResultMessage(std::int32_t count);

}  // namespace orvane
