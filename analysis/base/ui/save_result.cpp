#include "base/ui/save_result.h"

namespace orvane {

bool WriteResultFile(const OpenedScans& document, const FileDialogRequest& request,
                     const std::function<void(const std::string& path)>& write) {
    const QString path = chooseFile(request);
    if (path.isEmpty() || RefuseOpenedScan(document, path)) return false;
    WaitCursor wait;
    write(LocalPath(path));
    return true;
}

bool RefuseOpenedScan(const OpenedScans& document, const QString& path) {
    if (!document.IsLoadedFile(path)) return false;
    OrvaneMessageBox(
        QString("%1 is an opened image and cannot be replaced by the export.").arg(path));
    return true;
}

}  // namespace orvane
