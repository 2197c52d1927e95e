// TEMPORARY stand-in for the progress dialog, replaced by the real one at merge:
// a modeless window that reports its work as done shortly after it opens and
// then asks to be closed, so that the split dialog's bookkeeping can run.
#pragma once
#include <cstdint>
#include <string>

#include "framework/Dialog.h"

class ProgressDialog : public fw::Dialog {
 public:
  ProgressDialog(std::string sourcePath, std::string destinationPath, int32_t sizeOption, uint32_t extrasFlags,
                 HWND owner);

 protected:
  bool OnInitDialog() override;

 private:
  DECLARE_MESSAGE_MAP()
  LRESULT OnTimer(WPARAM, LPARAM);
  LRESULT OnClose(WPARAM, LPARAM);
};
