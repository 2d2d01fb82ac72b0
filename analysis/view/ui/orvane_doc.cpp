// The image document: opening, overlaying, filtering and closing through the core.
#include "view/ui/orvane_doc.h"

#include <algorithm>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QWidget>

#include "base/ui/command_ids.h"
#include "base/ui/shell_services.h"
#include "document/image_processing.h"
#include "document/tiff_loader.h"
#include "view/ui/orvane_view.h"

namespace orvane {

COrvaneDoc::COrvaneDoc() = default;

COrvaneDoc::~COrvaneDoc() { image_.clear(); }

void COrvaneDoc::OnNewDocument() { setTitle("Untitled"); }

bool COrvaneDoc::OnOpenDocument(const QString& path) {
    // The framework's own check that the file can be read, before libtiff sees it.
    QFile probe(path);
    if (!probe.open(QIODevice::ReadOnly)) {
        OrvaneMessageBox("Failed to open document.", MessageIcon::Exclamation);
        return false;
    }
    probe.close();
    const std::string file = LocalPath(path);
    // A scanner's file of one page a channel may become the layers at once.
    TiffPages pages;
    if (!runReportingErrors([&] { pages = InspectTiffPages(file); })) return false;
    const bool allPages = pages.count > 1 && pages.alike &&
                          OrvaneQuestion(QString::asprintf(kMultiPageQuestion, pages.count));
    const bool loaded = runReportingErrors([&] {
        WaitCursor wait;
        StatusProgress progress;
        if (allPages)
            LoadPagesAsLayers(image_, file, progress);
        else
            AppendLayer(image_, file, progress);
    });
    NoteLayersChanged();  // also after a failed load, which may have left a layer behind
    if (!loaded) return false;
    const QFileInfo info(path);
    pathName_ = info.absoluteFilePath();
    for (int k = 0; k < image_.layerCount; ++k) {
        loadedPaths_.append(pathName_);
        loadedPages_.append(allPages ? k : 0);
    }
    setTitle(allPages ? QString::fromStdString(image_.caption) : info.fileName());
    QDir::setCurrent(info.absolutePath());
    return true;
}

bool COrvaneDoc::OverlayFile(const QString& path) {
    if (image_.layerCount < 1 || image_.layerCount >= kMaxLayers) return false;
    const bool loaded = runReportingErrors([&] {
        WaitCursor wait;
        StatusProgress progress;
        AppendLayer(image_, LocalPath(path), progress);
    });
    NoteLayersChanged();
    if (!loaded) return false;
    loadedPaths_.append(QFileInfo(path).absoluteFilePath());
    loadedPages_.append(0);
    setTitle(QString::fromStdString(image_.caption));
    QDir::setCurrent(QFileInfo(path).absolutePath());
    return true;
}

bool COrvaneDoc::IsLoadedFile(const QString& path) const {
    const QString target = QFileInfo(path).canonicalFilePath();
    if (target.isEmpty()) return false;  // not there yet: nothing to lose
    for (const QString& loaded : loadedPaths_) {
        if (QFileInfo(loaded).canonicalFilePath() == target) return true;
    }
    return false;
}

void COrvaneDoc::MeanFilter(int radius) {
    NoteLayersChanged();
    orvane::MeanFilter(image_, radius);
}

void COrvaneDoc::MedianFilter(int radius) {
    NoteLayersChanged();
    orvane::MedianFilter(image_, radius);
}

void COrvaneDoc::AddView(COrvaneView* view) {
    views_.push_back(view);
    emit titleChanged();  // window numbers appear once there are two
}

void COrvaneDoc::RemoveView(COrvaneView* view) {
    views_.erase(std::remove(views_.begin(), views_.end(), view), views_.end());
    emit titleChanged();
}

void COrvaneDoc::OnFileClose() {
    // A window with an unsaved grid asks first. Once all have closed the layers go at once; the
    // windows are deleted when control returns to the event loop.
    const std::vector<COrvaneView*> views = views_;
    bool allClosed = true;
    for (COrvaneView* view : views) allClosed = view->closeFrame() && allClosed;
    if (allClosed) image_.clear();
}

void COrvaneDoc::setTitle(const QString& title) {
    title_ = title;
    emit titleChanged();
}

std::span<const CommandEntry<COrvaneDoc>> COrvaneDoc::commandMap() {
    static const CommandEntry<COrvaneDoc> map[] = {
        {kFileClose, &COrvaneDoc::OnFileClose, nullptr},
    };
    return map;
}

}  // namespace orvane
