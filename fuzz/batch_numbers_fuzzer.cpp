// Fuzzes orvane-batch's command-line parsing: the strict integer parser against a reference, the
// rectangle parser by a round trip, and the option parser with the export and process requests.
#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include <fuzzer/FuzzedDataProvider.h>

#include "batch/batch_requests.h"
#include "batch/cli_parse.h"

namespace {

using orvane::batch::UsageError;

// An optional sign and decimal digits only, within int64 and [min, max]: what strtoll accepts
// whole, minus its leading white space.
std::optional<std::int64_t> referenceInteger(const std::string& text, std::int64_t min,
                                             std::int64_t max) {
    std::size_t digits = text.size() > 0 && (text[0] == '+' || text[0] == '-') ? 1 : 0;
    if (digits == text.size()) return std::nullopt;
    for (std::size_t i = digits; i < text.size(); ++i)
        if (text[i] < '0' || text[i] > '9') return std::nullopt;
    errno = 0;
    const long long value = std::strtoll(text.c_str(), nullptr, 10);
    if (errno == ERANGE || value < min || value > max) return std::nullopt;
    return value;
}

void integerCase(FuzzedDataProvider& provider) {
    std::int64_t min = provider.ConsumeIntegral<std::int64_t>();
    std::int64_t max = provider.ConsumeIntegral<std::int64_t>();
    if (min > max) std::swap(min, max);
    const std::string text = provider.ConsumeRemainingBytesAsString();
    if (orvane::batch::parseInteger(text, min, max) != referenceInteger(text, min, max))
        std::abort();
}

void rectangleCase(FuzzedDataProvider& provider) {
    const std::string text = provider.ConsumeRemainingBytesAsString();
    const auto rectangle = orvane::batch::parseRectangle(text);
    if (!rectangle) return;
    const std::string canonical =
        std::to_string(rectangle->x0) + "," + std::to_string(rectangle->y0) + "," +
        std::to_string(rectangle->x1) + "," + std::to_string(rectangle->y1);
    if (orvane::batch::parseRectangle(canonical) != rectangle) std::abort();
}

std::vector<std::string> splitArgs(const std::string& text) {
    std::vector<std::string> args;
    std::size_t start = 0;
    for (std::size_t end; (end = text.find('\0', start)) != std::string::npos; start = end + 1)
        args.push_back(text.substr(start, end - start));
    args.push_back(text.substr(start));
    return args;
}

void requestCase(FuzzedDataProvider& provider, bool process) {
    const auto args = splitArgs(provider.ConsumeRemainingBytesAsString());
    try {
        if (process) {
            const auto parsed = orvane::batch::parseArgs(args, orvane::batch::processOptions());
            orvane::batch::processRequestFrom(parsed);
        } else {
            const auto parsed = orvane::batch::parseArgs(args, orvane::batch::exportOptions());
            const auto request = orvane::batch::exportRequestFrom(parsed);
            if (request.inputs.empty() || request.inputs.size() > 3) std::abort();
        }
    } catch (const UsageError&) {
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider provider(data, size);
    switch (provider.ConsumeIntegralInRange(0, 3)) {
    case 0: integerCase(provider); break;
    case 1: rectangleCase(provider); break;
    case 2: requestCase(provider, false); break;
    default: requestCase(provider, true); break;
    }
    return 0;
}
