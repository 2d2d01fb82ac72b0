// COrvaneDoc: the image document of one window family. It owns the LayeredImage, loads the
// first scan and the overlays through the core, runs the filters, and knows its views.
#pragma once

#include <memory>
#include <vector>

#include <QObject>
#include <QString>
#include <QStringList>

#include "base/ui/command_map.h"
#include "base/ui/save_result.h"
#include "document/layered_image.h"

namespace orvane {

class COrvaneView;

class COrvaneDoc : public QObject, public OpenedScans {
    Q_OBJECT
public:
    COrvaneDoc();
    ~COrvaneDoc() override;

    // File New: an empty document "Untitled" without layers.
    void OnNewDocument();
    // File Open: loads the file as layer 0. On failure the user has seen the message and the
    // document must be discarded.
    bool OnOpenDocument(const QString& path);
    // Overlay: loads the file as the next layer (layerCount must be 1 or 2). On success the
    // title becomes the caption; on failure the document is unchanged.
    bool OverlayFile(const QString& path);

    void MeanFilter(int radius);
    void MedianFilter(int radius);

    // Counts every change of the layers' samples (open, overlay, filters, and what callers
    // report with NoteLayersChanged), so that copies made from them know when they are stale.
    std::uint64_t layersGeneration() const { return layersGeneration_; }
    void NoteLayersChanged() { ++layersGeneration_; }
    LayeredImage& image() { return image_; }
    const LayeredImage& image() const { return image_; }
    std::int32_t layerCount() const { return image_.layerCount; }

    QString title() const { return title_; }
    QString pathName() const { return pathName_; }
    // Every file loaded into this document, first scan and overlays.
    const QStringList& loadedPaths() const { return loadedPaths_; }
    // The page of its file that each layer came from (0-based; a multi-page scan gives 0, 1, 2).
    const QList<int>& loadedPages() const { return loadedPages_; }
    // Whether `path` names a file this document has loaded. Compared by canonical path, so that
    // a link or a relative name counts as well; exports refuse such a target.
    bool IsLoadedFile(const QString& path) const override;

    void AddView(COrvaneView* view);
    void RemoveView(COrvaneView* view);
    const std::vector<COrvaneView*>& views() const { return views_; }

    // File Close (57602): closes every window of this document; nothing is ever saved.
    void OnFileClose();

    static std::span<const CommandEntry<COrvaneDoc>> commandMap();

signals:
    void titleChanged();

private:
    void setTitle(const QString& title);

    LayeredImage image_;
    std::uint64_t layersGeneration_ = 1;
    QString title_;
    QString pathName_;
    QStringList loadedPaths_;
    QList<int> loadedPages_;
    std::vector<COrvaneView*> views_;
};

}  // namespace orvane
