// Option, integer and rectangle parsing of orvane-batch.
#include "batch/cli_parse.h"

#include <charconv>
#include <limits>

namespace orvane::batch {

bool ParsedArgs::has(std::string_view name) const {
    for (const ParsedOption& option : options)
        if (option.name == name) return true;
    return false;
}

std::vector<std::string> ParsedArgs::values(std::string_view name) const {
    std::vector<std::string> found;
    for (const ParsedOption& option : options)
        if (option.name == name) found.push_back(option.value);
    return found;
}

namespace {

const OptionSpec* findSpec(const std::vector<OptionSpec>& items, std::string_view name) {
    for (const OptionSpec& item : items)
        if (item.longName == name || (!item.shortName.empty() && item.shortName == name))
            return &item;
    return nullptr;
}

}  // namespace

ParsedArgs parseArgs(const std::vector<std::string>& args, const std::vector<OptionSpec>& items) {
    ParsedArgs parsed;
    bool optionsEnded = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (optionsEnded || arg.size() < 2 || arg[0] != '-') {
            parsed.positionals.push_back(arg);
            continue;
        }
        if (arg == "--") {
            optionsEnded = true;
            continue;
        }
        if (arg == "-h" || arg == "--help") {
            parsed.help = true;
            continue;
        }
        // "--name=value" carries its value inline; short options never do.
        const std::size_t equals = arg.rfind("--", 0) == 0 ? arg.find('=') : std::string::npos;
        const std::string name = arg.substr(0, equals);
        const OptionSpec* item = findSpec(items, name);
        if (item == nullptr) throw UsageError("unknown option " + name);
        ParsedOption option{item->longName, {}};
        if (equals != std::string::npos) {
            if (!item->takesValue) throw UsageError("option " + name + " takes no value");
            option.value = arg.substr(equals + 1);
        } else if (item->takesValue) {
            if (i + 1 >= args.size()) throw UsageError("option " + name + " needs a value");
            option.value = args[++i];
        }
        parsed.options.push_back(std::move(option));
    }
    return parsed;
}

std::vector<std::pair<std::string, std::string>> keyValueOptions(const ParsedArgs& args,
                                                                 std::string_view option,
                                                                 std::string_view shape) {
    std::vector<std::pair<std::string, std::string>> pairs;
    for (const std::string& value : args.values(option)) {
        const std::size_t equals = value.find('=');
        if (equals == std::string::npos || equals == 0)
            throw UsageError(std::string(option) + " needs " + std::string(shape) + ", got '" +
                             value + "'");
        pairs.emplace_back(value.substr(0, equals), value.substr(equals + 1));
    }
    return pairs;
}

std::optional<std::int64_t> parseInteger(std::string_view text, std::int64_t min,
                                         std::int64_t max) {
    // from_chars accepts a minus sign but not a plus sign; both are fine on a command line.
    if (!text.empty() && text.front() == '+') {
        text.remove_prefix(1);
        if (!text.empty() && text.front() == '-') return std::nullopt;
    }
    if (text.empty()) return std::nullopt;
    std::int64_t value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value, 10);
    if (error != std::errc() || end != text.data() + text.size()) return std::nullopt;
    if (value < min || value > max) return std::nullopt;
    return value;
}

std::optional<Rectangle> parseRectangle(std::string_view text) {
    std::int32_t values[4] = {};
    for (int i = 0; i < 4; ++i) {
        const std::size_t comma = text.find(',');
        const bool last = i == 3;
        if (last != (comma == std::string_view::npos))
            return std::nullopt;  // too few or too many parts
        const std::optional<std::int64_t> value =
            parseInteger(text.substr(0, comma), std::numeric_limits<std::int32_t>::min(),
                         std::numeric_limits<std::int32_t>::max());
        if (!value) return std::nullopt;
        values[i] = static_cast<std::int32_t>(*value);
        if (!last) text.remove_prefix(comma + 1);
    }
    return Rectangle{values[0], values[1], values[2], values[3]};
}

}  // namespace orvane::batch
