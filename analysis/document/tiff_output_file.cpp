// Writing a TIFF file through a temporary file that is renamed into place when complete.
#include "tiff_output_file.h"

#include <unistd.h>

#include <atomic>
#include <cstdio>
#include <filesystem>
#include <system_error>

namespace orvane {

namespace {

// A name beside the target that no other writer of this process or another one uses.
std::string temporaryPathFor(const std::string& path) {
    static std::atomic<unsigned> counter{0};
    const std::filesystem::path target(path);
    for (;;) {
        // Appended piece by piece: GCC 12 warns falsely (-Wrestrict) on "." + string.
        std::string name(1, '.');
        name.append(target.filename().string());
        name.append(".part-");
        name.append(std::to_string(getpid()));
        name.push_back('-');
        name.append(std::to_string(counter++));
        const std::filesystem::path candidate = target.parent_path() / name;
        std::error_code error;
        if (!std::filesystem::exists(candidate, error)) return candidate.string();
    }
}

void replaceAll(std::string& text, const std::string& from, const std::string& to) {
    if (from.empty()) return;
    for (std::size_t at = text.find(from); at != std::string::npos;
         at = text.find(from, at + to.size()))
        text.replace(at, from.size(), to);
}

}  // namespace

TiffOutputFile::TiffOutputFile(const std::string& path)
    : path_(path), tempPath_(temporaryPathFor(path)) {
    tif_ = TIFFOpen(tempPath_.c_str(), "w");
    if (tif_ == nullptr) {
        // TIFFOpen creates the file before it writes the header; when that write fails (a full
        // disk) the file stays, and no destructor runs for a constructor that throws.
        std::error_code ignored;
        std::filesystem::remove(tempPath_, ignored);
        fail(path_ + ": Cannot create the file.");
    }
}

TiffOutputFile::~TiffOutputFile() {
    if (committed_) return;
    if (tif_ != nullptr) TIFFClose(tif_);
    std::error_code ignored;
    std::filesystem::remove(tempPath_, ignored);
}

void TiffOutputFile::check(bool ok, const std::string& what) {
    if (!ok) fail(path_ + ": " + what);
}

void TiffOutputFile::fail(const std::string& fallback) {
    // libtiff names the temporary file; the user knows only the name they chose.
    std::string text = capture_.text(fallback);
    replaceAll(text, tempPath_, path_);
    throw TiffWriteError(text);
}

void TiffOutputFile::commit() {
    // TIFFClose cannot report a failed final write, so flush first and look at the result.
    const bool flushed = TIFFFlush(tif_) == 1;
    TIFFClose(tif_);
    tif_ = nullptr;
    check(flushed, "Cannot write the file.");
    std::error_code error;
    std::filesystem::rename(tempPath_, path_, error);
    if (error) fail(path_ + ": " + error.message());
    committed_ = true;
}

}  // namespace orvane
