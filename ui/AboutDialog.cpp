#include "ui/AboutDialog.h"

#include "res/resource.h"

AboutDialog::AboutDialog() : fw::Dialog(IDD_ABOUT, nullptr) {}

void ShowAboutBox(HWND owner) {
  AboutDialog box;
  box.SetOwner(owner);
  box.DoModal();
}
