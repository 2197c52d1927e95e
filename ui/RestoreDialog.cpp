#include "ui/RestoreDialog.h"

#include "framework/Texts.h"
#include "job/Messages.h"
#include "job/UserMessage.h"
#include "res/resource.h"
#include "restore/InfoFileReader.h"
#include "shell/ShellPaths.h"
#include "ui/DestinationCheck.h"
#include "ui/FolderBrowser.h"

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
  const std::string& destination = startOptions.destinationArgument;
  // Setting the text runs the destination check before the dialog shows.
  SetItemText(IDC_DESTINATION_EDIT, destination.empty() ? DesktopFolderPath() : destination);
  // A check needs no destination: it starts at once, attended or not.
  if (startOptions.checkMode && !startOptions.unattended) PostMessageA(Handle(), WM_COMMAND, IDC_CHECK_PIECES, 0);
  StartIfUnattended();
  return true;
}

// An info file that is not there leaves nothing to start: the dialog waits for the user.
void RestoreDialog::AutoStart() {
  if (!InfoFileExists(startOptions.fileArgument)) return;
  if (startOptions.checkMode)
    OnCheck();
  else
    MainDialog::AutoStart();
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
                    .mode = JOB_RESTORE,
                    .unattended = startOptions.unattended != 0};
  StartProgress(request);
}

// Check: reads every piece and tells what it found; the dialog stays for a restore.
void RestoreDialog::OnCheck() {
  WorkerJob request;
  request.sourcePath = startOptions.fileArgument;
  request.mode = JOB_CHECK;
  request.unattended = startOptions.unattended != 0;
  StartProgress(request);
}

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
