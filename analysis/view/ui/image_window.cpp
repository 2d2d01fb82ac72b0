// The registry of window command targets, and the docks' hold on a window.
#include "view/ui/image_window.h"

#include <algorithm>
#include <string>
#include <utility>

#include "window/window_model.h"

namespace orvane {
namespace {

std::vector<std::pair<std::string, WindowCommandsFactory>>& factories() {
    static std::vector<std::pair<std::string, WindowCommandsFactory>> list;
    return list;
}

}  // namespace

void AddWindowCommands(const char* name, WindowCommandsFactory factory) {
    auto& list = factories();
    if (std::ranges::any_of(list, [&](const auto& entry) { return entry.first == name; })) return;
    list.emplace_back(name, std::move(factory));
}

std::vector<std::unique_ptr<CommandTarget>> MakeWindowCommands(ImageWindow& window) {
    std::vector<std::unique_ptr<CommandTarget>> targets;
    for (const auto& entry : factories()) targets.push_back(entry.second(window));
    return targets;
}

WindowFollower::WindowFollower(QObject* owner, Observer observer, std::function<void()> gone)
    : owner_(owner), observer_(std::move(observer)), gone_(std::move(gone)) {}

void WindowFollower::Follow(ImageWindow* window) {
    if (widget_) {
        window_->model.RemoveObserver(handle_);
        QObject::disconnect(destroyed_);
    }
    window_ = window;
    widget_ = window ? &window->widget : nullptr;
    if (!window_) return;
    handle_ = window_->model.AddObserver(observer_);
    // By the time the widget is destroyed its model is gone: nothing is left to stop observing.
    destroyed_ = QObject::connect(widget_, &QObject::destroyed, owner_, [this] {
        widget_ = nullptr;
        window_ = nullptr;
        gone_();
    });
}

}  // namespace orvane
