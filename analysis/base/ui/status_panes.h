// The status bar's panes in their order: the message pane, then the eight panes whose texts the
// active view supplies, each with its identifying text (the text's width is the pane's width).
#pragma once

#include <array>

namespace orvane {

// String ids of the panes; the view supplies the text of those it owns.
enum PaneId : int {
    kPaneMessage = 0,
    kPanePositionX = 103,
    kPanePositionY = 104,
    kPaneGridQuad = 105,
    kPaneGridSpot = 106,
    kPanePointIntensity = 107,
    kPaneSpotUid = 108,
    kPaneSpotDescription = 109,
    kPaneSpotIntensity = 110,
};

struct StatusPane {
    PaneId id;
    const char* text;
    int paddedLength;  // the UID and description panes carry trailing blanks up to this length
};

inline constexpr std::array<StatusPane, 9> kStatusPanes = {{
    {kPaneMessage, "", 0},
    {kPaneGridQuad, "Grid Quad (x, y)", 0},
    {kPaneGridSpot, "Grid Spot (x, y)", 0},
    {kPaneSpotUid, "Spot UID", 61},
    {kPaneSpotDescription, "Spot Description", 57},
    {kPaneSpotIntensity, "Spot Intensity (ch1/bg1, ch2/bg2, ch3/bg3)", 0},
    {kPanePositionX, "Position X", 0},
    {kPanePositionY, "Position Y", 0},
    {kPanePointIntensity, "Point Intensity", 0},
}};
inline constexpr int kPaneCount = static_cast<int>(kStatusPanes.size());

}  // namespace orvane
