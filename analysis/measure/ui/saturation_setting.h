// The program's choice to flag saturated spots, kept in the per-user settings: the Spot Results
// table and Export GenePix Results both read it, so that the table shows what the file flags.
#pragma once

#include <optional>

#include "measure/spot_results.h"

namespace orvane {

struct SaturationSetting {
    bool on = false;  // off unless the user turns it on: every output as without the flag
    double percent = kDefaultSaturatedPercent;  // kept while off, for the next time it is on

    // The threshold FlagSaturatedSpots applies; none while off.
    std::optional<double> threshold() const {
        return on ? std::optional<double>(percent) : std::nullopt;
    }
    friend bool operator==(const SaturationSetting&, const SaturationSetting&) = default;
};

// "FlagSaturated" and "FlagSaturatedPercent" in the settings section "Settings". A missing or
// unusable value reads as the default, a percentage outside 0 to 100 as the default percentage;
// the percentage is rounded to a whole number.
SaturationSetting LoadSaturationSetting();
void SaveSaturationSetting(const SaturationSetting& setting);

}  // namespace orvane
