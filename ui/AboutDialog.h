// The about box: the program's name, version and maker.
#pragma once
#include "framework/Dialog.h"

class AboutDialog : public fw::Dialog {
 public:
  AboutDialog();
};

// Opens the about box modally over the given window and waits for it to end.
void ShowAboutBox(HWND owner);
