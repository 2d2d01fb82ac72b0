// Runs the program's modal dialogs; tests replace the event loop with a script that fills in
// the controls and answers, so that every command can be driven offscreen.
#pragma once

#include <functional>

class QDialog;

namespace orvane {

// QDialog::exec, or the hook when one is set; returns the dialog's result code.
int runModalDialog(QDialog& dialog);

using ModalDialogHook = std::function<int(QDialog&)>;
// An empty hook restores exec.
void setModalDialogHook(ModalDialogHook hook);

}  // namespace orvane
