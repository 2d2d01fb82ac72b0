// Files of a demo slide: the channel TIFFs through libtiff, the slide map data and truth texts.
#include "demo_slide_files.h"

#include <tiffio.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <stdexcept>

#include "demo_slide_render.h"
#include "demo_slide_text.h"

namespace orvane::demo {

namespace {

struct TiffCloser {
    void operator()(TIFF* tif) const { TIFFClose(tif); }
};

void fail(const std::string& what, const std::string& path) {
    throw std::runtime_error(what + ": " + path);
}

// Writes through a temporary name and renames at the end, so a failure leaves no partial file.
template <typename WriteFn>
void writeText(const std::string& path, WriteFn write) {
    const std::string partial = path + ".part";
    {
        std::ofstream out(partial, std::ios::binary | std::ios::trunc);
        if (!out) fail("cannot create", partial);
        write(out);
        out.flush();
        if (!out) {
            out.close();
            std::filesystem::remove(partial);
            fail("cannot write", partial);
        }
    }
    std::filesystem::rename(partial, path);
}

void writeParameter(std::ostream& out, const char* name, const std::string& value) {
    out << name << " = " << value << "\n";
}
void writeParameter(std::ostream& out, const char* name, int value) {
    writeParameter(out, name, std::to_string(value));
}

void writeParameters(std::ostream& out, const PrintLayout& layout) {
    writeParameter(out, "setup_file_name", "set.txt");
    writeParameter(out, "job_file_name", "job.txt");
    // A fixed date keeps the file the same for the same seed.
    writeParameter(out, "print_start_date_time", "Mon Jun  5 10:00:00 2000");
    writeParameter(out, "pins_x", layout.pinsX);
    writeParameter(out, "pins_y", layout.pinsY);
    writeParameter(out, "pins_step", 1);
    writeParameter(out, "spot_slides", 1);
    writeParameter(out, "spot_zones", 1);
    writeParameter(out, "spot_step", formatMm(layout.spotStep));
    writeParameter(out, "wash_radio", 1);
    writeParameter(out, "zone_0_origin_x", formatMm(layout.zoneOriginX));
    writeParameter(out, "zone_0_origin_y", formatMm(layout.zoneOriginY));
    writeParameter(out, "grid_step_x", formatMm(layout.spotStep));
    writeParameter(out, "grid_step_y", formatMm(layout.spotStep));
    writeParameter(out, "grid_offs_y", formatMm(0.0));
    writeParameter(out, "grid_spot_ncols", layout.spotsX);
    writeParameter(out, "grid_spot_nrows", layout.spotsY);
    writeParameter(out, "grid_quad_ncols", layout.quadsX());
    writeParameter(out, "grid_quad_nrows", layout.quadsY());
    writeParameter(out, "grid_quad_step_x", formatMm(layout.quadStep));
    writeParameter(out, "grid_quad_step_y", formatMm(layout.quadStep));
}

}  // namespace

void writeChannelTiff(const std::string& path, const DemoSlide& slide, int channel,
                      const std::uint16_t* samples) {
    const std::string partial = path + ".part";
    std::unique_ptr<TIFF, TiffCloser> tif(TIFFOpen(partial.c_str(), "w"));
    if (!tif) fail("cannot create", partial);
    const std::uint32_t rowBytes = static_cast<std::uint32_t>(slide.width) * 2;
    const std::uint32_t rowsPerStrip =
        std::max<std::uint32_t>(1, 262144 / std::max<std::uint32_t>(1, rowBytes));
    bool ok =
        TIFFSetField(tif.get(), TIFFTAG_IMAGEWIDTH, static_cast<std::uint32_t>(slide.width)) &&
        TIFFSetField(tif.get(), TIFFTAG_IMAGELENGTH, static_cast<std::uint32_t>(slide.height)) &&
        TIFFSetField(tif.get(), TIFFTAG_BITSPERSAMPLE, 16) &&
        TIFFSetField(tif.get(), TIFFTAG_SAMPLESPERPIXEL, 1) &&
        TIFFSetField(tif.get(), TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_MINISBLACK) &&
        TIFFSetField(tif.get(), TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG) &&
        TIFFSetField(tif.get(), TIFFTAG_COMPRESSION, COMPRESSION_NONE) &&
        TIFFSetField(tif.get(), TIFFTAG_ROWSPERSTRIP, rowsPerStrip) &&
        TIFFSetField(tif.get(), TIFFTAG_XRESOLUTION, slide.scan.pixelsPerCm) &&
        TIFFSetField(tif.get(), TIFFTAG_YRESOLUTION, slide.scan.pixelsPerCm) &&
        TIFFSetField(tif.get(), TIFFTAG_RESOLUTIONUNIT, RESUNIT_CENTIMETER) &&
        TIFFSetField(tif.get(), TIFFTAG_IMAGEDESCRIPTION, slide.scanInfo[channel].c_str()) &&
        TIFFSetField(tif.get(), TIFFTAG_SOFTWARE, "orvane-demo-slide");
    for (std::int32_t y = 0; ok && y < slide.height; ++y) {
        // libtiff takes a non-const buffer but does not change it for uncompressed data.
        auto* line = const_cast<std::uint16_t*>(
            samples + static_cast<std::size_t>(y) * static_cast<std::size_t>(slide.width));
        ok = TIFFWriteScanline(tif.get(), line, static_cast<std::uint32_t>(y), 0) == 1;
    }
    ok = ok && TIFFFlush(tif.get()) == 1;
    tif.reset();
    if (!ok) {
        std::filesystem::remove(partial);
        fail("cannot write", partial);
    }
    std::filesystem::rename(partial, path);
}

void writeSlideMap(std::ostream& out, const DemoSlide& slide) {
    const PrintLayout& layout = slide.layout;
    out << "// slide map data of the demo print job (orvane-demo-slide, seed " << slide.options.seed
        << ")\n";
    writeParameters(out, layout);
    char line[600];
    for (int row = 0; row < layout.spotsY; ++row) {
        for (int col = 0; col < layout.spotsX; ++col) {
            const int position = row * layout.spotsX + col;
            for (int pin = 0; pin < layout.pinCount(); ++pin) {
                const Well& well = slide.wells[static_cast<std::size_t>(position) *
                                                   static_cast<std::size_t>(layout.pinCount()) +
                                               static_cast<std::size_t>(pin)];
                std::snprintf(line, sizeof line,
                              "pin_x# %d, pin_y# %d, well_uid: %s, well_descr: %s\n",
                              pin % layout.pinsX, pin / layout.pinsX, well.uid.c_str(),
                              well.description.c_str());
                out << line;
            }
            for (int blockRow = 0; blockRow < layout.blockRows; ++blockRow) {
                for (int blockCol = 0; blockCol < layout.blockCols; ++blockCol) {
                    std::snprintf(
                        line, sizeof line,
                        "zone# 0, block_col# %d, block_row# %d, spot_col# %d, spot_row# %d\n",
                        blockCol, blockRow, col, row);
                    out << line;
                }
            }
        }
    }
}

void writeTruth(std::ostream& out, const DemoSlide& slide) {
    out << "# true spot centres of the demo slide, pixels; pixel (i, j) is centred at (i, j)\n"
        << "# nominal: where the slide map's grid (Define Grid after Load Map) puts the spot\n"
        << "# printed 0: the pin carried an empty well (NA) or the slide is blank: no spot\n"
        << "# signal_635, signal_532: the printed spot's summed signal above the background,\n"
        << "#   before noise and the 16-bit ceiling (NA without a well)\n"
        << "quad_x quad_y row col x y nominal_x nominal_y printed signal_635 signal_532\n";
    char line[200];
    for (const Spot& spot : slide.spots) {
        std::snprintf(line, sizeof line, "%d %d %d %d %.3f %.3f %d %d %d", spot.qx, spot.qy,
                      spot.row, spot.col, spot.x, spot.y, spot.nominalX, spot.nominalY,
                      spot.printed ? 1 : 0);
        out << line;
        if (spot.printed) {
            std::snprintf(line, sizeof line, " %.1f %.1f\n", spotTrueSignal(slide, spot, 0),
                          spotTrueSignal(slide, spot, 1));
            out << line;
        } else {
            out << " NA NA\n";
        }
    }
}

std::vector<std::string> writeDemoSlide(const DemoSlide& slide) {
    const std::filesystem::path dir(slide.options.outDir);
    std::filesystem::create_directories(dir);
    std::vector<std::string> written;
    const std::size_t count =
        static_cast<std::size_t>(slide.width) * static_cast<std::size_t>(slide.height);
    std::unique_ptr<std::uint16_t[]> samples(new std::uint16_t[count]);
    for (int channel = 0; channel < 2; ++channel) {
        renderChannel(slide, channel, samples.get());
        written.push_back((dir / kChannelFile[channel]).string());
        writeChannelTiff(written.back(), slide, channel, samples.get());
    }
    written.push_back((dir / kMapFile).string());
    writeText(written.back(), [&](std::ostream& out) { writeSlideMap(out, slide); });
    written.push_back((dir / kTruthFile).string());
    writeText(written.back(), [&](std::ostream& out) { writeTruth(out, slide); });
    return written;
}

}  // namespace orvane::demo
