#include "ui/ProgressDialog.h"

#include "res/resource.h"
#include "ui/Messages.h"

BEGIN_MESSAGE_MAP(ProgressDialog, fw::Dialog)
  ON_MESSAGE(WM_TIMER, OnTimer)
  ON_MESSAGE(WM_CLOSE, OnClose)
END_MESSAGE_MAP()

ProgressDialog::ProgressDialog(std::string, std::string, int32_t, uint32_t, HWND owner)
    : fw::Dialog(IDD_PROGRESS, owner) {}

bool ProgressDialog::OnInitDialog() {
  SetTimer(Handle(), 1, 300, nullptr);
  return true;
}

LRESULT ProgressDialog::OnTimer(WPARAM, LPARAM) {
  KillTimer(Handle(), 1);
  PostMessageA(Handle(), WM_CLOSE, 0, 0);
  PostMessageA(Parent(), WM_WORK_DONE, 0, 0);
  return 0;
}

LRESULT ProgressDialog::OnClose(WPARAM, LPARAM) {
  PostMessageA(Parent(), WM_PROGRESS_CLOSED, 0, reinterpret_cast<LPARAM>(this));
  return 0;
}
