// A TIFF file being written that appears under its name only when complete: libtiff writes a
// temporary file in the same folder, which is renamed over the target on success and removed
// on any failure, so that an abandoned write never leaves a half-written file behind.
#pragma once

#include <string>

#include <tiffio.h>

#include "tiff_messages.h"

namespace orvane {

class TiffOutputFile {
public:
    // Creates the temporary file; throws TiffWriteError with libtiff's text when it cannot.
    explicit TiffOutputFile(const std::string& path);
    ~TiffOutputFile();
    TiffOutputFile(const TiffOutputFile&) = delete;
    TiffOutputFile& operator=(const TiffOutputFile&) = delete;

    TIFF* tiff() const { return tif_; }
    // Throws TiffWriteError with libtiff's account when `ok` is false.
    void check(bool ok, const std::string& what);
    // Flushes, closes and renames the file into place; throws TiffWriteError when any of it fails.
    void commit();

private:
    [[noreturn]] void fail(const std::string& fallback);

    std::string path_;
    std::string tempPath_;
    TiffMessageCapture capture_;
    TIFF* tif_ = nullptr;
    bool committed_ = false;
};

}  // namespace orvane
