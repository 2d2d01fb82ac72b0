// What documents and views ask of the application shell: message boxes, file dialogs, the status
// bar's message pane and the wait cursor. Tests replace the modal parts with recorders.
#pragma once

#include <functional>
#include <string>

#include <QString>

#include "base/progress.h"

class QFileDialog;

namespace orvane {

inline constexpr const char* kAppTitle = "Orvane";

enum class MessageIcon { None, Exclamation, Information };

// A modal box with an OK button and the application's title as caption.
void OrvaneMessageBox(const QString& text, MessageIcon icon = MessageIcon::None);
// The out-of-memory report of every command: "Out of memory." with an exclamation icon.
void ReportOutOfMemory();

using MessageBoxHook = std::function<void(const QString& text, MessageIcon icon)>;
// Replaces the modal box (tests record the texts instead); an empty hook restores the box.
void setMessageBoxHook(MessageBoxHook hook);

// A modal Yes/No question with the application's title as caption; true for Yes.
bool OrvaneQuestion(const QString& text);
using QuestionHook = std::function<bool(const QString& text)>;
// Replaces the modal question (tests answer it); an empty hook restores the box.
void setQuestionHook(QuestionHook hook);

// A modal question whether to save before closing, with Save, Discard and Cancel.
enum class SaveAnswer { Save, Discard, Cancel };
SaveAnswer OrvaneSaveQuestion(const QString& text);
using SaveQuestionHook = std::function<SaveAnswer(const QString& text)>;
// Replaces the modal question (tests answer it); an empty hook restores the box.
void setSaveQuestionHook(SaveQuestionHook hook);

struct FileDialogRequest {
    bool save = false;
    QString defaultSuffix;  // without the dot, e.g. "Tif"
    QString initialName;    // text in the file-name field, e.g. "Overlay TIFF file"
    QString filter;         // e.g. "TIFF Files (*.Tif)"
};

// Shows a file dialog in the current directory; returns the chosen path or an empty string.
// Name patterns match regardless of case, so "*.Tif" lists scan.tif and SCAN.TIF alike.
QString chooseFile(const FileDialogRequest& request);

// A chosen path as the core's file functions take it (the file system's encoding).
std::string LocalPath(const QString& path);

// Sets up Qt's own file dialog for a request: mode, case-insensitive filter, suffix, folder.
void configureFileDialog(QFileDialog& dialog, const FileDialogRequest& request);

using FileDialogHook = std::function<QString(const FileDialogRequest&)>;
void setFileDialogHook(FileDialogHook hook);

// The main window's message pane (pane 0 of the status bar); without a sink texts go nowhere.
void setMessagePaneSink(std::function<void(const QString&)> sink);
void showMessagePaneText(const QString& text);

// Core progress texts go to the message pane; when the work is over ("Extracting grid data
// ..." still shown) the pane says "Ready" again.
class StatusProgress final : public Progress {
public:
    StatusProgress() = default;
    StatusProgress(const StatusProgress&) = delete;
    StatusProgress& operator=(const StatusProgress&) = delete;
    ~StatusProgress() override;
    void message(const std::string& text) override;

private:
    QString shown_;
};

// Shows the wait cursor for its lifetime, also when a command is abandoned by an exception.
class WaitCursor {
public:
    WaitCursor();
    ~WaitCursor();
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;
};

}  // namespace orvane

namespace orvane {

// Runs one step of a command and turns the core's errors into the user's message boxes:
// "Out of memory." with the exclamation icon, any other CoreError with its own text. Returns
// whether the step completed.
bool runReportingErrors(const std::function<void()>& step);
}  // namespace orvane
