// orvane-batch process: the Image menu's filters and Subtract Background applied to a scan in
// the order given, written as a 16-bit grey TIFF that loads back like the scan itself.
#include "batch/batch_commands.h"
#include "batch/batch_requests.h"
#include "batch/image_inputs.h"
#include "document/image_processing.h"
#include "view/tiff_export.h"

namespace orvane::batch {

namespace {

void applyStep(LayeredImage& image, const ProcessStep& step, Progress& progress) {
    switch (step.kind) {
    case ProcessStep::Kind::Mean:
        progress.message("Filter Image (3x3 mean) ...");
        MeanFilter(image, 1);
        break;
    case ProcessStep::Kind::Median:
        progress.message("Filter Image (3x3 median) ...");
        MedianFilter(image, 1);
        break;
    case ProcessStep::Kind::SubtractBackground:
        // The rectangle as the Rectangle tool stores it; the operation orders its ends.
        progress.message("Subtract Background ...");
        SubtractBackground(image, step.rectangle.x0, step.rectangle.y0, step.rectangle.x1,
                           step.rectangle.y1);
        break;
    }
}

int runProcess(const ParsedArgs& args, CommandContext& context) {
    const ProcessRequest request = processRequestFrom(args);
    LayeredImage image = loadInputs({request.input}, context.progress);
    for (const ProcessStep& step : request.steps) applyStep(image, step, context.progress);
    context.progress.message("Saving Tiff File ...");
    WriteLayerTiff(image, 0, request.output);
    return kExitSuccess;
}

}  // namespace

Command processCommand() {
    return Command{
        "process",
        "process [--mean] [--median] [--subtract-background X0,Y0,X1,Y1]... -o OUT.tif IMAGE",
        "filter a scan and subtract its background, writing a 16-bit scan",
        "Loads IMAGE, applies the operations in the order given, and writes the result as a "
        "16-bit\n"
        "grey TIFF with the source's resolution tags and ImageDescription, so that it loads back\n"
        "exactly like a scan.\n"
        "options (each may be repeated):\n"
        "  --mean             Filter Image (3x3 mean)\n"
        "  --median           Filter Image (3x3 median)\n"
        "  --subtract-background X0,Y0,X1,Y1\n"
        "                     Subtract Background with the rectangle from pixel (X0, Y0) to (X1, "
        "Y1)\n"
        "                     as the Rectangle tool stores it: columns and rows from the smaller "
        "to\n"
        "                     the larger value, the larger one excluded\n"
        "  -o, --output OUT   the TIFF file to write (required); it replaces an existing file\n",
        processOptions(),
        runProcess,
    };
}

}  // namespace orvane::batch
