// The overlay that is on the window, kept as the set of primitives painted an odd number of
// times. NOT-XOR painting is its own inverse and the order of paintings does not matter, so this
// set alone fixes every pixel of the overlay: the view can draw it at any zoom and scroll
// position, and painting a figure twice removes it, exactly as on a picture.
#pragma once

#include <cstddef>
#include <functional>
#include <unordered_set>

#include "grid/overlay_figure.h"

namespace orvane {

struct OverlayPrimitiveHash {
    std::size_t operator()(const OverlayPrimitive& p) const noexcept;
};

class ShownOverlay {
public:
    // Paints the figure: each primitive that was shown disappears, each other one appears.
    void Toggle(const OverlayFigure& figure);
    void Clear() { shown_.clear(); }
    bool empty() const { return shown_.empty(); }
    std::size_t size() const { return shown_.size(); }
    bool contains(const OverlayPrimitive& p) const { return shown_.count(p) != 0; }

    template <typename Visit>
    void forEach(Visit visit) const {
        for (const OverlayPrimitive& p : shown_) visit(p);
    }

private:
    std::unordered_set<OverlayPrimitive, OverlayPrimitiveHash> shown_;
};

}  // namespace orvane
