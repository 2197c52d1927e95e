#include "shell/SystemPage.h"

#include "framework/FlagButtons.h"
#include "job/Messages.h"
#include "res/resource.h"

namespace {

constexpr FlagButton REGISTRATION_BOXES[] = {
    {IDC_REGISTER_EXTENSION, REGISTER_EXTENSION},
    {IDC_REGISTER_SPLIT_VERB, REGISTER_SPLIT_VERB},
    {IDC_REGISTER_RESTORE_VERB, REGISTER_RESTORE_VERB},
};

// A text line without an identifier right after the box, where a box's text is
// too long for one line (the German template), or nullptr.
HWND ContinuationLine(HWND box) {
  HWND next = GetWindow(box, GW_HWNDNEXT);
  char className[8] = "";
  if (!next || !GetClassNameA(next, className, sizeof(className))) return nullptr;
  bool label = lstrcmpiA(className, "Static") == 0 && static_cast<uint16_t>(GetDlgCtrlID(next)) == 0xFFFF;
  return label ? next : nullptr;
}

}  // namespace

BEGIN_MESSAGE_MAP(SystemPage, fw::Dialog)
  ON_BUTTON(IDC_REGISTER_EXTENSION, OnBoxClicked)
  ON_BUTTON(IDC_REGISTER_SPLIT_VERB, OnBoxClicked)
  ON_BUTTON(IDC_REGISTER_RESTORE_VERB, OnBoxClicked)
  ON_BUTTON(IDC_APPLY, OnApply)
END_MESSAGE_MAP()

SystemPage::SystemPage(HWND parent) : fw::Dialog(IDD_SYSTEM_PAGE, parent) {}

void SystemPage::SetFlags(uint32_t registrationFlags) {
  CheckFlagButtons(*this, REGISTRATION_BOXES, registrationFlags);
  EnableRestoreVerbBox();
}

void SystemPage::OnBoxClicked() {
  if (!IsButtonChecked(IDC_REGISTER_EXTENSION)) CheckButton(IDC_REGISTER_RESTORE_VERB, false);
  EnableRestoreVerbBox();
}

void SystemPage::OnApply() {
  PostMessageA(Parent(), WM_SET_REGISTRATION, CheckedFlags(*this, REGISTRATION_BOXES), 0);
}

void SystemPage::EnableRestoreVerbBox() {
  bool enable = IsButtonChecked(IDC_REGISTER_EXTENSION);
  EnableItem(IDC_REGISTER_RESTORE_VERB, enable);
  if (HWND line = ContinuationLine(Item(IDC_REGISTER_RESTORE_VERB))) EnableWindow(line, enable);
}
