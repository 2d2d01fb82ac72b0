// A robot-control object wired to a simulated controller, and the hex "chat" comparison.
#pragma once

#include <gtest/gtest.h>

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "arx.h"
#include "simulated_controller.h"

namespace arx::testing {

inline std::string hex(const std::vector<uint8_t>& bytes) {
    std::string out;
    char cell[4];
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        std::snprintf(cell, sizeof cell, i ? " %02x" : "%02x", bytes[i]);
        out += cell;
    }
    return out;
}

struct SimRig {
    explicit SimRig(const sim::SimConfig& config = {})
        : controller(std::make_shared<sim::SimulatedController>(config)),
          robot(std::make_unique<sim::SimulatedBackend>(controller)) {}

    // The output reports received since the last call, as hex lines.
    std::vector<std::string> takeReports() {
        std::vector<std::string> lines;
        const auto& all = controller->received();
        for (; seen < all.size(); ++seen) lines.push_back(hex(all[seen]));
        return lines;
    }

    std::shared_ptr<sim::SimulatedController> controller;
    RobotControlImp robot;
    std::size_t seen = 0;
};

// Compares the reports the controller received with the expected chat, printing both sides.
inline void expectChat(SimRig& rig, const std::vector<std::string>& expected) {
    const std::vector<std::string> got = rig.takeReports();
    if (got == expected) return;
    std::string text = "expected reports:\n";
    for (const auto& line : expected) text += "  > " + line + "\n";
    text += "received reports:\n";
    for (const auto& line : got) text += "  < " + line + "\n";
    ADD_FAILURE() << text;
}

}  // namespace arx::testing
