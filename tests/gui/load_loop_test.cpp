// Load: the program opens a three-layer demo slide, switches every display mode, filters and
// closes it 20 times in one process, and the live heap must not grow by more than 5% after the
// first round (a leaked layer, raster or window would grow it by far more).
// ORVANE_LOAD_PIXEL_UM sets the slide's pixel size (default 50 um, quick under the sanitizers;
// 5 gives the real scan of 4800 x 14600 pixels).
#include <malloc.h>
#include <unistd.h>

#include <QAction>
#include <QMdiArea>
#include <QPixmapCache>
#include <QtTest>

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include "../support/gui_test.h"
#include "app/child_frame.h"
#include "app/main_frame.h"
#include "base/ui/command_ids.h"
#include "demo_slide_files.h"
#include "demo_slide_plan.h"
#include "document/tiff_messages.h"
#include "view/ui/orvane_doc.h"
#include "view/ui/orvane_view.h"

#if defined(__SANITIZE_ADDRESS__)
#define ORVANE_ASAN 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define ORVANE_ASAN 1
#endif
#endif
#if defined(ORVANE_ASAN)
// From the sanitizer runtime (GCC ships no header for it).
extern "C" std::size_t __sanitizer_get_current_allocated_bytes();
#endif

using namespace orvane;
using namespace orvane::testing_support;

namespace {

constexpr int kRounds = 20;

// Bytes in live heap blocks. The address sanitizer holds freed blocks back in quarantine, so its
// own count is the one to trust there; the resident size would mostly measure the quarantine.
std::uint64_t liveHeapBytes() {
#if defined(ORVANE_ASAN)
    return __sanitizer_get_current_allocated_bytes();
#else
    // Blocks above the mmap threshold (every layer and raster) are counted apart from the arena.
    const struct mallinfo2 info = mallinfo2();
    return info.uordblks + info.hblkhd;
#endif
}

// Bytes in live heap blocks, after emptying Qt's pixmap cache: every new image window draws its
// title-bar icon scaled into that cache under a new key, a growth Qt bounds at 10 MB that would
// otherwise hide a leak of our own.
std::uint64_t liveHeapBytesWithoutPixmapCache() {
    QPixmapCache::clear();
    return liveHeapBytes();
}

long residentKb() {
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);)
        if (line.rfind("VmRSS:", 0) == 0) return std::stol(line.substr(6));
    return -1;
}

double pixelUm() {
    const QByteArray value = qgetenv("ORVANE_LOAD_PIXEL_UM");
    bool ok = false;
    const double um = value.toDouble(&ok);
    return ok && um >= 1.0 ? um : 50.0;
}

}  // namespace

class LoadLoopTest : public GuiTest {
    Q_OBJECT
private:
    QString red_, green_;
    int width_ = 0, height_ = 0;

    // One round as a user would do it: Open, Overlay twice, every display mode and channel,
    // both filters, Close. Returns false (after a failed check) when the round went wrong.
    bool round(CMainFrame* frame) {
        FileDialogScript answers({red_, green_, red_});
        MessageRecorder messages;
        frame->OnCommand(kFileOpen);
        COrvaneView* view = frame->activeView();
        if (!view) return false;
        frame->OnCommand(kOverlayImage);
        frame->OnCommand(kOverlayImage);
        const LayeredImage& image = view->GetDocument()->image();
        if (image.layerCount != 3 || image.width() != width_ || image.height() != height_)
            return false;
        for (int id : {kDisplayLinear, kChannel2, kDisplayInverted, kChannel2, kChannel3,
                       kDisplayLog, kChannel1, kDisplayInverted, kChannel1, kChannel3})
            frame->OnCommand(id);
        const std::uint16_t before = image.layers[1].at(width_ / 2, height_ / 2);
        frame->OnCommand(kFilterMean);
        frame->OnCommand(kFilterMedian);
        const bool filtered = image.layers[1].at(width_ / 2, height_ / 2) != before ||
                              image.layers[1].at(width_ / 3, height_ / 3) != before;
        if (view->offscreenImage().size() != QSize(width_, height_)) return false;
        frame->OnCommand(kFileClose);
        processDeferredDeletes();
        return messages.texts.isEmpty() && filtered && frame->activeChild() == nullptr &&
               frame->mdiArea()->subWindowList().isEmpty();
    }

private slots:
    void initTestCase() {
        GuiTest::initTestCase();
        setTiffMessageSink({});
        demo::DemoOptions options;
        options.pixelUm = pixelUm();
        options.outDir = dir_.file("slide");
        demo::writeDemoSlide(demo::planDemoSlide(options));
        red_ = QString::fromStdString(options.outDir + "/demo_635.tif");
        green_ = QString::fromStdString(options.outDir + "/demo_532.tif");
        COrvaneDoc probe;
        QVERIFY(probe.OnOpenDocument(red_));
        width_ = probe.image().width();
        height_ = probe.image().height();
    }

    void twentyRoundsWithoutHeapGrowth() {
        auto app = startApp({});
        CMainFrame* frame = app->mainFrame();
        QVERIFY(round(frame));
        const std::uint64_t heapAfterFirst = liveHeapBytesWithoutPixmapCache();
        const long rssAfterFirst = residentKb();
        for (int i = 2; i <= kRounds; ++i)
            QVERIFY2(round(frame), qPrintable(QString("round %1").arg(i)));
        const std::uint64_t heapAfterLast = liveHeapBytesWithoutPixmapCache();
        const long rssAfterLast = residentKb();
        std::printf(
            "%d x %d pixels (%g um): live heap %llu bytes after round 1, %llu after round %d; "
            "RSS %ld kB -> %ld kB\n",
            width_, height_, pixelUm(), static_cast<unsigned long long>(heapAfterFirst),
            static_cast<unsigned long long>(heapAfterLast), kRounds, rssAfterFirst, rssAfterLast);
        QVERIFY2(heapAfterLast <= heapAfterFirst + heapAfterFirst / 20,
                 qPrintable(QString("heap %1 -> %2").arg(heapAfterFirst).arg(heapAfterLast)));
    }
};

QTEST_MAIN(LoadLoopTest)
#include "load_loop_test.moc"
