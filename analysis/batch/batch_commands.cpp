// The dispatcher of orvane-batch: picks the subcommand, parses its options and turns errors into
// messages on stderr and exit statuses.
#include "batch/batch_commands.h"

#include <algorithm>
#include <exception>
#include <new>

#include "base/core_error.h"

namespace orvane::batch {

namespace {

constexpr const char* kProgram = "orvane-batch";

void printGeneralUsage(std::ostream& stream) {
    stream << "usage: " << kProgram << " COMMAND [OPTIONS] FILE...\n";
}

void printGeneralHelp(std::ostream& stream) {
    printGeneralUsage(stream);
    stream << "\nMicroarray slide scan analysis on the command line.\n\ncommands:\n";
    for (const Command& command : batchCommands()) {
        std::string name = command.name;
        name.resize(std::max<std::size_t>(name.size() + 2, 10), ' ');
        stream << "  " << name << command.summary << "\n";
    }
    stream
        << "\nRun '" << kProgram << " COMMAND --help' for the options of a command.\n"
        << "Exit status: 0 success, 1 failure (the message is on stderr), 2 wrong command line.\n";
}

const Command* findCommand(const std::string& name) {
    for (const Command& command : batchCommands())
        if (command.name == name) return &command;
    return nullptr;
}

int usageError(const std::string& prefix, const std::string& why, const std::string& synopsis,
               std::ostream& err) {
    err << prefix << ": " << why << "\n";
    if (synopsis.empty())
        printGeneralUsage(err);
    else
        err << "usage: " << kProgram << " " << synopsis << "\n";
    return kExitUsage;
}

// Runs one subcommand; a failure prints the system's own message text, alone on its line.
int runCommand(const Command& command, const std::vector<std::string>& args,
               CommandContext& context) {
    const std::string prefix = std::string(kProgram) + " " + command.name;
    struct ClearOnExit {
        CommandContext& context;
        ~ClearOnExit() { context.clearProgress(); }
    };
    try {
        ClearOnExit clear{context};  // before the catch blocks print
        const ParsedArgs parsed = parseArgs(args, command.options);
        if (parsed.help) {
            context.out << "usage: " << kProgram << " " << command.synopsis << "\n\n"
                        << command.help;
            return kExitSuccess;
        }
        return command.run(parsed, context);
    } catch (const UsageError& error) {
        return usageError(prefix, error.what(), command.synopsis, context.err);
    } catch (const CoreError& error) {
        context.err << error.what() << "\n";
    } catch (const std::bad_alloc&) {
        context.err << OutOfMemoryError().what() << "\n";
    } catch (const std::exception& error) {
        context.err << prefix << ": " << error.what() << "\n";
    }
    return kExitFailure;
}

}  // namespace

const std::vector<Command>& batchCommands() {
    static const std::vector<Command> commands = {
        infoCommand(),       exportCommand(),   processCommand(),      paramsCommand(),
        defineGridCommand(), gridInfoCommand(), adjustCommand(),       extractCommand(),
        statsCommand(),      pairsCommand(),    histogramCommand(),    findGenesCommand(),
        placeCommand(),      resultsCommand(),  markNotFoundCommand(), reportCommand(),
    };
    return commands;
}

int runBatch(const std::vector<std::string>& args, CommandContext& context) {
    if (args.empty()) return usageError(kProgram, "no command given", "", context.err);
    const std::string& name = args[0];
    if (name == "-h" || name == "--help" || name == "help") {
        printGeneralHelp(context.out);
        return kExitSuccess;
    }
    if (name == "--version") {
        context.out << kProgram << " " << ORVANE_VERSION << "\n";
        return kExitSuccess;
    }
    const Command* command = findCommand(name);
    if (command == nullptr)
        return usageError(kProgram, "unknown command '" + name + "'", "", context.err);
    return runCommand(*command, std::vector<std::string>(args.begin() + 1, args.end()), context);
}

}  // namespace orvane::batch
