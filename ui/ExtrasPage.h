// The Extras page: four check boxes for what a split writes besides the pieces, and beside
// the recovery data's box the amount of it, in pieces' worth (1 to 99), a number field with
// arrows that is usable only while that box is checked. Every click and every change of the
// amount reports the whole set to the split dialog.
#pragma once
#include <cstdint>

#include "framework/Dialog.h"

class ExtrasPage : public fw::Dialog {
 public:
  explicit ExtrasPage(HWND parent);

  // Shows the extras flags (EXTRA_*) in the boxes and the amount of recovery data in its
  // field; the field's change reports the whole set, as typing does.
  void SetChoices(uint32_t extrasFlags, int32_t recoveryPieces);

 protected:
  bool OnInitDialog() override;

 private:
  DECLARE_MESSAGE_MAP()
  void OnBoxClicked();
  void OnAmountEdited();
  void EnableAmount() const;
  // The number in the amount's field (see ReadFieldNumber), and an amount written into it.
  int64_t ReadAmount() const;
  void ShowAmount(int32_t pieces) const;
  // Posts WM_SET_EXTRAS with the flags of the boxes and the amount of the field.
  void Report() const;
};
