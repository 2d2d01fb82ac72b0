// The process-wide libtiff error and warning handlers and the capture of a failing operation.
#include "tiff_messages.h"

#include <cstdarg>
#include <cstdio>
#include <mutex>
#include <utility>

#include <tiffio.h>

namespace orvane {

namespace {

std::mutex sinkMutex;
bool sinkSet = false;
TiffMessageSink currentSink;
thread_local TiffMessageCapture* innermostCapture = nullptr;

std::string formatMessage(const char* module, const char* format, va_list args) {
    char body[2048];
    std::vsnprintf(body, sizeof body, format, args);
    std::string text;
    if (module != nullptr && *module != '\0') {
        text = module;
        text += ": ";
    }
    return text + body;
}

void errorHandler(const char* module, const char* format, va_list args) {
    deliverTiffMessage(TiffMessageKind::Error, formatMessage(module, format, args));
}

void warningHandler(const char* module, const char* format, va_list args) {
    deliverTiffMessage(TiffMessageKind::Warning, formatMessage(module, format, args));
}

}  // namespace

void installTiffMessageHandlers() {
    static std::once_flag once;
    std::call_once(once, [] {
        TIFFSetErrorHandler(errorHandler);
        TIFFSetWarningHandler(warningHandler);
    });
}

void setTiffMessageSink(TiffMessageSink sink) {
    installTiffMessageHandlers();
    std::lock_guard<std::mutex> lock(sinkMutex);
    currentSink = std::move(sink);
    sinkSet = true;
}

void deliverTiffMessage(TiffMessageKind kind, const std::string& text) {
    if (kind == TiffMessageKind::Error && innermostCapture != nullptr) {
        innermostCapture->errors_.push_back(text);
        return;
    }
    TiffMessageSink sink;
    bool haveSink;
    {
        std::lock_guard<std::mutex> lock(sinkMutex);
        sink = currentSink;
        haveSink = sinkSet;
    }
    if (!haveSink) {
        std::fprintf(stderr, "%s%s\n", kind == TiffMessageKind::Warning ? "Warning, " : "",
                     text.c_str());
        return;
    }
    if (sink) sink(kind, text);
}

TiffMessageCapture::TiffMessageCapture() : outer_(innermostCapture) {
    installTiffMessageHandlers();
    innermostCapture = this;
}

TiffMessageCapture::~TiffMessageCapture() { innermostCapture = outer_; }

std::string TiffMessageCapture::text(const std::string& fallback) const {
    if (errors_.empty()) return fallback;
    std::string joined;
    for (const std::string& e : errors_) {
        if (!joined.empty()) joined += '\n';
        joined += e;
    }
    return joined;
}

void TiffMessageCapture::forwardToSink() {
    std::vector<std::string> errors = std::move(errors_);
    errors_.clear();
    TiffMessageCapture* self = innermostCapture;
    innermostCapture = outer_;  // deliver past this capture
    for (const std::string& e : errors) deliverTiffMessage(TiffMessageKind::Error, e);
    innermostCapture = self;
}

}  // namespace orvane
