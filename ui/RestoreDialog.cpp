#include "ui/RestoreDialog.h"

#include "res/resource.h"

RestoreDialog::RestoreDialog(HWND parent) : fw::Dialog(IDD_RESTORE, parent) {}
