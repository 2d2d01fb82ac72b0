// The status-bar panes an image window fills: position, intensity and the grid's spot panes.
#pragma once

#include <QString>

namespace orvane {

struct ImageWindow;

// Text of pane `paneId` (PaneId) for the window, or a null string for the panes it does not own.
QString WindowPaneText(const ImageWindow& window, int paneId);

}  // namespace orvane
