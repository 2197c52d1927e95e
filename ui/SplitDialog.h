// The split dialog: the program's main window outside restore mode.
#pragma once
#include "framework/Dialog.h"

class SplitDialog : public fw::Dialog {
 public:
  explicit SplitDialog(HWND parent);
};
