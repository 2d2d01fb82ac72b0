// The subcommands of orvane-batch and the dispatcher that runs one of them: usage and help
// texts, exit statuses (0 success, 1 failure with the system's message, 2 usage error).
#pragma once

#include <functional>
#include <ostream>
#include <string>
#include <vector>

#include "base/core_error.h"
#include "base/progress.h"
#include "batch/cli_parse.h"

namespace orvane::batch {

// Runs `work` on the file at `path`: a core error's message gains the path after its own text
// ("Unable to open file. (results/a/grid.grd)"), so that a message about a file names it; one
// that names it already stays as it is, and so does out of memory.
template <class Work>
decltype(auto) aboutFile(const std::string& path, Work&& work) {
    try {
        return work();
    } catch (const OutOfMemoryError&) {
        throw;
    } catch (const CoreError& error) {
        const std::string message = error.what();
        if (message.find(path) != std::string::npos) throw;
        throw CoreError(message + " (" + path + ")");
    }
}

inline constexpr int kExitSuccess = 0;
inline constexpr int kExitFailure = 1;
inline constexpr int kExitUsage = 2;

// Where a subcommand writes: results on out, messages on err, progress through the callback.
struct CommandContext {
    std::ostream& out;
    std::ostream& err;
    Progress& progress;
    // Removes a progress line from the terminal; called before results or messages are printed.
    std::function<void()> clearProgress = [] {};
};

struct Command {
    std::string name;
    std::string synopsis;  // the usage line after "orvane-batch "
    std::string summary;   // one line for the general help
    std::string help;      // what it does and its options, for --help
    std::vector<OptionSpec> options;
    // Runs the parsed command; throws UsageError for a wrong command line, CoreError (or
    // another exception) with the message for a failure; returns the exit status otherwise.
    std::function<int(const ParsedArgs&, CommandContext&)> run;
};

// Every subcommand of this build, in the order the general help lists them.
const std::vector<Command>& batchCommands();

// The subcommands' definitions, one a file.
Command infoCommand();
Command exportCommand();
Command processCommand();
Command paramsCommand();
Command defineGridCommand();
Command gridInfoCommand();
Command adjustCommand();
Command extractCommand();
Command statsCommand();
Command pairsCommand();
Command histogramCommand();
Command findGenesCommand();
Command placeCommand();
Command reportCommand();
Command resultsCommand();
Command markNotFoundCommand();

// Runs orvane-batch with its arguments (argv without the program name); returns the exit status.
int runBatch(const std::vector<std::string>& args, CommandContext& context);

}  // namespace orvane::batch
