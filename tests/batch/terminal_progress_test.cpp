// The progress line: drawn only when enabled (stderr is a terminal), one self-overwriting line,
// cleared before results and messages.
#include <gtest/gtest.h>

#include <cstdio>
#include <memory>
#include <string>

#include "batch/terminal_progress.h"

namespace orvane::batch {
namespace {

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};

std::string contents(std::FILE* file) {
    std::rewind(file);
    std::string text;
    for (int c; (c = std::fgetc(file)) != EOF;) text.push_back(static_cast<char>(c));
    return text;
}

TEST(TerminalProgressTest, DrawsOneLineAndClearsIt) {
    std::unique_ptr<std::FILE, FileCloser> file(std::tmpfile());
    ASSERT_TRUE(file);
    {
        TerminalProgress progress(file.get(), true);
        progress.message("Loading Tiff File ...");
        progress.message("Processing Tiff File, 05% completed ...");
        progress.message("Processing Tiff File, 05% completed ...");  // repeated rows: drawn once
        progress.finish();
        progress.finish();  // nothing left to clear
        progress.message("Ready");
    }  // the destructor clears the last line
    EXPECT_EQ(contents(file.get()),
              "\rLoading Tiff File ...\033[K\rProcessing Tiff File, 05% completed ...\033[K\r\033[K"
              "\rReady\033[K\r\033[K");
}

TEST(TerminalProgressTest, SilentWhenNotATerminal) {
    std::unique_ptr<std::FILE, FileCloser> file(std::tmpfile());
    ASSERT_TRUE(file);
    {
        TerminalProgress progress(file.get(), false);
        progress.message("Loading Tiff File ...");
        progress.finish();
    }
    EXPECT_EQ(contents(file.get()), "");
}

}  // namespace
}  // namespace orvane::batch
