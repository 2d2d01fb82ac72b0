// COrvaneApp: the application object. It starts the program (settings, main window, command
// line), opens documents with their windows, keeps the recent-file list and handles New, Open,
// Print Setup, About, Exit and the recent-file entries.
#pragma once

#include <memory>
#include <span>

#include <QObject>
#include <QStringList>

#include "app/recent_file_list.h"
#include "base/ui/command_map.h"

namespace orvane {

class CMainFrame;
class COrvaneView;

inline constexpr const char* kSettingsOrganisation = "Local AppWizard-Generated Applications";

class COrvaneApp : public QObject {
    Q_OBJECT
public:
    COrvaneApp();
    ~COrvaneApp() override;

    // Start-up in the design's order. Returns false when the program must end now: start-up
    // failed, or the command line only asked for printing; exitCode() then says how it went.
    bool InitInstance(const QStringList& arguments);
    int exitCode() const { return exitCode_; }

    CMainFrame* mainFrame() const { return mainFrame_.get(); }
    const RecentFileList& recentFiles() const { return recent_; }

    // Opens `path` in a new image window, or shows the window that already has it. Returns the
    // window's view, or nullptr when the file could not be opened (the user has been told).
    COrvaneView* OpenDocumentFile(const QString& path);

    void OnFileNew();
    void OnFileOpen();
    void OnFilePrintSetup();
    void OnAppAbout();
    void OnAppExit();
    void OnFileMru1();
    void OnFileMru2();
    void OnFileMru3();
    void OnFileMru4();
    void OnUpdateRecentFile(CmdUi& ui) const;

    static std::span<const CommandEntry<COrvaneApp>> commandMap();

private:
    bool ProcessShellCommand(const QStringList& arguments);
    bool printFile(const QString& path, const QString& pdfPath);
    void openRecent(int index);
    void addToRecentFiles(const QString& path);

    std::unique_ptr<CMainFrame> mainFrame_;
    RecentFileList recent_;
    int exitCode_ = 0;
};

}  // namespace orvane
