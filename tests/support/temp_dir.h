// The one temporary folder of the tests: a fresh folder of its own under the system temp dir,
// removed with everything in it, and the file helpers the tests write and read through it.
// Header-only and free of the core, so that the robot tests and the fuzz seed writer use it too.
#pragma once

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <system_error>
#include <vector>

namespace orvane::testing_support {

class TempDir {
public:
    // `prefix` names the folder, so that a folder left by a killed run tells whose it was.
    explicit TempDir(const std::string& prefix = "orvane-test") {
        std::string pattern =
            (std::filesystem::temp_directory_path() / (prefix + "-XXXXXX")).string();
        if (::mkdtemp(pattern.data()) == nullptr) std::abort();
        path_ = pattern;
    }
    ~TempDir() {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::filesystem::path& path() const { return path_; }
    std::string file(const std::string& name) const { return (path_ / name).string(); }
    // Writes `text` (bytes as they are) into `name` and returns its path.
    std::string write(const std::string& name, const std::string& text) const {
        std::string p = file(name);
        std::ofstream(p, std::ios::binary) << text;
        return p;
    }

private:
    std::filesystem::path path_;
};

// A whole file's bytes; empty when it cannot be read.
inline std::string readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

// Lines without their CR LF or LF.
inline std::vector<std::string> linesOf(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        lines.push_back(line);
    }
    return lines;
}

}  // namespace orvane::testing_support
