// Command routing: each command target (view, document, frame, application) has a static map from
// command ids to member-function handlers and optional update handlers. The main window offers a
// command to the active view first, then its document, the frame and the application.
#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace orvane {

// What an update handler decides for one command: enabled, and the check (or pressed) state for
// commands that have one.
struct CmdUi {
    bool enabled = true;
    std::optional<bool> checked;
    std::optional<std::string> text;  // a menu text of the moment ("&Undo Move Quad")
};

template <typename T>
struct CommandEntry {
    int id;
    void (T::*run)();
    void (T::*update)(CmdUi&) const;  // nullptr: always enabled, never checked
};

template <typename T>
const CommandEntry<T>* findCommand(std::span<const CommandEntry<T>> map, int id) {
    for (const auto& entry : map) {
        if (entry.id == id) return &entry;
    }
    return nullptr;
}

// Runs the handler of `id` when `target` has one; returns whether it did.
template <typename T>
bool dispatchCommand(std::span<const CommandEntry<T>> map, T& target, int id) {
    const CommandEntry<T>* entry = findCommand(map, id);
    if (!entry) return false;
    (target.*entry->run)();
    return true;
}

// Fills `ui` from the update handler of `id` when `target` handles it; returns whether it does.
template <typename T>
bool updateCommand(std::span<const CommandEntry<T>> map, const T& target, int id, CmdUi& ui) {
    const CommandEntry<T>* entry = findCommand(map, id);
    if (!entry) return false;
    ui = CmdUi{};
    if (entry->update) (target.*entry->update)(ui);
    return true;
}

// A command target of an image window, offered commands in the routing order.
class CommandTarget {
public:
    virtual ~CommandTarget() = default;
    // Runs the handler of `id` when this target has one; returns whether it did.
    virtual bool Run(int id) = 0;
    // Fills `ui` from the update handler of `id` when this target handles it.
    virtual bool Update(int id, CmdUi& ui) const = 0;
};

// A command target whose handlers are listed in T's static commandMap().
template <typename T>
class MappedCommandTarget : public CommandTarget {
public:
    bool Run(int id) override {
        return dispatchCommand(T::commandMap(), static_cast<T&>(*this), id);
    }
    bool Update(int id, CmdUi& ui) const override {
        return updateCommand(T::commandMap(), static_cast<const T&>(*this), id, ui);
    }
};

}  // namespace orvane
