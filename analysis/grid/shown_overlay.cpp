// The shown overlay's set: toggling by value, with a hash over every field of a primitive.
#include "shown_overlay.h"

#include <cstdint>

namespace orvane {

std::size_t OverlayPrimitiveHash::operator()(const OverlayPrimitive& p) const noexcept {
    std::uint64_t h =
        (std::uint64_t{static_cast<std::uint8_t>(p.shape)} << 8) | static_cast<std::uint8_t>(p.pen);
    for (std::int32_t v : {p.x0, p.y0, p.x1, p.y1})
        h = (h ^ static_cast<std::uint32_t>(v)) * 0x9E3779B97F4A7C15ull + (h >> 29);
    return static_cast<std::size_t>(h ^ (h >> 31));
}

void ShownOverlay::Toggle(const OverlayFigure& figure) {
    for (const OverlayPrimitive& p : figure.primitives) {
        const auto [at, inserted] = shown_.insert(p);
        if (!inserted) shown_.erase(at);
    }
}

}  // namespace orvane
