// What the application shell needs of this GUI library: the registration of its command targets.
#pragma once

namespace orvane {

// Gives every image window made from now on the Grid menu and Edit's Undo and Redo (CGridCommands).
void RegisterGridCommands();

}  // namespace orvane
