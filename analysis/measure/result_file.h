// A text file that appears complete or not at all: written to a temporary file in the same
// folder and renamed over the target on Commit, so a failure never leaves a half-written result.
#pragma once

#include <cstdio>
#include <string>

namespace orvane {

class ResultFile {
public:
    // Creates the temporary file next to `path`; throws CoreError("Unable to open file.") when
    // the folder cannot take it.
    explicit ResultFile(std::string path);
    // Without a Commit the temporary file is removed and the target is left as it was.
    ~ResultFile();
    ResultFile(const ResultFile&) = delete;
    ResultFile& operator=(const ResultFile&) = delete;

    void printf(const char* format, ...) __attribute__((format(printf, 2, 3)));
    void write(const std::string& text);

    // Flushes, syncs and renames the temporary file over the target. Throws CoreError naming
    // the file when any write failed (disk full, I/O error) or the rename is refused; the target
    // then keeps its previous content.
    void Commit();

    const std::string& path() const { return path_; }

private:
    void fail(const std::string& what);

    std::string path_;
    std::string temporary_;
    std::FILE* file_ = nullptr;
    bool committed_ = false;
};

// "%.3e" of numerator / denominator, or "NA" when the denominator is 0 (an average over no
// spots, a ratio to an empty background): a word every table reader takes as missing, where
// printf would give "inf" or "-nan".
std::string FormatRatio(double numerator, double denominator);

}  // namespace orvane
