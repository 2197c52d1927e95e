// The System page: which shell entries the program keeps registered. A click on
// a box only keeps the restore verb tied to the file type; Apply hands the
// choice to the split dialog, which registers and stores it.
#pragma once
#include <cstdint>

#include "framework/Dialog.h"

class SystemPage : public fw::Dialog {
 public:
  explicit SystemPage(HWND parent);

  // Shows the registration flags (REGISTER_*) in the boxes without reporting them.
  void SetFlags(uint32_t registrationFlags);

 private:
  DECLARE_MESSAGE_MAP()
  void OnBoxClicked();
  void OnApply();
  // The restore verb box (and the line that continues its text, where the
  // template has one) is usable only while the file type box is checked.
  void EnableRestoreVerbBox();
};
