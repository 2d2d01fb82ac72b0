// Start-up, the command line, opening documents and the application's commands.
#include "app/orvane_app.h"

#include <cstdio>

#include <QCoreApplication>
#include <QFileInfo>
#include <QMdiArea>
#include <QPageSetupDialog>
#include <QPrinter>
#include <QSettings>

#include "app/about_dialog.h"
#include "app/child_frame.h"
#include "app/main_frame.h"
#include "base/ui/command_ids.h"
#include "base/ui/shell_services.h"
#include "document/tiff_messages.h"
#include "grid/ui/grid_ui.h"
#include "measure/ui/measure_ui.h"
#include "view/ui/image_commands.h"
#include "view/ui/orvane_doc.h"
#include "view/ui/orvane_view.h"
#include "view/ui/view_printing.h"
#include "view/ui/view_ui.h"

namespace orvane {
namespace {

const char* const kUsage =
    "usage: orvane [IMAGE [OVERLAY...]]\n"
    "       orvane --print IMAGE\n"
    "       orvane --print-to-pdf OUT.pdf IMAGE\n";

const char* const kTiffFilter = "TIFF Files (*.Tif)";

}  // namespace

COrvaneApp::COrvaneApp() {
    // Every image window gets these command targets, offered commands in this order.
    RegisterViewCommands();
    RegisterGridCommands();
    RegisterMeasureCommands();
}

COrvaneApp::~COrvaneApp() {
    mainFrame_.reset();
    releaseApplicationPrinter();
    setTiffMessageSink({});
}

bool COrvaneApp::InitInstance(const QStringList& arguments) {
    QCoreApplication::setOrganizationName(kSettingsOrganisation);
    QCoreApplication::setApplicationName("Orvane");
    QSettings settings;
    recent_.load(settings);
    // libtiff's own texts (a truncated strip, an unreadable directory) reach the user as they
    // would with the platform's default handler: in a message box.
    setTiffMessageSink([](TiffMessageKind kind, const std::string& text) {
        OrvaneMessageBox(QString::fromStdString(text), kind == TiffMessageKind::Error
                                                           ? MessageIcon::Exclamation
                                                           : MessageIcon::Information);
    });

    mainFrame_ = std::make_unique<CMainFrame>(*this);
    if (!mainFrame_->OnCreate()) {
        exitCode_ = 1;
        return false;
    }
    mainFrame_->setRecentFiles(recent_.files());
    mainFrame_->resize(1280, 800);
    if (!ProcessShellCommand(arguments)) return false;
    mainFrame_->show();
    mainFrame_->updateActions();
    return true;
}

bool COrvaneApp::ProcessShellCommand(const QStringList& rawArguments) {
    if (rawArguments.isEmpty()) return true;
    // Opening a file makes its folder the current directory, so relative names of the files
    // that follow are resolved against the starting directory first.
    QStringList arguments;
    for (const QString& argument : rawArguments)
        arguments.append(
            argument.startsWith('-')
                ? argument
                : QFileInfo(argument)
                      .absoluteFilePath());  // a new document is asked for: nothing is created
    const QString& first = arguments.front();
    if (first == "--help" || first == "-h") {
        std::fputs(kUsage, stdout);
        return false;
    }
    if (first == "--print" || first == "--print-to-pdf") {
        const bool toPdf = first == "--print-to-pdf";
        if (arguments.size() != (toPdf ? 3 : 2)) {
            std::fputs(kUsage, stderr);
            exitCode_ = 2;
            return false;
        }
        // Printing from the command line prints and ends the program.
        exitCode_ = printFile(arguments.back(), toPdf ? arguments[1] : QString()) ? 0 : 1;
        return false;
    }
    for (const QString& argument : arguments) {
        if (argument.startsWith('-')) {
            std::fputs(kUsage, stderr);
            exitCode_ = 2;
            return false;
        }
    }
    COrvaneView* view = OpenDocumentFile(first);
    if (!view) {
        exitCode_ = 1;
        return false;
    }
    // Further files are overlaid in order; one that fails has shown its message and the others
    // still follow.
    for (qsizetype i = 1; i < arguments.size(); ++i) OverlayFile(view->window(), arguments[i]);
    mainFrame_->updateActions();
    return true;
}

bool COrvaneApp::printFile(const QString& path, const QString& pdfPath) {
    COrvaneView* view = OpenDocumentFile(path);
    if (!view) return false;
    QPrinter& printer = applicationPrinter();
    if (!pdfPath.isEmpty()) {
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(pdfPath);
    }
    return PrintTo(view->window(), printer);
}

COrvaneView* COrvaneApp::OpenDocumentFile(const QString& path) {
    const QString full = QFileInfo(path).absoluteFilePath();
    for (CChildFrame* frame : mainFrame_->childFrames()) {
        if (frame->view()->GetDocument()->pathName() == full) {
            mainFrame_->mdiArea()->setActiveSubWindow(frame);
            return frame->view();
        }
    }
    auto document = std::make_shared<COrvaneDoc>();
    if (!document->OnOpenDocument(path)) return nullptr;
    CChildFrame* frame = mainFrame_->CreateChildFrame(document);
    frame->view()->OnInitialUpdate();
    addToRecentFiles(full);
    mainFrame_->updateActions();
    return frame->view();
}

void COrvaneApp::addToRecentFiles(const QString& path) {
    recent_.add(path);
    QSettings settings;
    recent_.save(settings);
    mainFrame_->setRecentFiles(recent_.files());
}

void COrvaneApp::OnFileNew() {
    auto document = std::make_shared<COrvaneDoc>();
    document->OnNewDocument();
    CChildFrame* frame = mainFrame_->CreateChildFrame(document);
    frame->view()->OnInitialUpdate();
}

void COrvaneApp::OnFileOpen() {
    const QString path = chooseFile({false, "Tif", "", kTiffFilter});
    if (!path.isEmpty()) OpenDocumentFile(path);
}

void COrvaneApp::OnFilePrintSetup() {
    QPageSetupDialog dialog(&applicationPrinter(), mainFrame_.get());
    dialog.exec();
}

void COrvaneApp::OnAppAbout() {
    CAboutDialog dialog(mainFrame_.get());
    dialog.exec();
}

void COrvaneApp::OnAppExit() { mainFrame_->close(); }

void COrvaneApp::openRecent(int index) {
    if (index >= recent_.files().size()) return;
    const QString path = recent_.files()[index];
    if (OpenDocumentFile(path)) return;
    // A file that can no longer be opened leaves the list.
    recent_.remove(index);
    QSettings settings;
    recent_.save(settings);
    mainFrame_->setRecentFiles(recent_.files());
}

void COrvaneApp::OnFileMru1() { openRecent(0); }
void COrvaneApp::OnFileMru2() { openRecent(1); }
void COrvaneApp::OnFileMru3() { openRecent(2); }
void COrvaneApp::OnFileMru4() { openRecent(3); }

void COrvaneApp::OnUpdateRecentFile(CmdUi& ui) const { ui.enabled = !recent_.files().isEmpty(); }

std::span<const CommandEntry<COrvaneApp>> COrvaneApp::commandMap() {
    using A = COrvaneApp;
    static const CommandEntry<A> map[] = {
        {kFileNew, &A::OnFileNew, nullptr},
        {kFileOpen, &A::OnFileOpen, nullptr},
        {kFilePrintSetup, &A::OnFilePrintSetup, nullptr},
        {kAppAbout, &A::OnAppAbout, nullptr},
        {kAppExit, &A::OnAppExit, nullptr},
        {kFileMruFile1, &A::OnFileMru1, &A::OnUpdateRecentFile},
        {kFileMruFile1 + 1, &A::OnFileMru2, &A::OnUpdateRecentFile},
        {kFileMruFile1 + 2, &A::OnFileMru3, &A::OnUpdateRecentFile},
        {kFileMruFile4, &A::OnFileMru4, &A::OnUpdateRecentFile},
    };
    return map;
}

}  // namespace orvane
