// makeDefaultHidBackend: the simulated controller for dry runs, Linux hidraw otherwise.
#include <cstdlib>
#include <string>

#include "hid_backend.h"
#include "hidraw_backend.h"
#include "simulated_controller.h"

namespace arx {

std::unique_ptr<HidBackend> makeDefaultHidBackend() {
    const char* setting = std::getenv("ARXUSB_SIMULATOR");
    if (setting && *setting && std::string(setting) != "0")
        return sim::makeSimulatedBackend(setting);
    return std::make_unique<HidrawBackend>();
}

}  // namespace arx
