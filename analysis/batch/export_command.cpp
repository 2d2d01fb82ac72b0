// orvane-batch export: the file that File > Export writes from a new view of the loaded scans,
// with the display state changed as the options say.
#include "batch/batch_commands.h"
#include "batch/batch_requests.h"
#include "batch/image_inputs.h"
#include "view/display_raster.h"
#include "view/tiff_export.h"

namespace orvane::batch {

namespace {

int runExport(const ParsedArgs& args, CommandContext& context) {
    const ExportRequest request = exportRequestFrom(args);
    const LayeredImage image = loadInputs(request.inputs, context.progress);
    DisplayState state = DisplayStateAfterLoading(image);
    state.logDisplay = !request.linear;
    state.invertedDisplay = request.inverted;
    // The channel of a layer that is not loaded is off already; switching it off changes nothing.
    for (std::size_t channel = 0; channel < state.channelOn.size(); ++channel)
        if (request.channelOff[channel]) state.channelOn[channel] = false;
    ExportTiff(image, state, request.output, context.progress);
    return kExitSuccess;
}

}  // namespace

Command exportCommand() {
    return Command{
        "export",
        "export [--linear] [--no-invert] [--channel-off N]... -o OUT.tif IMAGE [OVERLAY...]",
        "write the displayed picture as an 8-bit RGB TIFF",
        "Loads IMAGE and up to two OVERLAYs as Open and Overlay Image do, and writes the file "
        "that\n"
        "File > Export 8-bit TIFF writes from the new view: logarithmic mapping, inverted "
        "colours,\n"
        "the channel of every loaded layer on, unless the options change it.\n"
        "options:\n"
        "  --linear           linear instead of logarithmic mapping\n"
        "  --no-invert        colours on black instead of inverted colours\n"
        "  --channel-off N    switch channel N off: 1 red (IMAGE), 2 green, 3 blue; may be "
        "repeated\n"
        "  -o, --output OUT   the TIFF file to write (required); it replaces an existing file\n",
        exportOptions(),
        runExport,
    };
}

}  // namespace orvane::batch
