// TEMPORARY stand-in for the Size page, replaced by the real page at merge: it
// shows its template and reports the floppy choices as valid. Only what the split
// dialog needs to build and run is here.
#pragma once
#include <cstdint>

#include "framework/Dialog.h"

class SizePage : public fw::Dialog {
 public:
  explicit SizePage(HWND parent);

  void SetSourceSize(int32_t bytes);
  void Recompute();
  void SetChoice(int choice);
  void SetSize(int32_t pieceSize);

 private:
  int choice = 0;
};
