// The progress line of orvane-batch.
#include "batch/terminal_progress.h"

namespace orvane::batch {

void TerminalProgress::message(const std::string& text) {
    // Rows report the same percentage many times; redraw only when the text changes.
    if (!enabled_ || text == last_) return;
    last_ = text;
    // Carriage return and erase-to-end-of-line keep it one line.
    std::fprintf(stream_, "\r%s\033[K", text.c_str());
    std::fflush(stream_);
    lineShown_ = true;
}

void TerminalProgress::finish() {
    if (!lineShown_) return;
    std::fputs("\r\033[K", stream_);
    std::fflush(stream_);
    lineShown_ = false;
    last_.clear();
}

}  // namespace orvane::batch
