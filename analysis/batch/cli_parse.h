// The command-line parsing of orvane-batch: a small option parser and the strict number and
// rectangle parsers that every subcommand shares. Nothing here touches files or the core.
#pragma once

#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace orvane::batch {

// The command line is wrong; the caller prints the text and the usage line, and exits with 2.
class UsageError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

struct OptionSpec {
    std::string longName;   // "--channel-off"
    std::string shortName;  // "-o", or empty
    bool takesValue = false;
};

struct ParsedOption {
    std::string name;   // always the long name
    std::string value;  // empty for a flag
};

struct ParsedArgs {
    bool help = false;                  // -h or --help was given
    std::vector<ParsedOption> options;  // in command-line order, repeats kept
    std::vector<std::string> positionals;

    bool has(std::string_view name) const;
    std::vector<std::string> values(std::string_view name) const;
};

// Splits args (without the program and subcommand names) into options and positionals.
// "--name value", "--name=value" and "-o value" are accepted; "--" ends the options; a lone "-"
// is a positional. Throws UsageError for an unknown option, a missing value, or a value given to
// a flag.
ParsedArgs parseArgs(const std::vector<std::string>& args, const std::vector<OptionSpec>& specs);

// The values of a repeated "OPTION KEY=VALUE" as (key, value) pairs in command-line order; a
// value without "=" or with an empty key is refused: "OPTION needs SHAPE, got 'TEXT'".
std::vector<std::pair<std::string, std::string>> keyValueOptions(const ParsedArgs& args,
                                                                 std::string_view option,
                                                                 std::string_view shape);

// A decimal integer in [min, max]: optional sign, digits only, nothing before or after.
std::optional<std::int64_t> parseInteger(std::string_view text, std::int64_t min, std::int64_t max);

// "X0,Y0,X1,Y1": four signed 32-bit integers, as the Rectangle tool stores its anchor (x0, y0)
// and end point (x1, y1); either corner may come first and they may lie outside the image.
struct Rectangle {
    std::int32_t x0 = 0, y0 = 0, x1 = 0, y1 = 0;
    bool operator==(const Rectangle&) const = default;
};
std::optional<Rectangle> parseRectangle(std::string_view text);

}  // namespace orvane::batch
