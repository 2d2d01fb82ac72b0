// The registry of window command targets.
#include "view/ui/image_window.h"

#include <algorithm>
#include <string>
#include <utility>

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

}  // namespace orvane
