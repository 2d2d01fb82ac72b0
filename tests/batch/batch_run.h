// Runs orvane-batch in the test process and keeps its exit status and both output streams.
#pragma once

#include <sstream>
#include <string>
#include <vector>

#include "batch/batch_commands.h"

namespace orvane::batch {

struct RunResult {
    int status;
    std::string out, err;
};

inline RunResult run(const std::vector<std::string>& args) {
    std::ostringstream out, err;
    NullProgress progress;
    CommandContext context{out, err, progress};
    const int status = runBatch(args, context);
    return {status, out.str(), err.str()};
}

}  // namespace orvane::batch
