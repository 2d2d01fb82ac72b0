// ImageWindow: what the command classes and the docks of one image window work on: its
// document, its model, its pictures and the widget that parents their dialogs. The window's command
// classes are made through the registry below, so that the application shell knows none of them.
#pragma once

#include <functional>
#include <memory>
#include <vector>

#include "base/ui/command_map.h"

class QWidget;

namespace orvane {

class COrvaneDoc;
class WindowModel;
class WindowPicture;

struct ImageWindow {
    std::shared_ptr<COrvaneDoc> document;
    WindowModel& model;
    QWidget& widget;
    // The pictures the view paints from; the Overview shows the reduced one.
    const WindowPicture& picture;
    // Save Grid's dialog and writing, whichever tool is chosen; false when the user cancelled
    // or the file was refused. The grid commands provide it; the frame's save question uses it.
    std::function<bool()> saveGrid;
};

using WindowCommandsFactory = std::function<std::unique_ptr<CommandTarget>(ImageWindow&)>;

// Adds a kind of command target that every image window made from now on gets, offered commands
// after those added before it. A name added before is not added again.
void AddWindowCommands(const char* name, WindowCommandsFactory factory);
// The command targets of a new window, in routing order.
std::vector<std::unique_ptr<CommandTarget>> MakeWindowCommands(ImageWindow& window);

}  // namespace orvane
