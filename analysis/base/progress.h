// The callback through which long core operations report progress and their end. The GUI maps it
// to the status bar's message pane and the wait cursor, orvane-batch to a line on stderr.
#pragma once

#include <string>

namespace orvane {

class Progress {
public:
    virtual ~Progress() = default;
    // A status text such as "Loading Tiff File ..." or "Processing Tiff File, 05% completed ...".
    virtual void message(const std::string& text) = 0;
};

// For callers that do not show progress.
class NullProgress final : public Progress {
public:
    void message(const std::string&) override {}
};

}  // namespace orvane
