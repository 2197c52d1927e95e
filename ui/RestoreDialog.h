// The restore dialog: the program's main window in restore mode.
#pragma once
#include "framework/Dialog.h"

class RestoreDialog : public fw::Dialog {
 public:
  explicit RestoreDialog(HWND parent);
};
