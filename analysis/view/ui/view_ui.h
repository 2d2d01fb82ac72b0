// What the application shell needs of this GUI library: the registration of its command targets.
#pragma once

namespace orvane {

// Gives every image window made from now on the display, zoom and tool commands (CViewCommands) and
// the picture's (CImageCommands).
void RegisterViewCommands();

}  // namespace orvane
