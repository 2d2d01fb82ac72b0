// The recent-file list and its place in the settings.
#include "app/recent_file_list.h"

#include <QFileInfo>
#include <QSettings>

namespace orvane {
namespace {

const char* const kSection = "Recent File List";

QString key(int index) { return QString("File%1").arg(index + 1); }

}  // namespace

void RecentFileList::load(QSettings& settings) {
    files_.clear();
    settings.beginGroup(kSection);
    for (int i = 0; i < kSize; ++i) {
        const QString path = settings.value(key(i)).toString();
        if (!path.isEmpty()) files_.append(path);
    }
    settings.endGroup();
}

void RecentFileList::save(QSettings& settings) const {
    settings.beginGroup(kSection);
    for (int i = 0; i < kSize; ++i) {
        if (i < files_.size()) {
            settings.setValue(key(i), files_[i]);
        } else {
            settings.remove(key(i));
        }
    }
    settings.endGroup();
    settings.sync();
}

void RecentFileList::add(const QString& path) {
    const QString full = QFileInfo(path).absoluteFilePath();
    files_.removeAll(full);
    files_.prepend(full);
    while (files_.size() > kSize) files_.removeLast();
}

void RecentFileList::remove(int index) {
    if (index >= 0 && index < files_.size()) files_.removeAt(index);
}

}  // namespace orvane
