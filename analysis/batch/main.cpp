// orvane-batch: the command-line front end over the Orvane core.
#include <unistd.h>

#include <cstdio>
#include <iostream>
#include <string>
#include <vector>

#include "batch/batch_commands.h"
#include "batch/terminal_progress.h"
#include "document/tiff_messages.h"

int main(int argc, char** argv) {
    orvane::batch::TerminalProgress progress(stderr, isatty(STDERR_FILENO) == 1);
    // libtiff's own texts (warnings, and errors outside a core operation) go to stderr, after the
    // progress line has been cleared.
    orvane::setTiffMessageSink([&progress](orvane::TiffMessageKind kind, const std::string& text) {
        progress.finish();
        std::cerr << (kind == orvane::TiffMessageKind::Warning ? "warning: " : "") << text
                  << std::endl;
    });
    orvane::batch::CommandContext context{std::cout, std::cerr, progress,
                                          [&progress] { progress.finish(); }};
    const int status =
        orvane::batch::runBatch(std::vector<std::string>(argv + 1, argv + argc), context);
    progress.finish();
    std::cout.flush();
    return std::cout ? status : orvane::batch::kExitFailure;
}
