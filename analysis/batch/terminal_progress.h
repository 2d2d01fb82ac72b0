// Progress of long steps as one self-overwriting line on stderr, shown only when stderr is a
// terminal, so that logs and pipelines get the results and messages alone.
#pragma once

#include <cstdio>
#include <string>

#include "base/progress.h"

namespace orvane::batch {

class TerminalProgress final : public Progress {
public:
    // enabled: whether to draw at all (isatty of the stream's descriptor, for the real program).
    TerminalProgress(std::FILE* stream, bool enabled) : stream_(stream), enabled_(enabled) {}
    ~TerminalProgress() override { finish(); }
    TerminalProgress(const TerminalProgress&) = delete;
    TerminalProgress& operator=(const TerminalProgress&) = delete;

    void message(const std::string& text) override;
    // Clears the progress line, so that what follows starts on a clean line.
    void finish();

private:
    std::FILE* stream_;
    bool enabled_;
    bool lineShown_ = false;
    std::string last_;
};

}  // namespace orvane::batch
