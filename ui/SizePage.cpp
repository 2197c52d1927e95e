#include "ui/SizePage.h"

#include "res/resource.h"
#include "ui/Messages.h"

SizePage::SizePage(HWND parent) : fw::Dialog(IDD_SIZE_PAGE, parent) {}

void SizePage::SetSourceSize(int32_t) {}

void SizePage::Recompute() {
  PostMessageA(Parent(), WM_SET_SIZE_OPTION, 1, choice < 2 ? -1 - choice : 0);
}

void SizePage::SetChoice(int value) {
  choice = value;
  CheckRadioButton(Handle(), IDC_FLOPPY_144, IDC_CUSTOM_SIZE, IDC_FLOPPY_144 + value);
}

void SizePage::SetSize(int32_t) {}
