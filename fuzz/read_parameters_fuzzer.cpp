// Fuzzes the print-job parameter reader: arbitrary lines, any maxCount, with the final listing.
#include <cstdint>
#include <cstdlib>
#include <sstream>
#include <string>

#include <fuzzer/FuzzedDataProvider.h>

#include "printjob/print_job_parameters.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider provider(data, size);
    const std::int32_t maxCount = provider.ConsumeIntegralInRange<std::int32_t>(0, 50);
    const bool withListing = provider.ConsumeBool();
    std::istringstream in(provider.ConsumeRemainingBytesAsString());
    orvane::PrintJobParameters values;
    const auto table = orvane::parameterTable(values);
    std::ostringstream listing;
    std::ostringstream diagnostics;
    const std::int32_t count =
        orvane::ReadParameters(in, withListing ? &listing : nullptr, table, maxCount, diagnostics);
    if (count < 0 || (maxCount != 0 && count > maxCount)) std::abort();
    // String values come from one line piece of at most 255 characters.
    for (const std::string* text :
         {&values.setup_file_name, &values.job_file_name, &values.print_start_date_time})
        if (text->size() > 255) std::abort();
    return 0;
}
