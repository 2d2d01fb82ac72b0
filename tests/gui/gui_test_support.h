// Shared helpers of the GUI tests: 16-bit scans written in a temporary folder, settings kept
// out of the user's home, message boxes and file dialogs answered by the test, and a started
// application.
#pragma once

#include <functional>
#include <memory>
#include <vector>

#include <QCoreApplication>
#include <QSettings>
#include <QStringList>

#include "../document/tiff_fixture.h"
#include "app/orvane_app.h"
#include "document/ui/shell_services.h"

namespace orvane::testing_support {

// A 16-bit grey scan of width x height with sample(x, y).
inline QString writeScan(const TempDir& dir, const std::string& name, std::uint32_t width,
                         std::uint32_t height,
                         const std::function<std::uint16_t(std::uint32_t, std::uint32_t)>& sample) {
    TiffSpec item;
    item.width = width;
    item.height = height;
    item.samples.resize(static_cast<std::size_t>(width) * height);
    for (std::uint32_t y = 0; y < height; ++y)
        for (std::uint32_t x = 0; x < width; ++x) item.samples[y * width + x] = sample(x, y);
    const std::string path = dir.file(name);
    if (!writeTiff(path, item)) std::abort();
    return QString::fromStdString(path);
}

inline QString writeScan(const TempDir& dir, const std::string& name, std::uint32_t width = 40,
                         std::uint32_t height = 30) {
    return writeScan(dir, name, width, height,
                     [](std::uint32_t x, std::uint32_t y) { return std::uint16_t(100 * x + y); });
}

// Keeps the per-user settings of the test in its own folder.
inline void isolateSettings(const TempDir& dir) {
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope,
                       QString::fromStdString(dir.file("settings")));
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope,
                       QString::fromStdString(dir.file("settings")));
}

// Collects the texts of the message boxes while alive, instead of showing them.
class MessageRecorder {
public:
    MessageRecorder() {
        setMessageBoxHook([this](const QString& text, MessageIcon icon) {
            texts.append(text);
            icons.push_back(icon);
        });
    }
    ~MessageRecorder() { setMessageBoxHook({}); }
    QStringList texts;
    std::vector<MessageIcon> icons;
};

// Answers the file dialogs in order with the given paths (an empty one cancels) and records the
// requests.
class FileDialogScript {
public:
    explicit FileDialogScript(QStringList answers) : answers_(std::move(answers)) {
        setFileDialogHook([this](const FileDialogRequest& request) {
            requests.push_back(request);
            return answers_.isEmpty() ? QString() : answers_.takeFirst();
        });
    }
    ~FileDialogScript() { setFileDialogHook({}); }
    std::vector<FileDialogRequest> requests;

private:
    QStringList answers_;
};

// Lets closed windows and their documents go.
inline void processDeferredDeletes() {
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QCoreApplication::processEvents();
}

// An application started with `arguments`; the test checks that start-up succeeded.
inline std::unique_ptr<COrvaneApp> startApp(const QStringList& arguments, bool* started = nullptr) {
    auto app = std::make_unique<COrvaneApp>();
    const bool ok = app->InitInstance(arguments);
    if (started) *started = ok;
    return app;
}

}  // namespace orvane::testing_support
