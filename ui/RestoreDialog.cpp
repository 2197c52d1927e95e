#include "ui/RestoreDialog.h"

#include "framework/Texts.h"
#include "job/Messages.h"
#include "job/UserMessage.h"
#include "res/resource.h"
#include "shell/ShellPaths.h"
#include "ui/DestinationCheck.h"
#include "ui/FolderBrowser.h"

BEGIN_MESSAGE_MAP(RestoreDialog, MainDialog)
  ON_EDIT_CHANGE(IDC_DESTINATION_EDIT, OnDestinationChange)
  ON_BUTTON(IDC_DESTINATION_BROWSE, OnBrowse)
  ON_MESSAGE(WM_WORK_DONE, OnWorkDone)
  ON_MESSAGE(WM_WORK_FAILED, OnWorkFailed)
END_MESSAGE_MAP()

RestoreDialog::RestoreDialog(const SplitCommandLine& startOptions, HWND parent)
    : MainDialog(IDD_RESTORE, startOptions, parent) {}

bool RestoreDialog::OnInitDialog() {
  PrepareMainWindow();
  restoreButton = Item(IDOK);
  const std::string& destination = startOptions.destinationArgument;
  // Setting the text runs the destination check before the dialog shows.
  SetItemText(IDC_DESTINATION_EDIT, destination.empty() ? DesktopFolderPath() : destination);
  StartIfUnattended();
  return true;
}

void RestoreDialog::OnDestinationChange() { CheckDestination(); }

void RestoreDialog::CheckDestination() {
  std::string folder;
  EnableWindow(restoreButton, ReadPathField(IDC_DESTINATION_EDIT, folder) &&
                                  IsUsableDestination(folder, fw::File::READ_SHARE_NONE));
}

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
  WorkerJob request{.sourcePath = startOptions.fileArgument,
                    .destinationPath = ItemText(IDC_DESTINATION_EDIT),
                    .mode = JOB_RESTORE};
  StartProgress(request);
}

// A restored file ends the program, once no other restore is still writing.
LRESULT RestoreDialog::OnWorkDone(WPARAM, LPARAM) {
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
