// The Size / Numbers page of the split dialog: the choice between pieces for
// 1.44 MB floppies, for 720 KB floppies or of a custom size, where the custom
// piece size and piece count are typed or scrolled, one following the other.
// After every change the page posts WM_SET_SIZE_OPTION to its parent.
#pragma once
#include <cstdint>

#include "framework/Dialog.h"
#include "logic/SizeRules.h"

class SizePage : public fw::Dialog {
 public:
  // The owner creates the window with Create(parent window).
  explicit SizePage(HWND parent);

  // The size of a newly reported valid source; Recompute applies it.
  void SetSourceSize(int64_t bytes);
  // New bounds when the source size has changed, enabling by the choice, and a report.
  void Recompute();
  // 0 = 1.44 MB, 1 = 720 KB, 2 = custom (any other value too); checks its radio button.
  void SetChoice(int choice);
  // Enters a piece size into the size field exactly as if the user had typed it.
  void SetSize(int64_t pieceSize);

 protected:
  bool OnInitDialog() override;
  // Enter and Escape in a multi-line field reach the page as OK and Cancel;
  // a page never ends itself, so both are ignored.
  void OnOK() override {}
  void OnCancel() override {}

 private:
  DECLARE_MESSAGE_MAP()

  void OnChoiceClicked();
  void OnSizeEdited();
  void OnCountEdited();
  LRESULT OnHorizontalScroll(WPARAM wParam, LPARAM lParam);

  // Moves both thumbs and posts the choice with its validity to the parent.
  void Report(int32_t size, int64_t count);
  int ReadChoice() const;
  int64_t ReadNumber(int id) const;
  // The page's own writes raise no change notification: both fields are multi-line edits.
  void WriteNumber(int id, int64_t value) const;
  // The size scroll bar's scale for the source the bounds belong to.
  int32_t Scale() const { return SizeScrollScale(rememberedSourceSize); }

  int64_t sourceSize = 0;
  int choice = 0;
  int64_t rememberedSourceSize = -1;
  SizeBounds bounds;
};
