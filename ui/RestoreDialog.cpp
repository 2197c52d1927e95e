#include "ui/RestoreDialog.h"

#include "framework/Texts.h"
#include "job/Messages.h"
#include "job/UserMessage.h"
#include "res/resource.h"
#include "ui/FolderBrowser.h"
#include "ui/RestoreJobs.h"

BEGIN_MESSAGE_MAP(RestoreDialog, MainDialog)
  ON_EDIT_CHANGE(IDC_DESTINATION_EDIT, OnDestinationChange)
  ON_BUTTON(IDC_DESTINATION_BROWSE, OnBrowse)
  ON_BUTTON(IDC_CHECK_PIECES, OnCheck)
  ON_MESSAGE(WM_WORK_DONE, OnWorkDone)
  ON_MESSAGE(WM_WORK_FAILED, OnWorkFailed)
END_MESSAGE_MAP()

RestoreDialog::RestoreDialog(const SplitCommandLine& startOptions, HWND parent)
    : MainDialog(IDD_RESTORE, startOptions, parent) {}

bool RestoreDialog::OnInitDialog() {
  PrepareMainWindow();
  restoreButton = Item(IDOK);
  // Setting the text runs the destination check before the dialog shows.
  SetItemText(IDC_DESTINATION_EDIT, FirstRestoreFolder(startOptions));
  // A check needs no destination: it starts at once, attended or not.
  if (startOptions.checkMode && !startOptions.unattended) PostMessageA(Handle(), WM_COMMAND, IDC_CHECK_PIECES, 0);
  StartIfUnattended();
  return true;
}

// What the Check or Restore button would start, when it can start.
void RestoreDialog::AutoStart() {
  if (std::optional<WorkerJob> job = UnattendedRestoreModeJob(startOptions)) StartProgress(*job);
}

void RestoreDialog::OnDestinationChange() { CheckDestination(); }

void RestoreDialog::CheckDestination() { EnableWindow(restoreButton, IsRestoreFolder(ItemText(IDC_DESTINATION_EDIT))); }

void RestoreDialog::OnBrowse() {
  std::string folder;
  if (FolderBrowser(Handle(), fw::LoadText(IDS_CHOOSE_FOLDER)).Browse(folder) == FolderBrowser::CHOSEN)
    SetItemText(IDC_DESTINATION_EDIT, folder);
  CheckDestination();
}

// Restore: each press runs one more restore of the info file beside the others.
// Enter reaches here even while Restore is disabled; nothing starts then.
void RestoreDialog::OnOK() {
  if (!IsWindowEnabled(restoreButton)) return;
  StartProgress(RestoreModeJob(startOptions, JOB_RESTORE, ItemText(IDC_DESTINATION_EDIT)));
}

// Check: reads every piece and tells what it found; the dialog stays for a restore.
void RestoreDialog::OnCheck() { StartProgress(RestoreModeJob(startOptions, JOB_CHECK, std::string())); }

// A restored file ends the program, once no other restore is still writing; after a
// check, which has told its findings, the dialog stays unless the run is unattended.
LRESULT RestoreDialog::OnWorkDone(WPARAM mode, LPARAM) {
  if (mode == JOB_CHECK) {
    WorkEnded(true);
    return 0;
  }
  SetFocus(Handle());
  if (!startOptions.unattended) ShowUserText(IDS_FILE_RESTORED, MB_OK | MB_ICONINFORMATION);
  WorkEnded(true);
  CloseWhenIdle();
  return 0;
}

LRESULT RestoreDialog::OnWorkFailed(WPARAM, LPARAM) {
  if (startOptions.unattended) SetFocus(Handle());
  WorkEnded(false);
  return 0;
}
