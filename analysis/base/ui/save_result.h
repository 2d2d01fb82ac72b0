// Where commands write their results. A result never replaces a scan the document has open:
// that would destroy the data the window shows.
#pragma once

#include <functional>
#include <string>

#include <QString>

#include "base/ui/shell_services.h"

namespace orvane {

// What a result must not replace: the scans a document has open.
class OpenedScans {
public:
    virtual bool IsLoadedFile(const QString& path) const = 0;

protected:
    ~OpenedScans() = default;
};

// Asks for the file, refuses one of the document's opened scans (the user is told), then writes
// it under the wait cursor. False when the user cancelled or the file was refused; the writer's
// errors reach the caller.
bool WriteResultFile(const OpenedScans& document, const FileDialogRequest& request,
                     const std::function<void(const std::string& path)>& write);

// The refusal alone, for a path chosen elsewhere: true, and the user told, for an opened scan.
bool RefuseOpenedScan(const OpenedScans& document, const QString& path);

}  // namespace orvane
