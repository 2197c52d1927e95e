// The Extras page: four check boxes for what a split writes besides the pieces. Every click reports the whole set to the split dialog.
#pragma once
#include <cstdint>

#include "framework/Dialog.h"

class ExtrasPage : public fw::Dialog {
 public:
  explicit ExtrasPage(HWND parent);

  // Shows the extras flags (EXTRA_*) in the boxes without reporting them.
  void SetFlags(uint32_t extrasFlags);

 private:
  DECLARE_MESSAGE_MAP()
  void OnBoxClicked();
};
