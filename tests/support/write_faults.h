// Injected write failures for the tests of the result-file writers: a cap on the size of the
// files this process may write (a disk that fills up at a chosen byte) and a real full file
// system (a small tmpfs in a private mount namespace), with the checks every writer must pass:
// the previous file survives byte for byte and no temporary file remains.
#pragma once

#include <gtest/gtest.h>

#include <sched.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include "base/core_error.h"

namespace orvane::testing_support {

// A fresh folder of its own, removed with everything in it.
class FaultDir {
public:
    FaultDir() {
        std::string pattern =
            (std::filesystem::temp_directory_path() / "orvane-faults-XXXXXX").string();
        if (::mkdtemp(pattern.data()) == nullptr) std::abort();
        path_ = pattern;
    }
    ~FaultDir() {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    FaultDir(const FaultDir&) = delete;
    FaultDir& operator=(const FaultDir&) = delete;
    const std::filesystem::path& path() const { return path_; }
    std::string file(const std::string& name) const { return (path_ / name).string(); }

private:
    std::filesystem::path path_;
};

// While alive, no file of this process can grow past `bytes`: the write that would pass the
// cap fails with EFBIG, as on a disk that fills up there. SIGXFSZ is ignored meanwhile, so that
// the write reports the error instead of killing the process. Only regular files are affected.
class FileSizeLimit {
public:
    explicit FileSizeLimit(std::uint64_t bytes) {
        ::getrlimit(RLIMIT_FSIZE, &saved_);
        previousHandler_ = ::signal(SIGXFSZ, SIG_IGN);
        rlimit limit = saved_;
        limit.rlim_cur = static_cast<rlim_t>(bytes);
        ::setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~FileSizeLimit() {
        ::setrlimit(RLIMIT_FSIZE, &saved_);
        ::signal(SIGXFSZ, previousHandler_);
    }
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;

private:
    rlimit saved_{};
    sighandler_t previousHandler_ = SIG_DFL;
};

inline std::string fileBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

inline void writeBytes(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary | std::ios::trunc)
        .write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

// The names in a folder, sorted.
inline std::vector<std::string> folderListing(const std::filesystem::path& dir) {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(dir))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

// Caps at the start, inside the first buffer, part-way and just short of a file of `size` bytes.
inline std::vector<std::uint64_t> limitsFor(std::uint64_t size) {
    std::vector<std::uint64_t> limits = {0, 1, size / 3, size / 2, size - 1};
    if (size > 100) limits.push_back(100);
    return limits;
}

// Runs `write` (which writes `target`) once to learn the size of a complete file, then with the
// file size capped at points inside it: every capped run must throw CoreError, leave the earlier
// content of `target` byte for byte and leave nothing else in its folder. A last run without a
// cap must write the complete file again.
inline void expectSafeUnderWriteFaults(const std::string& target,
                                       const std::function<void()>& write) {
    const std::filesystem::path dir = std::filesystem::path(target).parent_path();
    write();
    const std::string complete = fileBytes(target);
    ASSERT_GT(complete.size(), 1u);
    const std::string old = "the previous result\n0123456789\n";
    for (const std::uint64_t limit : limitsFor(complete.size())) {
        SCOPED_TRACE("file size capped at " + std::to_string(limit) + " of " +
                     std::to_string(complete.size()) + " bytes");
        writeBytes(target, old);
        const auto before = folderListing(dir);
        {
            FileSizeLimit cap(limit);
            EXPECT_THROW(write(), CoreError);
        }
        EXPECT_EQ(fileBytes(target), old);
        EXPECT_EQ(folderListing(dir), before);
    }
    write();
    EXPECT_EQ(fileBytes(target), complete);
    EXPECT_EQ(folderListing(dir),
              std::vector<std::string>{std::filesystem::path(target).filename().string()});
}

// Runs `body` in a child process whose private mount namespace has a 64 KiB tmpfs at a fresh
// folder (passed to `body`), so that writes there fail with ENOSPC as on a full disk. Returns
// false when the system does not allow the mount (not root); test failures inside the child
// fail the calling test.
inline bool runOnFullFileSystem(const std::function<void(const std::filesystem::path&)>& body) {
    FaultDir mountPoint;
    const pid_t child = ::fork();
    if (child == 0) {
        if (::unshare(CLONE_NEWNS) != 0 ||
            ::mount("none", "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0 ||
            ::mount("tmpfs", mountPoint.path().c_str(), "tmpfs", 0, "size=64k") != 0)
            ::_exit(77);
        body(mountPoint.path());
        ::_exit(::testing::Test::HasFailure() ? 1 : 0);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    if (WIFEXITED(status) && WEXITSTATUS(status) == 77) return false;
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0)
        << "the writer misbehaved on a full file system (see the child's output above)";
    return true;
}

// Fills the file system of `dir` until nothing more fits.
inline void fillFileSystem(const std::filesystem::path& dir) {
    std::ofstream filler(dir / "filler", std::ios::binary);
    const std::string block(4096, 'f');
    while (filler.write(block.data(), static_cast<std::streamsize>(block.size()))) {
    }
}

// On a full file system: the old file survives byte for byte, nothing is left beside it.
inline void expectSafeOnFullFileSystem(const std::string& name,
                                       const std::function<void(const std::string&)>& write) {
    const bool ran = runOnFullFileSystem([&](const std::filesystem::path& dir) {
        const std::string target = (dir / name).string();
        const std::string old = "the previous result\n";
        writeBytes(target, old);
        fillFileSystem(dir);
        const auto before = folderListing(dir);
        EXPECT_THROW(write(target), CoreError);
        EXPECT_EQ(fileBytes(target), old);
        EXPECT_EQ(folderListing(dir), before);
    });
    if (!ran) GTEST_SKIP() << "no tmpfs mount allowed here (needs root)";
}

}  // namespace orvane::testing_support
