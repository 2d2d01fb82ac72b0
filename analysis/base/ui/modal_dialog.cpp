// The modal-dialog runner and its test hook.
#include "base/ui/modal_dialog.h"

#include <QDialog>

namespace orvane {
namespace {

ModalDialogHook& hookSlot() {
    static ModalDialogHook hook;
    return hook;
}

}  // namespace

int runModalDialog(QDialog& dialog) {
    if (hookSlot()) return hookSlot()(dialog);
    return dialog.exec();
}

void setModalDialogHook(ModalDialogHook hook) { hookSlot() = std::move(hook); }

}  // namespace orvane
