#include "ui/SplitDialog.h"

#include "res/resource.h"

SplitDialog::SplitDialog(HWND parent) : fw::Dialog(IDD_SPLIT, parent) {}
