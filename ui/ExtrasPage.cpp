#include "ui/ExtrasPage.h"

#include <commctrl.h>

#include "framework/FlagButtons.h"
#include "framework/Texts.h"
#include "job/Messages.h"
#include "logic/RecoveryAmount.h"
#include "logic/SizeRules.h"
#include "res/resource.h"

namespace {

constexpr FlagButton EXTRAS_BOXES[] = {
    {IDC_EXTRA_PROGRAM_COPY, EXTRA_PROGRAM_COPY},
    {IDC_EXTRA_INFO_FILE, EXTRA_INFO_FILE},
    {IDC_EXTRA_BATCH_FILE, EXTRA_BATCH_FILE},
    {IDC_EXTRA_REPAIR_FILE, EXTRA_REPAIR_FILE},
};

// The amount's field and its arrows.
constexpr int AMOUNT_CONTROLS[] = {IDC_RECOVERY_PIECES_EDIT, IDC_RECOVERY_PIECES_SPIN};

}  // namespace

BEGIN_MESSAGE_MAP(ExtrasPage, fw::Dialog)
  ON_BUTTON(IDC_EXTRA_PROGRAM_COPY, OnBoxClicked)
  ON_BUTTON(IDC_EXTRA_INFO_FILE, OnBoxClicked)
  ON_BUTTON(IDC_EXTRA_BATCH_FILE, OnBoxClicked)
  ON_BUTTON(IDC_EXTRA_REPAIR_FILE, OnBoxClicked)
  ON_EDIT_CHANGE(IDC_RECOVERY_PIECES_EDIT, OnAmountEdited)
END_MESSAGE_MAP()

ExtrasPage::ExtrasPage(HWND parent) : fw::Dialog(IDD_EXTRAS_PAGE, parent) {}

// The arrows step within the range and write the field, which reports. The range goes
// in 16 bits: the message for a 32-bit range came with comctl32 4.71, after Windows 95.
bool ExtrasPage::OnInitDialog() {
  SendItemMessage(IDC_RECOVERY_PIECES_SPIN, UDM_SETRANGE, 0, MAKELPARAM(MOST_RECOVERY_PIECES, FEWEST_RECOVERY_PIECES));
  return fw::Dialog::OnInitDialog();
}

void ExtrasPage::SetChoices(uint32_t extrasFlags, int32_t recoveryPieces) {
  CheckFlagButtons(*this, EXTRAS_BOXES, extrasFlags);
  EnableAmount();
  ShowAmount(recoveryPieces);
}

// The box has already toggled when the click arrives.
void ExtrasPage::OnBoxClicked() {
  EnableAmount();
  Report();
}

// A number beyond the largest amount is held to it, and the field's change reports that; a
// field below the smallest, or empty, is left as typed (the user may be typing the next
// digit) and reported as no amount, which keeps Split disabled while recovery data is chosen.
void ExtrasPage::OnAmountEdited() {
  if (ReadAmount() > MOST_RECOVERY_PIECES) {
    ShowAmount(MOST_RECOVERY_PIECES);
    SendItemMessage(IDC_RECOVERY_PIECES_EDIT, EM_SETSEL, 0, -1);  // selected: the next digit typed replaces it
    return;
  }
  Report();
}

void ExtrasPage::EnableAmount() const {
  const bool chosen = IsButtonChecked(IDC_EXTRA_REPAIR_FILE);
  for (int id : AMOUNT_CONTROLS) EnableItem(id, chosen);
}

int64_t ExtrasPage::ReadAmount() const { return ReadFieldNumber(ItemText(IDC_RECOVERY_PIECES_EDIT).c_str()); }

void ExtrasPage::ShowAmount(int32_t pieces) const {
  SetItemText(IDC_RECOVERY_PIECES_EDIT, fw::Format("%d", int(pieces)));
}

void ExtrasPage::Report() const {
  const int64_t amount = ReadAmount();
  PostMessageA(Parent(), WM_SET_EXTRAS, CheckedFlags(*this, EXTRAS_BOXES),
               IsRecoveryAmount(amount) ? static_cast<LPARAM>(amount) : NO_RECOVERY_AMOUNT);
}
