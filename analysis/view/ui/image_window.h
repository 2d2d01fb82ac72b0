// ImageWindow: what the command classes and the docks of one image window work on: its
// document, its model, its pictures and the widget that parents their dialogs. The window's command
// classes are made through the registry below, so that the application shell knows none of them.
#pragma once

#include <functional>
#include <memory>
#include <vector>

#include <QMetaObject>
#include <QPointer>
#include <QWidget>

#include "base/ui/command_map.h"

namespace orvane {

class COrvaneDoc;
class WindowModel;
class WindowPicture;
enum class ModelChange;

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

// A dock's hold on the active window: it observes the window's model while the window lives and
// lets go when the window's widget is destroyed (the model goes with it).
class WindowFollower {
public:
    using Observer = std::function<void(ModelChange)>;

    // `owner` is the dock; `gone` runs once the followed window is destroyed.
    WindowFollower(QObject* owner, Observer observer, std::function<void()> gone);
    ~WindowFollower() { Follow(nullptr); }
    WindowFollower(const WindowFollower&) = delete;
    WindowFollower& operator=(const WindowFollower&) = delete;

    // Follows `window` from now on; nullptr follows none.
    void Follow(ImageWindow* window);
    ImageWindow* window() const { return widget_ ? window_ : nullptr; }

private:
    QObject* owner_;
    Observer observer_;
    std::function<void()> gone_;
    ImageWindow* window_ = nullptr;
    QPointer<QWidget> widget_;
    int handle_ = -1;
    QMetaObject::Connection destroyed_;
};

}  // namespace orvane
