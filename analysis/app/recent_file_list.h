// The recent-file list: at most four paths, newest first, kept in the per-user settings in the
// section "Recent File List" as "File1" to "File4".
#pragma once

#include <QStringList>

class QSettings;

namespace orvane {

class RecentFileList {
public:
    static constexpr int kSize = 4;

    void load(QSettings& settings);
    void save(QSettings& settings) const;

    // Puts `path` first; an entry for the same file moves up instead of appearing twice.
    void add(const QString& path);
    void remove(int index);
    const QStringList& files() const { return files_; }

private:
    QStringList files_;
};

}  // namespace orvane
