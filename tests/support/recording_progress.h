// A progress sink that keeps the messages it is given, for the tests of the long operations.
#pragma once

#include <string>
#include <vector>

#include "base/progress.h"

namespace orvane::testing_support {

class RecordingProgress : public Progress {
public:
    void message(const std::string& text) override { texts.push_back(text); }
    std::vector<std::string> texts;
};

}  // namespace orvane::testing_support
