// Where libtiff's own error and warning texts go: one process-wide handler pair that forwards
// them to a sink (the GUI shows a message box, orvane-batch prints to stderr), and a scoped
// capture through which a core operation turns the texts of its failure into a TiffError.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "base/core_error.h"

namespace orvane {

enum class TiffMessageKind { Error, Warning };

// Receives libtiff's texts ("module: message") outside of any capture.
using TiffMessageSink = std::function<void(TiffMessageKind kind, const std::string& text)>;

// Installs the process-wide libtiff handlers (once) and sets the sink. An empty sink discards
// the texts. Until a sink is set, the texts go to stderr as libtiff's default handlers do.
void setTiffMessageSink(TiffMessageSink sink);

// Installs the handlers without changing the sink; every core TIFF operation calls it.
void installTiffMessageHandlers();

// A libtiff operation failed; the text is libtiff's own account of the cause.
class TiffError : public CoreError {
public:
    using CoreError::CoreError;
};

// A scanline could not be read (truncated file, tiled layout, corrupt strip).
class TiffReadError : public TiffError {
public:
    using TiffError::TiffError;
};

// The output file could not be created or written.
class TiffWriteError : public TiffError {
public:
    using TiffError::TiffError;
};

// While alive, libtiff errors of this thread are collected here instead of going to the sink;
// warnings still go to the sink. Captures nest; the innermost one collects.
class TiffMessageCapture {
public:
    TiffMessageCapture();
    ~TiffMessageCapture();
    TiffMessageCapture(const TiffMessageCapture&) = delete;
    TiffMessageCapture& operator=(const TiffMessageCapture&) = delete;

    // The collected error texts joined by newlines; `fallback` when there are none.
    std::string text(const std::string& fallback) const;
    // Hands the collected errors to the sink, for failures that show a message of their own
    // after libtiff's (as the default handler would have shown libtiff's first).
    void forwardToSink();
    // Records an error text of our own, reported like libtiff's.
    void add(const std::string& text) { errors_.push_back(text); }

private:
    friend void deliverTiffMessage(TiffMessageKind, const std::string&);
    std::vector<std::string> errors_;
    TiffMessageCapture* outer_;
};

// Routes one text to the innermost capture (errors) or to the sink.
void deliverTiffMessage(TiffMessageKind kind, const std::string& text);

}  // namespace orvane
