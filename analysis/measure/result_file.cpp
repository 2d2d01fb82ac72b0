// Result files written through a temporary file and a rename.
#include "result_file.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdarg>
#include <cstring>
#include <string>

#include "base/core_error.h"

namespace orvane {

namespace {

// O_EXCL with a name of our own instead of mkstemp: the file gets the user's umask like any
// other output file, not mkstemp's 0600.
std::FILE* createTemporary(const std::string& path, std::string& temporary) {
    static unsigned counter = 0;
    for (int attempt = 0; attempt < 100; ++attempt) {
        temporary = path + ".tmp" + std::to_string(getpid()) + "_" + std::to_string(counter++);
        const int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0) {
            std::FILE* f = ::fdopen(fd, "w");
            if (f == nullptr) {
                ::close(fd);
                ::unlink(temporary.c_str());
            }
            return f;
        }
        if (errno != EEXIST) break;
    }
    temporary.clear();
    return nullptr;
}

}  // namespace

ResultFile::ResultFile(std::string path) : path_(std::move(path)) {
    file_ = createTemporary(path_, temporary_);
    if (file_ == nullptr) throw CoreError("Unable to open file.");
}

ResultFile::~ResultFile() {
    if (file_ != nullptr) std::fclose(file_);
    if (!committed_ && !temporary_.empty()) ::unlink(temporary_.c_str());
}

void ResultFile::printf(const char* format, ...) {
    std::va_list args;
    va_start(args, format);
    std::vfprintf(file_, format, args);
    va_end(args);
}

void ResultFile::write(const std::string& text) { std::fwrite(text.data(), 1, text.size(), file_); }

void ResultFile::fail(const std::string& what) {
    const int error = errno;
    if (file_ != nullptr) std::fclose(file_);
    file_ = nullptr;
    ::unlink(temporary_.c_str());
    temporary_.clear();
    throw CoreError("Unable to write file " + path_ + ": " + what +
                    (error != 0 ? std::string(" (") + std::strerror(error) + ")" : std::string()));
}

void ResultFile::Commit() {
    if (committed_ || file_ == nullptr) return;
    errno = 0;
    if (std::ferror(file_) != 0 || std::fflush(file_) != 0) fail("write failed");
    if (::fsync(::fileno(file_)) != 0 && errno != EINVAL) fail("write failed");
    std::FILE* f = file_;
    file_ = nullptr;
    if (std::fclose(f) != 0) fail("write failed");
    if (::rename(temporary_.c_str(), path_.c_str()) != 0) fail("cannot replace the file");
    committed_ = true;
}

std::string FormatRatio(double numerator, double denominator) {
    if (denominator == 0.0) return "NA";
    char text[64];
    std::snprintf(text, sizeof text, "%.3e", numerator / denominator);
    return text;
}

}  // namespace orvane
