#include "ui/ExtrasPage.h"

#include "framework/FlagButtons.h"
#include "job/Messages.h"
#include "res/resource.h"

namespace {

constexpr FlagButton EXTRAS_BOXES[] = {
    {IDC_EXTRA_PROGRAM_COPY, EXTRA_PROGRAM_COPY},
    {IDC_EXTRA_INFO_FILE, EXTRA_INFO_FILE},
    {IDC_EXTRA_BATCH_FILE, EXTRA_BATCH_FILE},
    {IDC_EXTRA_REPAIR_FILE, EXTRA_REPAIR_FILE},
};

}  // namespace

BEGIN_MESSAGE_MAP(ExtrasPage, fw::Dialog)
  ON_BUTTON(IDC_EXTRA_PROGRAM_COPY, OnBoxClicked)
  ON_BUTTON(IDC_EXTRA_INFO_FILE, OnBoxClicked)
  ON_BUTTON(IDC_EXTRA_BATCH_FILE, OnBoxClicked)
  ON_BUTTON(IDC_EXTRA_REPAIR_FILE, OnBoxClicked)
END_MESSAGE_MAP()

ExtrasPage::ExtrasPage(HWND parent) : fw::Dialog(IDD_EXTRAS_PAGE, parent) {}

void ExtrasPage::SetFlags(uint32_t extrasFlags) { CheckFlagButtons(*this, EXTRAS_BOXES, extrasFlags); }

// The box has already toggled when the click arrives.
void ExtrasPage::OnBoxClicked() {
  PostMessageA(Parent(), WM_SET_EXTRAS, CheckedFlags(*this, EXTRAS_BOXES), 0);
}
