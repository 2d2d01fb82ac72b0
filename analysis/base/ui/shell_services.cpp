// Message boxes, file dialogs, the message pane and the wait cursor of the application shell.
#include "base/ui/shell_services.h"

#include <QApplication>
#include <QFile>
#include <QFileDialog>
#include <QMessageBox>

#include "base/core_error.h"

namespace orvane {
namespace {

MessageBoxHook& messageBoxHook() {
    static MessageBoxHook hook;
    return hook;
}

QuestionHook& questionHook() {
    static QuestionHook hook;
    return hook;
}

SaveQuestionHook& saveQuestionHook() {
    static SaveQuestionHook hook;
    return hook;
}

FileDialogHook& fileDialogHook() {
    static FileDialogHook hook;
    return hook;
}

std::function<void(const QString&)>& messagePaneSink() {
    static std::function<void(const QString&)> sink;
    return sink;
}

QMessageBox::Icon toQtIcon(MessageIcon icon) {
    switch (icon) {
    case MessageIcon::Exclamation: return QMessageBox::Warning;
    case MessageIcon::Information: return QMessageBox::Information;
    case MessageIcon::None: break;
    }
    return QMessageBox::NoIcon;
}

}  // namespace

void OrvaneMessageBox(const QString& text, MessageIcon icon) {
    if (messageBoxHook()) {
        messageBoxHook()(text, icon);
        return;
    }
    // A message box must show the normal cursor even while a command holds the wait cursor.
    QApplication::setOverrideCursor(Qt::ArrowCursor);
    QMessageBox box(toQtIcon(icon), kAppTitle, text, QMessageBox::Ok, QApplication::activeWindow());
    box.exec();
    QApplication::restoreOverrideCursor();
}

void ReportOutOfMemory() { OrvaneMessageBox("Out of memory.", MessageIcon::Exclamation); }

void setMessageBoxHook(MessageBoxHook hook) { messageBoxHook() = std::move(hook); }

bool OrvaneQuestion(const QString& text) {
    if (questionHook()) return questionHook()(text);
    QApplication::setOverrideCursor(Qt::ArrowCursor);
    const QMessageBox::StandardButton answer = QMessageBox::question(
        QApplication::activeWindow(), kAppTitle, text, QMessageBox::Yes | QMessageBox::No);
    QApplication::restoreOverrideCursor();
    return answer == QMessageBox::Yes;
}

void setQuestionHook(QuestionHook hook) { questionHook() = std::move(hook); }

SaveAnswer OrvaneSaveQuestion(const QString& text) {
    if (saveQuestionHook()) return saveQuestionHook()(text);
    QApplication::setOverrideCursor(Qt::ArrowCursor);
    const QMessageBox::StandardButton answer = QMessageBox::question(
        QApplication::activeWindow(), kAppTitle, text,
        QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel, QMessageBox::Save);
    QApplication::restoreOverrideCursor();
    if (answer == QMessageBox::Save) return SaveAnswer::Save;
    return answer == QMessageBox::Discard ? SaveAnswer::Discard : SaveAnswer::Cancel;
}

void setSaveQuestionHook(SaveQuestionHook hook) { saveQuestionHook() = std::move(hook); }

QString chooseFile(const FileDialogRequest& request) {
    if (fileDialogHook()) return fileDialogHook()(request);
    QFileDialog dialog(QApplication::activeWindow());
    configureFileDialog(dialog, request);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
    return dialog.selectedFiles().first();
}

std::string LocalPath(const QString& path) { return QFile::encodeName(path).toStdString(); }

void configureFileDialog(QFileDialog& dialog, const FileDialogRequest& request) {
    dialog.setAcceptMode(request.save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog.setFileMode(request.save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    // Qt's own dialog, so that the filter can be made case-insensitive on every platform.
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setFilter(dialog.filter() & ~QDir::CaseSensitive);
    dialog.setNameFilter(request.filter);
    dialog.setDefaultSuffix(request.defaultSuffix);
    dialog.setDirectory(QDir::currentPath());
    dialog.selectFile(request.initialName);
}

void setFileDialogHook(FileDialogHook hook) { fileDialogHook() = std::move(hook); }

void setMessagePaneSink(std::function<void(const QString&)> sink) {
    messagePaneSink() = std::move(sink);
}

namespace {

QString& lastPaneText() {
    static QString text;
    return text;
}

}  // namespace

void showMessagePaneText(const QString& text) {
    lastPaneText() = text;
    if (messagePaneSink()) messagePaneSink()(text);
}

void StatusProgress::message(const std::string& text) {
    shown_ = QString::fromStdString(text);
    showMessagePaneText(shown_);
}

StatusProgress::~StatusProgress() {
    // A progress text must not outlive its work; a result shown since stays.
    if (!shown_.isEmpty() && shown_ != "Ready" && lastPaneText() == shown_)
        showMessagePaneText("Ready");
}

WaitCursor::WaitCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }

WaitCursor::~WaitCursor() { QApplication::restoreOverrideCursor(); }

}  // namespace orvane

namespace orvane {

bool runReportingErrors(const std::function<void()>& step) {
    try {
        step();
        return true;
    } catch (const OutOfMemoryError&) {
        ReportOutOfMemory();
    } catch (const std::bad_alloc&) {
        ReportOutOfMemory();
    } catch (const CoreError& error) {
        OrvaneMessageBox(QString::fromStdString(error.what()));
    }
    return false;
}

}  // namespace orvane
