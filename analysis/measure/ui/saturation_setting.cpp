// The saturation flag's setting in QSettings.
#include "measure/ui/saturation_setting.h"

#include <cmath>

#include <QSettings>

namespace orvane {

namespace {

const char* const kOnKey = "Settings/FlagSaturated";
const char* const kPercentKey = "Settings/FlagSaturatedPercent";

}  // namespace

SaturationSetting LoadSaturationSetting() {
    const QSettings settings;
    SaturationSetting setting;
    const QVariant on = settings.value(kOnKey);
    // Only what SaveSaturationSetting writes turns the flag on: a stray text leaves it off.
    setting.on = on.toString() == "true";
    bool ok = false;
    const double percent = settings.value(kPercentKey).toDouble(&ok);
    // Whole percentages, as the program offers them: the table and the export then agree.
    if (ok && percent >= 0.0 && percent <= 100.0) setting.percent = std::round(percent);
    return setting;
}

void SaveSaturationSetting(const SaturationSetting& setting) {
    QSettings settings;
    settings.setValue(kOnKey, setting.on);
    settings.setValue(kPercentKey, setting.percent);
    settings.sync();
}

}  // namespace orvane
